// The field items of the card face: one data-aware multi-line box per
// card-table field on each side, with a grey placeholder naming the field
// while it is empty.
#include "app/mainwindow/TForm1.h"

#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"
#include "store/CardStore.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Settings.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

using namespace vellora;

namespace {
const char *kGhostSuffix = "ghost";
}

DBMemo *CardSideItems::fieldItem(const QString &fieldName) const
{
    for (DBMemo *item : fieldItems)
        if (item->dataField() == fieldName)
            return item;
    return nullptr;
}

QString TForm1::placeholderText(const QString &itemName, const QString &field) const
{
    const QString caption = LangText(QStringLiteral("Field:") + field);
    if (!caption.isEmpty())
        return QLatin1Char('<') + caption + QLatin1Char('>');
    QString name = itemName;
    if (name.endsWith(QLatin1String("_b")))
        name.chop(2);
    return QLatin1Char('<') + name + QLatin1Char('>');
}

DBMemo *TForm1::makeFieldItem(CardSideItems &side, int sideIndex, int position, const QString &field)
{
    auto *item = new DBMemo(side.panel);
    const QString name = sideIndex == 0 ? field : field + QStringLiteral("_b");
    item->setObjectName(name);
    item->setFrameShape(QFrame::NoFrame);
    item->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    item->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    item->setBackgroundVisible(false);
    QPalette pal = item->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Light));
    item->setPalette(pal);
    item->setDataSource(m_dataSource);
    item->setDataField(field);
    item->setProperty("tabOrder", sideIndex * 100 + position);
    item->setFocusPolicy(Qt::StrongFocus);
    item->setContextMenuPolicy(Qt::PreventContextMenu);
    item->setFont(FontFromSlot(FontSlot{QStringLiteral("Arial"), 16, 0, StyleBold, AlignLeftCode}));
    item->hide();
    item->installEventFilter(this);
    item->viewport()->installEventFilter(this);

    auto *ghost = new QLabel(placeholderText(name, field), item);
    ghost->setObjectName(name + QLatin1String(kGhostSuffix));
    SetTag(ghost, kKeepCaptionTag);
    ghost->setAlignment(Qt::AlignCenter);
    QFont ghostFont = FontFromSlot(FontSlot{QStringLiteral("Arial"), 12, 0, StyleBold, AlignLeftCode});
    ghost->setFont(ghostFont);
    QPalette gp = ghost->palette();
    gp.setColor(QPalette::WindowText, QColor(128, 128, 128));
    ghost->setPalette(gp);
    ghost->setGeometry(item->rect());
    ghost->hide();
    ghost->installEventFilter(this);
    side.fieldItems.append(item);
    side.placeholders.append(ghost);
    connect(item, &QPlainTextEdit::textChanged, this, [this] { ShowPlaceholders(true); });
    return item;
}

void TForm1::createFieldItemsOn(CardSideItems &side, int sideIndex)
{
    const QStringList names = m_table->isOpen() ? m_table->fieldNames() : QStringList();
    const int count = std::min<int>(int(names.size()), kMaxFieldItems);
    QWidget *previous = nullptr;
    for (int i = 0; i < count; ++i) {
        DBMemo *item = makeFieldItem(side, sideIndex, i, names[i]);
        if (previous)
            setTabOrder(previous, item);
        previous = item;
    }
}

void TForm1::CreateFieldItems()
{
    createFieldItemsOn(m_front, 0);
    createFieldItemsOn(m_back, 1);
    m_fieldItemCount = int(m_front.fieldItems.size());
}

void TForm1::FreeFieldItems()
{
    for (CardSideItems *s : {&m_front, &m_back}) {
        qDeleteAll(s->fieldItems);  // the placeholders go with their items
        s->fieldItems.clear();
        s->placeholders.clear();
    }
    m_fieldItemCount = 0;
}

void TForm1::ShowPlaceholders(bool show)
{
    for (int s = 0; s < 2; ++s) {
        if (s == 1 && m_settings.front.DoubleSided != 1)
            break;
        CardSideItems &items = side(s);
        for (int i = 0; i < items.fieldItems.size(); ++i) {
            DBMemo *item = items.fieldItems[i];
            QLabel *ghost = items.placeholders[i];
            ghost->setGeometry(item->rect());
            ghost->setVisible(show && !item->isHidden() && item->toPlainText().isEmpty() && !item->hasFocus());
        }
    }
    m_front.Image1->raise();
}

void TForm1::RelayoutFieldItems()
{
    for (int s = 0; s < 2; ++s) {
        if (s == 1 && m_settings.front.DoubleSided != 1)
            break;
        for (DBMemo *item : side(s).fieldItems) {
            const int height = item->height();
            item->resize(item->width(), 1000);
            item->resize(item->width(), height);
        }
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    auto *ghost = qobject_cast<QLabel *>(watched);
    if (ghost && ghost->objectName().endsWith(QLatin1String(kGhostSuffix))) {
        if (event->type() == QEvent::MouseButtonPress) {
            // A click on a placeholder puts the focus into the front item of
            // that field.
            QString name = ghost->objectName();
            name.chop(int(qstrlen(kGhostSuffix)));
            if (DBMemo *item = m_front.panel->findChild<DBMemo *>(name, Qt::FindDirectChildrenOnly))
                item->setFocus(Qt::MouseFocusReason);
            QApplication::processEvents();
            ghost->hide();
            return true;
        }
        return false;
    }
    auto *item = qobject_cast<DBMemo *>(watched);
    if (!item && watched->parent())
        item = qobject_cast<DBMemo *>(watched->parent());
    if (!item)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (QLabel *g = item->findChild<QLabel *>(item->objectName() + QLatin1String(kGhostSuffix)))
            g->hide();
        break;
    case QEvent::FocusOut:
        if (m_store)
            m_store->refreshCardPhotos();
        QApplication::processEvents();
        break;
    case QEvent::Resize:
        if (QLabel *g = item->findChild<QLabel *>(item->objectName() + QLatin1String(kGhostSuffix)))
            g->setGeometry(item->rect());
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
