// The field items of the card face: one data-aware multi-line box per
// card-table field on each side, with a grey placeholder naming the field
// while it is empty.
#include "app/mainwindow/TForm1.h"

#include "app/shell/ErrorReport.h"

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
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QTextDocument>
#include <QTimer>

using namespace vellora;

namespace {
const char *kGhostSuffix = "ghost";
}

DBMemo *CardSideItems::fieldItem(const QString &fieldName) const
{
    for (DBMemo *item : fieldItems)
        if (item->dataField().compare(fieldName, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

QWidget *CardSideItems::item(const QString &name) const
{
    QWidget *found = nullptr;
    if (!panel)
        return nullptr;
    for (QObject *child : panel->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && w->objectName().compare(name, Qt::CaseInsensitive) == 0)
            found = w;
    }
    return found;
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
    item->document()->setDocumentMargin(1);
    item->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The box's background is the 3-D light colour of the desktop.
    QPalette pal = item->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Midlight));
    item->setPalette(pal);
    item->setDataSource(m_dataSource);
    item->setDataField(field);
    item->setProperty("tabOrder", sideIndex * 100 + position);
    item->setFocusPolicy(Qt::StrongFocus);
    item->setTabChangesFocus(true);
    item->setContextMenuPolicy(Qt::PreventContextMenu);
    item->setFont(FontFromSlot(FontSlot{QStringLiteral("Arial"), 16, 0, StyleBold, AlignLeftCode}));
    item->hide();
    item->installEventFilter(this);
    item->viewport()->installEventFilter(this);

    auto *ghost = new QLabel(item);
    // "<Title>" and the like are field names, never markup.
    ghost->setTextFormat(Qt::PlainText);
    ghost->setText(placeholderText(name, field));
    ghost->setObjectName(name + QLatin1String(kGhostSuffix));
    SetTag(ghost, kKeepCaptionTag);
    ghost->setAlignment(Qt::AlignCenter);
    QFont ghostFont = FontFromSlot(FontSlot{QStringLiteral("Arial"), 12, 0, StyleBold, AlignLeftCode});
    ghost->setFont(ghostFont);
    QPalette gp = ghost->palette();
    gp.setColor(QPalette::WindowText, QColor(128, 128, 128));
    ghost->setPalette(gp);
    ghost->setGeometry(item->rect());
    ghost->setAutoFillBackground(false);
    ghost->setAttribute(Qt::WA_TranslucentBackground);
    ghost->hide();
    ghost->installEventFilter(this);
    side.fieldItems.append(item);
    side.placeholders.append(ghost);
    connect(item, &QPlainTextEdit::textChanged, this, [this] { ShowPlaceholders(true); });
    // A value the field cannot hold (a date, a number) is reported once the
    // focus change has run to its end; the box keeps the text.
    connect(item, &DBMemo::editRefused, this, [item = QPointer<DBMemo>(item)](const QString &message) {
        QTimer::singleShot(0, item, [message] { ShowGenericError(message); });
    });
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

void TForm1::RebuildFieldItems()
{
    for (int s = 0; s < 2; ++s)
        if (m_settings.side(s).effectiveLayoutType() < 6)
            StoreCardFaceInSettings(s);
    FreeFieldItems();
    CreateFieldItems();
    for (int s = 0; s < 2; ++s)
        if (m_settings.side(s).effectiveLayoutType() < 6)
            applyFieldFontsFromSettings(s);
}

void TForm1::ShowPlaceholders(bool show)
{
    if (m_destroying)
        return;
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
    const QEvent::Type type = event->type();
    if (m_panel1 && watched == m_panel1->viewport()) {
        // The visible card area changed size: the stripe panel keeps to its
        // corner and the cards' canvas fills the area.
        if (type == QEvent::Resize && m_magStripe) {
            fitCardCanvas();
            m_magStripe->position();
        }
        return false;
    }
    auto *ghost = qobject_cast<QLabel *>(watched);
    if (ghost && ghost->objectName().endsWith(QLatin1String(kGhostSuffix))) {
        if (type == QEvent::MouseButtonPress) {
            // A click on a placeholder puts the focus into its field item.
            // Front placeholders look their item up among the front items by
            // name; a back placeholder focuses the back item it sits in.
            QString name = ghost->objectName();
            name.chop(int(qstrlen(kGhostSuffix)));
            DBMemo *item = nullptr;
            for (DBMemo *front : std::as_const(m_front.fieldItems))
                if (front->objectName() == name)
                    item = front;
            if (!item)
                item = qobject_cast<DBMemo *>(ghost->parentWidget());
            if (item)
                item->setFocus(Qt::MouseFocusReason);
            QApplication::processEvents();
            ghost->hide();
            return true;
        }
        return false;
    }
    // Photo items: the photo menu on a right click.
    if (auto *photo = qobject_cast<PhotoItem *>(watched)) {
        if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            const QString name = photo->objectName().toLower();
            if (name == QLatin1String("image1") || name == QLatin1String("image1_b") ||
                name == QLatin1String("secphot") || name == QLatin1String("secphot_b")) {
                preparePhotoMenu(photo);
                photoMenu()->popup(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
                return true;
            }
        }
        return false;
    }
    // Free texts: the text menu on a right click, Edit Text on a double click.
    if (auto *label = qobject_cast<QLabel *>(watched);
        label && label->objectName().startsWith(QLatin1String("statlabel"))) {
        if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            prepareTextMenu(label);
            textMenu()->popup(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
            return true;
        }
        if (type == QEvent::MouseButtonDblClick && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            ReportErrors([&] { EditItemText(label); });
            return true;
        }
        return false;
    }
    auto *item = qobject_cast<DBMemo *>(watched);
    if (!item && watched->parent())
        item = qobject_cast<DBMemo *>(watched->parent());
    if (!item)
        return QMainWindow::eventFilter(watched, event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            prepareTextMenu(item);
            textMenu()->popup(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
            return true;
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            ReportErrors([&] { ChooseItemFont(item, false); });
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (QLabel *g = item->findChild<QLabel *>(item->objectName() + QLatin1String(kGhostSuffix)))
            g->hide();
        break;
    case QEvent::FocusOut:
        if (watched == item && m_store) {
            // After the focus change has run to its end: running the event
            // loop inside it would hand the mouse release of a button click
            // to the button before its press, and the click would be lost.
            QTimer::singleShot(0, m_store, [store = QPointer<CardStore>(m_store)] {
                if (store)
                    ReportErrors([&] { store->refreshCardPhotos(); });
            });
        }
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
