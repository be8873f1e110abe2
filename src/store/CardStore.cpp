#include "store/CardStore.h"

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/util/FileLookup.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardTable.h"
#include "store/Photos.h"

#include <QFile>
#include <QFileInfo>

namespace vellora {

namespace {

bool IsTextType(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedChar || type == FieldType::WideString ||
           type == FieldType::Memo;
}

bool Editing(const Table *table)
{
    return table->state() == TableState::Edit || table->state() == TableState::Insert;
}

void RemoveIfPresent(const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile() && QFile::remove(path))
        NoteFileRemoved(path);
}

}  // namespace

CardStore::CardStore(Table *table, const QString &appFolder, QObject *parent)
    : QObject(parent), m_table(table), m_appFolder(appFolder)
{
    if (!m_appFolder.isEmpty() && !m_appFolder.endsWith('/'))
        m_appFolder += '/';
    connect(m_table, &Table::afterScroll, this, &CardStore::refreshCardPhotos);
    connect(m_table, &Table::beforeInsert, this, &CardStore::refreshCardPhotos);
}

QString CardStore::cardNumberText() const
{
    if (!m_table->isOpen() || m_table->fieldCount() == 0 || m_table->recNo() == 0)
        return {};
    return m_table->field(0).asString();
}

bool CardStore::hasCurrentCard() const
{
    return m_table->isOpen() && m_table->recNo() > 0;
}

void CardStore::commitCard()
{
    if (Editing(m_table))
        m_table->post();
    m_table->commitUpdates();
}

void CardStore::newCard()
{
    commitCard();
    m_table->insert();
    try {
        // The blank gives the new row a value of its own; a second field that
        // is not text (a restructured table) stays null instead of failing.
        if (m_table->fieldCount() > 1) {
            Field second = m_table->field(1);
            if (IsTextType(second.type()) && !second.isReadOnly())
                second.setAsString(QStringLiteral(" "));
        }
        commitCard();
    } catch (...) {
        // A row that cannot be posted is not left half-made in insert state.
        if (m_table->state() == TableState::Insert)
            m_table->cancel();
        throw;
    }
    m_table->last();
}

QString CardStore::cardDescription() const
{
    QStringList parts{cardNumberText().trimmed()};
    for (const char *name : {"First_name", "Last_name"}) {
        const Field f = m_table->findField(QLatin1String(name));
        if (f.isValid())
            parts.append(f.asString().trimmed());
    }
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

MessageOptions CardStore::destructiveQuestion() const
{
    // Enter (or a key pressed by mistake) must not lose the card.
    MessageOptions options;
    options.defaultButton = MsgButton::No;
    options.subject = cardDescription();
    return options;
}

bool CardStore::deleteCard()
{
    commitCard();
    if (!hasCurrentCard())
        return false;
    if (LocalMessageDlg(Literal(24), MsgKind::Warning, MsgButton::Yes | MsgButton::No, destructiveQuestion())
        != MrYes)
        return false;
    const QString number = cardNumberText();
    // The row goes first: when the engine refuses, the photos stay with it.
    m_table->deleteRecord();
    if (!number.trimmed().isEmpty()) {
        const QString first = PhotoSuffix(PhotoSlot::First);
        RemoveIfPresent(PhotoPath(m_appFolder, number, first));
        RemoveIfPresent(PhotoBitmapPath(m_appFolder, number, first));
        RemoveIfPresent(PhotoPath(m_appFolder, number, PhotoSuffix(PhotoSlot::Second)));
    }
    return true;
}

bool CardStore::clearCard()
{
    commitCard();
    if (!hasCurrentCard())
        return false;
    if (LocalMessageDlg(Literal(46), MsgKind::Warning, MsgButton::Yes | MsgButton::No, destructiveQuestion())
        != MrYes)
        return false;
    m_table->edit();
    try {
        for (int i = 0; i < m_table->fieldCount(); ++i) {
            Field f = m_table->field(i);
            if (f.name().compare(QLatin1String(kCardNumberField), Qt::CaseInsensitive) == 0 || f.isReadOnly())
                continue;
            f.clear();
        }
        m_table->post();
    } catch (...) {
        if (Editing(m_table))
            m_table->cancel();
        throw;
    }
    return true;
}

void CardStore::undoCard()
{
    if (!m_table->isOpen())
        return;
    if (Editing(m_table))
        m_table->cancel();
    if (!hasCurrentCard())
        return;
    try {
        m_table->revertRecord();
    } catch (const NotSupportedError &) {
    }
    m_table->refresh();
}

void CardStore::first()
{
    m_table->first();
    commitCard();
}

void CardStore::prior()
{
    m_table->prior();
    commitCard();
}

void CardStore::next()
{
    m_table->next();
    commitCard();
}

void CardStore::last()
{
    m_table->last();
    commitCard();
}

bool CardStore::storePhoto(PhotoItem *item, const QString &suffix)
{
    return StorePhoto(item, suffix, m_appFolder, cardNumberText());
}

void CardStore::refreshCardPhotos()
{
    RefreshCardPhotos(m_face, m_appFolder, cardNumberText());
    emit cardPhotosRefreshed();
}

}  // namespace vellora
