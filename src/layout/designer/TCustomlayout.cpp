#include "layout/designer/TCustomlayout.h"

#include "layout/designer/DesignerItems.h"
#include "layout/designer/DesignerWidgets.h"
#include "layout/file/LayoutFont.h"
#include "lang/CommonDialogs.h"
#include "lang/EditTextDialog.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/RadioGroup.h"
#include "lang/Translation.h"
#include "store/Photos.h"
#include "store/ScaledPicture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QUndoStack>
#include <QWindow>
#include <cmath>
#include <memory>

using namespace vellora;

namespace {

constexpr QSize kClient{704, 577};
constexpr QPoint kCardAt{176, 16};
constexpr QSize kTextItem{130, 25};
constexpr QSize kPhotoItem{75, 100};
constexpr QSize kPictureItem{100, 49};
constexpr QSize kPhotoOnCard{150, 200};
const QColor kFieldColour(0xCC, 0xC7, 0xCF);  // stored as 0xCFC7CC (BBGGRR)
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kHeaderColour(0xD4, 0xD0, 0xC8);  // 0xC8D0D4
constexpr char kItemHint[] = "Click & Drag To Place The Component On The Card";
constexpr char kPictureFilter[] =
    "Pictures (*.bmp *.jpg *.jpeg *.gif *.png *.ico *.svg);;All files (*)";

const QStringList kFreeTexts = {QStringLiteral("StaticText1"), QStringLiteral("StaticText2"),
                                QStringLiteral("StaticText3"), QStringLiteral("StaticText4")};
const QString kPhoto = QStringLiteral("Image1");
const QString kSecondPhoto = QStringLiteral("secphot");
const QString kStaticPicture = QStringLiteral("Statimage1");

// Point sizes become pixel heights at 96 pixels per inch, as on the card
// face, so that a font reads the same in the designer, on the card face and
// in the layout file whatever the screen.
constexpr int kCardPpi = 96;

QString AppTitle()
{
    return QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                            : QApplication::applicationDisplayName();
}

// The default data of a palette text: centred, "MS Sans Serif" of height
// -15 in the window text colour.
LayoutItem PaletteText(const QString &name, const QString &text, int ppi)
{
    LayoutItem item;
    item.name = name;
    item.kind = LayoutItemKind::StaticText;
    item.text = text;
    item.alignment = LayoutAlignment::Center;
    item.fontName = QStringLiteral("MS Sans Serif");
    item.fontHeight = kLayoutDefaultFontHeight;
    item.fontSize = int(std::lround(15.0 * 72.0 / ppi));
    item.fontColor = kLayoutDefaultColor;
    return item;
}

Qt::Alignment ToQtAlignment(LayoutAlignment a)
{
    switch (a) {
    case LayoutAlignment::Right: return Qt::AlignRight;
    case LayoutAlignment::Center: return Qt::AlignHCenter;
    case LayoutAlignment::Left: break;
    }
    return Qt::AlignLeft;
}

// A font's size in pixels, whether it was given in points or pixels.
double PixelSize(const QFont &font, int ppi)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return font.pointSizeF() * ppi / 72.0;
}

bool SameFont(const QFont &a, const QColor &colourA, const QFont &b, const QColor &colourB, int ppi)
{
    return a.family().compare(b.family(), Qt::CaseInsensitive) == 0
           && std::lround(PixelSize(a, ppi)) == std::lround(PixelSize(b, ppi)) && a.bold() == b.bold()
           && a.italic() == b.italic() && a.underline() == b.underline() && a.strikeOut() == b.strikeOut()
           && colourA.toRgb().rgb() == colourB.toRgb().rgb();
}

QString NormalisedBreaks(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

QPushButton *Button(QWidget *parent, const char *name, const char *text, const char *hint, const QRect &bounds)
{
    auto *b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setGeometry(bounds);
    return b;
}

}  // namespace

// One edit of the designer, kept as the designer's state before and after.
class DesignerEditCommand : public QUndoCommand {
public:
    DesignerEditCommand(TCustomlayout *designer, const QString &text, TCustomlayout::State before,
                        TCustomlayout::State after)
        : QUndoCommand(text), m_designer(designer), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_designer->applyState(m_before); }
    void redo() override
    {
        // The edit itself was already made when the command was pushed.
        if (m_first) {
            m_first = false;
            return;
        }
        m_designer->applyState(m_after);
    }

private:
    TCustomlayout *m_designer;
    TCustomlayout::State m_before;
    TCustomlayout::State m_after;
    bool m_first = true;
};

QWidget *TCustomlayout::Slot::widget() const
{
    return text ? static_cast<QWidget *>(text) : static_cast<QWidget *>(picture);
}

TCustomlayout::TCustomlayout(CardSide side, QWidget *parent)
    : TCustomlayout(CurrentDesignerEnvironment(), side, parent)
{
}

TCustomlayout::TCustomlayout(const DesignerEnvironment &environment, CardSide side, QWidget *parent)
    : QDialog(parent), m_env(environment), m_side(side), m_ppi(kCardPpi)
{
    if (m_env.tableFields)
        m_fieldNames = LayoutFieldItemNames(m_env.tableFields());
    build();
}

TCustomlayout::~TCustomlayout() = default;

// ---------------------------------------------------------------------------
// Building the window

void TCustomlayout::build()
{
    setObjectName(QStringLiteral("Customlayout"));
    setWindowTitle(QStringLiteral("Custom Card Layout"));
    SetTag(this, int(m_side));
    setModal(true);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(kClient);
    setSizeGripEnabled(false);
    // A fixed dialog border: no maximising, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);

    m_undo = new QUndoStack(this);
    buildCardArea();
    buildPalette();
    buildGroups();
    buildMenus();

    m_outline = new DragOutline(this);
    m_outline->hide();

    auto *undo = m_undo->createUndoAction(this);
    undo->setShortcuts(QKeySequence::Undo);
    auto *redo = m_undo->createRedoAction(this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction *a : {undo, redo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }

    TranslateComponent(this);
    copyBackgroundGroupTexts();
    retranslateStockTexts();
    for (QWidget *w : findChildren<QWidget *>())
        if (!w->toolTip().isEmpty())
            w->setAccessibleDescription(w->toolTip());

    // Centred on the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TCustomlayout::buildCardArea()
{
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Panel2"));
    m_frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_frame->setLineWidth(1);
    m_frame->setGeometry(QRect(kCardAt - QPoint(1, 1), QSize(515, 323)));

    m_card = new QFrame(this);
    m_card->setObjectName(QStringLiteral("Panel1"));
    m_card->setToolTip(QStringLiteral("Right click to edit card background"));
    m_card->setAutoFillBackground(true);
    QPalette pal = m_card->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_card->setPalette(pal);
    m_card->setGeometry(QRect(kCardAt, QSize(513, 321)));
    m_card->installEventFilter(this);

    m_background = new QLabel(m_card);
    m_background->setObjectName(QStringLiteral("Image2"));
    m_background->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_background->setGeometry(0, 0, 0, 0);
    m_background->setProperty("translate", false);
    m_background->hide();
    m_background->installEventFilter(this);

    m_handles = new SelectionHandles(this, m_card);
    m_handles->hide();
}

void TCustomlayout::buildPalette()
{
    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setGeometry(4, 4, 161, 570);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_scrollBox->viewport()->setAutoFillBackground(true);
    QPalette grey = m_scrollBox->viewport()->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    m_scrollBox->viewport()->setPalette(grey);

    m_paletteContents = new QWidget;
    m_paletteContents->setAutoFillBackground(true);
    m_paletteContents->setPalette(grey);

    auto header = [&](const char *name, const char *text, int top) {
        auto *h = new QLabel(QLatin1String(text), m_paletteContents);
        h->setObjectName(QLatin1String(name));
        h->setAlignment(Qt::AlignCenter);
        h->setFrameStyle(QFrame::Panel | QFrame::Raised);
        h->setAutoFillBackground(true);
        QPalette p = h->palette();
        p.setColor(QPalette::Window, kHeaderColour);
        h->setPalette(p);
        h->setGeometry(0, top, 145, 21);
        return h;
    };

    // The template of the field items: carries the item hint that the
    // language file translates; never shown.
    auto *dummy = new QLabel(m_paletteContents);
    dummy->setObjectName(QStringLiteral("Dummy"));
    dummy->setToolTip(QLatin1String(kItemHint));
    dummy->hide();

    m_fieldsHeader = header("Header1", "Database Fields", 0);

    auto addText = [&](const QString &name, const QString &text, const QColor &colour, int left, int top) {
        Slot slot;
        slot.name = name;
        auto *ghost = new DesignerText(m_paletteContents);
        ghost->setObjectName(name + QStringLiteral("ghost"));
        ghost->setData(PaletteText(name, text, m_ppi));
        ghost->setBackground(kSilver);
        ghost->setGeometry(QRect(QPoint(left, top), kTextItem));
        ghost->setEnabled(false);
        ghost->setProperty("translate", false);
        slot.ghost = ghost;
        slot.text = new DesignerText(m_paletteContents);
        slot.text->setObjectName(name);
        slot.text->setData(PaletteText(name, text, m_ppi));
        slot.text->setBackground(colour);
        slot.text->setGeometry(QRect(QPoint(left, top), kTextItem));
        slot.text->setProperty("translate", false);
        slot.text->installEventFilter(this);
        m_slots.append(slot);
    };
    auto addPicture = [&](const QString &name, const QImage &stock, const QRect &bounds) {
        Slot slot;
        slot.name = name;
        auto *ghost = new DesignerPictureGhost(QString(), m_paletteContents);
        ghost->setObjectName(name + QStringLiteral("ghost"));
        ghost->setGeometry(bounds);
        ghost->setProperty("translate", false);
        slot.ghost = ghost;
        slot.picture = new DesignerPicture(m_paletteContents);
        slot.picture->setObjectName(name);
        slot.picture->setPicture(stock);
        slot.picture->setGeometry(bounds);
        slot.picture->setProperty("translate", false);
        slot.picture->installEventFilter(this);
        m_slots.append(slot);
    };

    int n = 0;
    for (const QString &field : std::as_const(m_fieldNames))
        addText(field, field, kFieldColour, 8, 29 * ++n);
    const int photoTop = 29 * n + 29;
    addPicture(kPhoto, StockPhotoPicture(), QRect(QPoint(35, photoTop), kPhotoItem));
    const int secondTop = photoTop + 104;
    addPicture(kSecondPhoto, StockSecondPhotoPicture(), QRect(QPoint(22, secondTop), kPictureItem));
    const int headerTop = secondTop + 53;
    m_textsHeader = header("Header2", "Static Text Fields", headerTop);
    int top = headerTop + 25;
    for (const QString &name : kFreeTexts) {
        addText(name, QStringLiteral("Static Text"), Qt::white, 8, top);
        top += 29;
    }
    const int staticTop = top - 29 + 29;
    addPicture(kStaticPicture, StockStaticPicture(), QRect(QPoint(22, staticTop), kPictureItem));

    m_paletteContents->resize(145, staticTop + kPictureItem.height() + 8);
    m_scrollBox->setWidget(m_paletteContents);
}

void TCustomlayout::buildGroups()
{
    m_helpGroup = new QGroupBox(this);
    m_helpGroup->setObjectName(QStringLiteral("GroupBox1"));
    m_helpGroup->setGeometry(512, 336, 180, 201);

    m_orientation = new RadioGroup(QStringLiteral("Orientation"),
                                   {QStringLiteral("Landscape"), QStringLiteral("Portrait")}, m_helpGroup);
    m_orientation->setObjectName(QStringLiteral("RadioGroup1"));
    m_orientation->setGeometry(8, 8, 161, 55);
    m_orientation->setItemIndex(0);
    if (QLayout *rows = m_orientation->layout()) {
        rows->setContentsMargins(8, 0, 8, 2);
        rows->setSpacing(0);
    }
    connect(m_orientation, &RadioGroup::itemIndexChanged, this, &TCustomlayout::orientationChosen);

    m_helpText = new QLabel(m_helpGroup);
    m_helpText->setObjectName(QStringLiteral("Label1"));
    m_helpText->setText(QStringLiteral(
        "Click and Drag the components from the panel on the left and place them on the card. Use the anchor "
        "points to resize the components, or Right-Click to change the properties."));
    m_helpText->setWordWrap(true);
    m_helpText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_helpText->setGeometry(6, 66, 168, 94);

    m_ok = Button(m_helpGroup, "OKBtn", "OK", "Save Settings and return to main window", QRect(7, 162, 75, 25));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        QString error;
        if (!SaveLayout(&error)) {
            PlainMessage(AppTitle(), error, PlainIcon::Error);
            return;
        }
        accept();
    });
    m_cancel = Button(m_helpGroup, "CancelBtn", "Cancel", "Cancel Card Design", QRect(96, 162, 75, 25));
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_backGroup = new QGroupBox(QStringLiteral("Background Selection"), this);
    m_backGroup->setObjectName(QStringLiteral("GroupBoxBack"));
    m_backGroup->setGeometry(176, 344, 180, 193);
    m_backText = new QLabel(m_backGroup);
    m_backText->setObjectName(QStringLiteral("Label3"));
    m_backText->setText(QStringLiteral(
        "These settings enable you to select either a uniform single-color background, or a textured bitmap "
        "image. Choose from the wide selection of textures provided, or create your own and import it."));
    m_backText->setWordWrap(true);
    m_backText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_backText->setGeometry(6, 16, 168, 96);
    m_selectColour = Button(m_backGroup, "BitBtn3", "Select Color", "Select a plain color from the library",
                            QRect(8, 114, 164, 23));
    m_selectPattern = Button(m_backGroup, "BitBtn4", "Select Pattern...", "Select a color pattern from the library",
                             QRect(8, 139, 164, 23));
    m_clearBackground = Button(m_backGroup, "BitBtn5", "Clear Background", "", QRect(8, 164, 164, 23));
    connect(m_selectColour, &QPushButton::clicked, this, [this] { selectBackground(true); });
    connect(m_selectPattern, &QPushButton::clicked, this, [this] { selectBackground(false); });
    connect(m_clearBackground, &QPushButton::clicked, this, &TCustomlayout::clearBackground);

    m_printerHint = new QLabel(this);
    m_printerHint->setObjectName(QStringLiteral("Label2"));
    m_printerHint->setText(QStringLiteral(
        "For the Lirno, Fasko and Merun printers, imported background image should be 1000 x 642 pixels.\n"
        "For the Doveka and Brano 2 printers, imported background image should be 1026 x 642 pixels.\n"
        "Use 300 dpi resolution files."));
    m_printerHint->setWordWrap(true);
    m_printerHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_printerHint->setGeometry(176, 536, 521, 41);
}

void TCustomlayout::buildMenus()
{
    auto action = [&](QMenu *menu, const char *name, const char *text, auto slot) {
        auto *a = new QAction(QLatin1String(text), menu);
        a->setObjectName(QLatin1String(name));
        menu->addAction(a);
        connect(a, &QAction::triggered, this, slot);
        m_actions.insert(QLatin1String(name), a);
        return a;
    };
    m_itemMenu = new QMenu(this);
    m_itemMenu->setObjectName(QStringLiteral("PopupMenu1"));
    action(m_itemMenu, "FontStyle1", "FontStyle", [this] { chooseItemFont(m_menuTarget); });
    m_itemMenu->addSeparator();
    action(m_itemMenu, "LeftAlign1", "Left Align", [this] { alignItem(m_menuTarget, LayoutAlignment::Left); });
    action(m_itemMenu, "Center1", "Center", [this] { alignItem(m_menuTarget, LayoutAlignment::Center); });
    action(m_itemMenu, "RightAlign1", "Right Align", [this] { alignItem(m_menuTarget, LayoutAlignment::Right); });
    m_itemMenu->addSeparator();
    action(m_itemMenu, "EditText1", "Edit Text", [this] { editItemText(m_menuTarget); });
    m_itemMenu->addSeparator();
    action(m_itemMenu, "LoadImage1", "Load Image", [this] { loadStaticPicture(); });
    action(m_itemMenu, "ClearImage1", "Clear Image", [this] { clearStaticPicture(); });

    m_backMenu = new QMenu(this);
    m_backMenu->setObjectName(QStringLiteral("PopupMenu2"));
    action(m_backMenu, "SelectBackgroundImage1", "Select Background &Image", [this] { selectBackground(false); });
    action(m_backMenu, "SelectBackgroundColor1", "Select Background &Color", [this] { selectBackground(true); });
    action(m_backMenu, "ClearBackground1", "Clear &Background", [this] { clearBackground(); });
    m_backMenu->addSeparator();
    QAction *colour = action(m_backMenu, "UseColorPrinter1", "Use Color &Printer", [this] { updateColourEntries(); });
    colour->setCheckable(true);
    colour->setChecked(false);
    updateColourEntries();
}

void TCustomlayout::copyBackgroundGroupTexts()
{
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QGroupBox *source = owner ? owner->findChild<QGroupBox *>(QStringLiteral("GroupBoxBack")) : nullptr;
    if (!source || source == m_backGroup)
        return;
    m_backGroup->setTitle(source->title());
    for (const QLabel *label : source->findChildren<QLabel *>())
        if (label->wordWrap() && !label->text().isEmpty()) {
            m_backText->setText(label->text());
            break;
        }
    // The dialog's buttons in the order Select Color, Select Pattern...,
    // Clear Background.
    QList<const QAbstractButton *> buttons;
    for (const QObject *child : source->children())
        if (const auto *b = qobject_cast<const QAbstractButton *>(child))
            buttons.append(b);
    QPushButton *own[] = {m_selectColour, m_selectPattern, m_clearBackground};
    for (int i = 0; i < 3 && i < buttons.size(); ++i) {
        own[i]->setText(buttons[i]->text());
        if (!buttons[i]->toolTip().isEmpty())
            own[i]->setToolTip(buttons[i]->toolTip());
    }
}

void TCustomlayout::retranslateStockTexts()
{
    const QString hint = findChild<QLabel *>(QStringLiteral("Dummy"))->toolTip();
    for (Slot &slot : m_slots) {
        slot.widget()->setToolTip(hint);
        slot.widget()->setAccessibleDescription(hint);
        if (slot.picture) {
            const int key = slot.name == kPhoto ? 63 : slot.name == kSecondPhoto ? 64 : 65;
            static_cast<DesignerPictureGhost *>(slot.ghost)->setCaption(Literal(key));
            slot.picture->setAccessibleName(Literal(key));
        }
    }
}

// ---------------------------------------------------------------------------
// Items

TCustomlayout::Slot *TCustomlayout::slotOf(const QWidget *w)
{
    for (Slot &s : m_slots)
        if (s.widget() == w)
            return &s;
    return nullptr;
}

const TCustomlayout::Slot *TCustomlayout::slotOf(const QWidget *w) const
{
    return const_cast<TCustomlayout *>(this)->slotOf(w);
}

TCustomlayout::Slot *TCustomlayout::slotNamed(const QString &name)
{
    for (Slot &s : m_slots)
        if (s.name == name)
            return &s;
    return nullptr;
}

const TCustomlayout::Slot *TCustomlayout::slotNamed(const QString &name) const
{
    return const_cast<TCustomlayout *>(this)->slotNamed(name);
}

QWidget *TCustomlayout::item(const QString &name) const
{
    const Slot *s = slotNamed(name);
    return s ? s->widget() : nullptr;
}

QWidget *TCustomlayout::ghost(const QString &name) const
{
    const Slot *s = slotNamed(name);
    return s ? s->ghost : nullptr;
}

QStringList TCustomlayout::itemNames() const
{
    QStringList names = m_fieldNames;
    names << kPhoto << kFreeTexts << kStaticPicture << kSecondPhoto;
    return names;
}

bool TCustomlayout::onCard(const Slot &slot) const { return slot.widget()->parentWidget() == m_card; }

bool TCustomlayout::isOnCard(const QString &name) const
{
    const Slot *s = slotNamed(name);
    return s && onCard(*s);
}

QRect TCustomlayout::ghostBounds(const Slot &slot) const { return slot.ghost->geometry(); }

QWidget *TCustomlayout::selectionHandles() const { return m_handles; }
QWidget *TCustomlayout::dragOutline() const { return m_outline; }
bool TCustomlayout::isLandscape() const { return m_landscape; }

QAction *TCustomlayout::menuAction(const QString &name) const { return m_actions.value(name); }

bool TCustomlayout::colorPrinter() const { return m_actions.value(QStringLiteral("UseColorPrinter1"))->isChecked(); }

void TCustomlayout::setColorPrinter(bool on)
{
    m_actions.value(QStringLiteral("UseColorPrinter1"))->setChecked(on);
    updateColourEntries();
}

void TCustomlayout::updateColourEntries()
{
    const bool colour = colorPrinter();
    m_actions.value(QStringLiteral("SelectBackgroundColor1"))->setEnabled(colour);
    if (m_selectColour)
        m_selectColour->setEnabled(colour);
}

void TCustomlayout::placeOnCard(Slot &slot, const QRect &bounds)
{
    QWidget *w = slot.widget();
    if (w->parentWidget() != m_card)
        w->setParent(m_card);
    w->setGeometry(bounds.normalized());
    w->show();
    w->raise();
    if (slot.name == kStaticPicture)
        showStaticPicture(true);
    if (m_handles->isVisible())
        m_handles->raise();
}

void TCustomlayout::returnToPalette(Slot &slot)
{
    QWidget *w = slot.widget();
    if (m_selected == w)
        clearSelection();
    if (w->parentWidget() != m_paletteContents)
        w->setParent(m_paletteContents);
    if (slot.text)
        slot.text->setData(static_cast<DesignerText *>(slot.ghost)->data());
    w->setGeometry(ghostBounds(slot));
    if (slot.name == kStaticPicture)
        slot.picture->setPicture(StockStaticPicture());
    w->show();
    w->raise();
}

void TCustomlayout::selectItem(QWidget *w)
{
    const Slot *slot = slotOf(w);
    if (!slot || !onCard(*slot)) {
        clearSelection();
        return;
    }
    m_selected = w;
    updateSelection();
}

void TCustomlayout::updateSelection()
{
    if (!m_selected || m_selected->parentWidget() != m_card) {
        m_selected = nullptr;
        m_handles->hide();
        return;
    }
    m_handles->frameItem(m_selected->geometry());
    m_handles->setAccessibleName(m_selected->accessibleName());
    m_handles->show();
    m_handles->raise();
    m_handles->setFocus(Qt::OtherFocusReason);
}

void TCustomlayout::clearSelection()
{
    m_selected = nullptr;
    m_handles->hide();
}

// ---------------------------------------------------------------------------
// Mouse and keys

bool TCustomlayout::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return QDialog::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return QDialog::eventFilter(watched, event);
    auto *me = static_cast<QMouseEvent *>(event);
    const QPoint global = me->globalPosition().toPoint();

    if (w == m_card || w == m_background) {
        if (type == QEvent::MouseButtonPress && me->button() == Qt::RightButton) {
            m_backMenu->popup(global);
            return true;
        }
        if (type == QEvent::MouseButtonPress && me->button() == Qt::LeftButton)
            clearSelection();
        return QDialog::eventFilter(watched, event);
    }

    Slot *slot = slotOf(w);
    if (!slot)
        return QDialog::eventFilter(watched, event);
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (me->button() == Qt::LeftButton) {
            if (onCard(*slot)) {
                selectItem(w);
                beginCardDrag(*slot, SelectionHit::Move, global);
            } else {
                beginPaletteDrag(*slot, global);
            }
            return true;
        }
        if (me->button() == Qt::RightButton && onCard(*slot)) {
            selectItem(w);
            prepareItemMenu(*slot);
            m_itemMenu->popup(global);
            return true;
        }
        return true;
    }
    if (type == QEvent::MouseMove) {
        if (m_drag.mode != DragMode::None)
            dragTo(global);
        return true;
    }
    if (type == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton) {
        if (m_drag.mode != DragMode::None)
            dropAt(global);
        return true;
    }
    return true;
}

bool TCustomlayout::overCard(QPoint global) const
{
    return m_card->rect().contains(m_card->mapFromGlobal(global));
}

bool TCustomlayout::overPalette(QPoint global) const
{
    return m_scrollBox->viewport()->rect().contains(m_scrollBox->viewport()->mapFromGlobal(global));
}

void TCustomlayout::beginPaletteDrag(Slot &slot, QPoint global)
{
    m_drag = Drag{};
    m_drag.mode = DragMode::Palette;
    m_drag.slot = &slot;
    m_drag.startGlobal = global;
    m_drag.startBounds = slot.widget()->geometry();
    m_drag.grabOffset = slot.widget()->mapFromGlobal(global);
    dragTo(global);
}

void TCustomlayout::beginCardDrag(Slot &slot, SelectionHit hit, QPoint global)
{
    m_drag = Drag{};
    m_drag.mode = DragMode::Card;
    m_drag.slot = &slot;
    m_drag.hit = hit;
    m_drag.startGlobal = global;
    m_drag.startBounds = slot.widget()->geometry();
}

void TCustomlayout::dragTo(QPoint global)
{
    if (m_drag.mode == DragMode::None || !m_drag.slot)
        return;
    QRect outline;
    if (m_drag.mode == DragMode::Palette) {
        // The item would land with its top-left corner at the pointer.
        QSize size = m_drag.slot->widget()->size();
        if (m_drag.slot->name == kPhoto && overCard(global))
            size = kPhotoOnCard;
        outline = QRect(mapFromGlobal(global), size);
    } else {
        const QPoint delta = global - m_drag.startGlobal;
        if (delta.manhattanLength() > 0)
            m_drag.moved = true;
        if (!m_drag.moved)
            return;
        QRect bounds = m_drag.hit == SelectionHit::Move
                           ? m_drag.startBounds.translated(delta)
                           : DraggedBounds(m_drag.startBounds, m_drag.hit, delta, m_card->size());
        outline = QRect(m_card->mapTo(this, bounds.topLeft()), bounds.size());
    }
    m_outline->showAt(outline);
}

void TCustomlayout::dropAt(QPoint global)
{
    const Drag drag = m_drag;
    m_drag = Drag{};
    m_outline->hide();
    if (!drag.slot)
        return;
    Slot &slot = *drag.slot;
    const State before = state();

    if (drag.mode == DragMode::Palette) {
        if (overCard(global)) {
            const QSize size = slot.name == kPhoto ? kPhotoOnCard : slot.widget()->size();
            const QPoint at = DropPosition(m_card->mapFromGlobal(global), size, m_card->size());
            placeOnCard(slot, QRect(at, size));
            selectItem(slot.widget());
            recordEdit(tr("Place %1").arg(slot.name), before);
        } else if (overPalette(global)) {
            returnToPalette(slot);
            recordEdit(tr("Return %1").arg(slot.name), before);
        }
        return;
    }

    // A press and release without a move only selects.
    if (!drag.moved) {
        updateSelection();
        return;
    }
    const QPoint delta = global - drag.startGlobal;
    if (drag.hit != SelectionHit::Move) {
        slot.widget()->setGeometry(DraggedBounds(drag.startBounds, drag.hit, delta, m_card->size()));
        updateSelection();
        recordEdit(tr("Resize %1").arg(slot.name), before);
        return;
    }
    if (overCard(global)) {
        slot.widget()->setGeometry(DraggedBounds(drag.startBounds, SelectionHit::Move, delta, m_card->size()));
        updateSelection();
        recordEdit(tr("Move %1").arg(slot.name), before);
    } else if (overPalette(global)) {
        returnToPalette(slot);
        clearSelection();
        recordEdit(tr("Return %1").arg(slot.name), before);
    } else {
        clearSelection();
    }
}

void TCustomlayout::nudgeSelection(int dx, int dy)
{
    Slot *slot = slotOf(m_selected);
    if (!slot || !onCard(*slot))
        return;
    const State before = state();
    slot->widget()->setGeometry(
        DraggedBounds(slot->widget()->geometry(), SelectionHit::Move, QPoint(dx, dy), m_card->size()));
    updateSelection();
    recordEdit(tr("Move %1").arg(slot->name), before);
}

void TCustomlayout::keyPressEvent(QKeyEvent *event)
{
    if (m_selected) {
        switch (event->key()) {
        case Qt::Key_Left: nudgeSelection(-1, 0); return;
        case Qt::Key_Right: nudgeSelection(1, 0); return;
        case Qt::Key_Up: nudgeSelection(0, -1); return;
        case Qt::Key_Down: nudgeSelection(0, 1); return;
        default: break;
        }
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------
// Menus

void TCustomlayout::prepareItemMenu(Slot &slot)
{
    m_menuTarget = slot.widget();
    const bool text = slot.text != nullptr;
    for (const char *name : {"FontStyle1", "LeftAlign1", "Center1", "RightAlign1"})
        m_actions.value(QLatin1String(name))->setVisible(text);
    m_actions.value(QStringLiteral("EditText1"))
        ->setVisible(text && slot.name.toUpper().startsWith(QLatin1String("STAT")));
    const bool staticPicture = slot.name == kStaticPicture;
    m_actions.value(QStringLiteral("LoadImage1"))->setVisible(staticPicture);
    m_actions.value(QStringLiteral("ClearImage1"))->setVisible(staticPicture);
}

void TCustomlayout::chooseItemFont(QWidget *w)
{
    Slot *slot = slotOf(w);
    if (!slot || !slot->text)
        return;
    LayoutItem data = slot->text->data();
    QColor colour = LayoutColor(data.fontColor, slot->text->palette());
    const std::optional<QFont> chosen = FontDialog(this, LayoutItemFont(data), &colour);
    if (!chosen)
        return;
    const State before = state();
    SetLayoutItemFont(&data, *chosen, m_ppi);
    if (colour.isValid() && colour.toRgb() != LayoutColor(data.fontColor, slot->text->palette()).toRgb())
        data.fontColor = LayoutColorValue(colour);
    slot->text->setData(data);
    recordEdit(tr("Font of %1").arg(slot->name), before);
}

void TCustomlayout::alignItem(QWidget *w, LayoutAlignment alignment)
{
    Slot *slot = slotOf(w);
    if (!slot || !slot->text)
        return;
    const State before = state();
    LayoutItem data = slot->text->data();
    data.alignment = alignment;
    slot->text->setData(data);
    recordEdit(tr("Alignment of %1").arg(slot->name), before);
}

void TCustomlayout::editItemText(QWidget *w)
{
    Slot *slot = slotOf(w);
    if (!slot || !slot->text || !slot->name.toUpper().startsWith(QLatin1String("STAT")))
        return;
    TOKBottomDlg *dialog = m_env.editTextDialog ? m_env.editTextDialog() : nullptr;
    std::unique_ptr<TOKBottomDlg> own;
    if (!dialog) {
        own = std::make_unique<TOKBottomDlg>(this);
        TranslateComponent(own.get());
        dialog = own.get();
    }
    // Shown above the designer, whoever owns the dialog.
    dialog->winId();
    if (QWindow *window = dialog->windowHandle())
        window->setTransientParent(windowHandle());
    LayoutItem data = slot->text->data();
    dialog->setItem(data.text, LayoutItemFont(data), ToQtAlignment(data.alignment.value_or(LayoutAlignment::Left)));
    if (dialog->exec() != QDialog::Accepted)
        return;
    QString text = dialog->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\n', QLatin1String("\r\n"));
    if (text == data.text)
        return;
    const State before = state();
    data.text = text;
    slot->text->setData(data);
    recordEdit(tr("Text of %1").arg(slot->name), before);
}

void TCustomlayout::loadStaticPicture()
{
    const std::optional<QString> path =
        OpenFileDialog(this, QString(), m_env.appFolder, QLatin1String(kPictureFilter));
    if (!path || path->isEmpty())
        return;
    const State before = state();
    m_staticPath = *path;
    showStaticPicture();
    recordEdit(tr("Static picture"), before);
}

void TCustomlayout::clearStaticPicture()
{
    const State before = state();
    m_staticPath.clear();
    showStaticPicture();
    recordEdit(tr("Clear static picture"), before);
}

void TCustomlayout::selectBackground(bool colours)
{
    if (colours && !colorPrinter())
        return;
    const QString folder = m_env.appFolder + (colours ? QStringLiteral("colors") : QStringLiteral("backgrounds"));
    const std::optional<QString> path = OpenFileDialog(this, QString(), folder, QLatin1String(kPictureFilter));
    if (!path || path->isEmpty())
        return;
    const State before = state();
    m_backgroundPath = *path;
    showBackground();
    recordEdit(tr("Background"), before);
}

void TCustomlayout::clearBackground()
{
    const State before = state();
    m_backgroundPath.clear();
    showBackground();
    recordEdit(tr("Clear background"), before);
}

// ---------------------------------------------------------------------------
// Background and static picture

void TCustomlayout::showBackground(bool quiet)
{
    m_background->clear();
    if (m_backgroundPath.isEmpty()) {
        m_background->hide();
        return;
    }
    QImage picture;
    try {
        picture = LoadScaledPicture(m_backgroundPath, 50);
    } catch (const PhotoError &) {
        picture = QImage();
    }
    if (picture.isNull()) {
        m_background->hide();
        if (!quiet)
            LocalMessageDlg(Literal(1), MsgKind::Error, MsgButton::OK);
        return;
    }
    m_background->setPixmap(QPixmap::fromImage(picture));
    m_background->setGeometry(QRect(QPoint(0, 0), picture.size()));
    m_background->show();
    m_background->lower();
}

void TCustomlayout::showStaticPicture(bool quiet)
{
    Slot *slot = slotNamed(kStaticPicture);
    if (!slot)
        return;
    if (m_staticPath.isEmpty() || !onCard(*slot)) {
        slot->picture->setPicture(StockStaticPicture());
        return;
    }
    QImage picture;
    try {
        picture = LoadScaledPicture(m_staticPath, 100);
    } catch (const PhotoError &) {
        picture = QImage();
    }
    if (picture.isNull()) {
        slot->picture->setPicture(StockStaticPicture());
        if (!quiet)
            LocalMessageDlg(Literal(1), MsgKind::Error, MsgButton::OK);
        return;
    }
    slot->picture->setPicture(picture);
}

// ---------------------------------------------------------------------------
// Orientation

void TCustomlayout::applyPanelSize(bool landscape)
{
    m_landscape = landscape;
    const QSize card = landscape ? QSize(513, 321) : QSize(321, 513);
    m_card->resize(card);
    m_frame->resize(card + QSize(2, 2));
}

void TCustomlayout::moveBackgroundGroup(bool landscape)
{
    if (landscape)
        m_backGroup->move(m_card->x(), m_helpGroup->y() + 8);
    else
        m_backGroup->move(m_helpGroup->x(), m_card->y());
}

void TCustomlayout::setOrientation(bool landscape) { m_orientation->setItemIndex(landscape ? 0 : 1); }

void TCustomlayout::orientationChosen(int index)
{
    const bool landscape = index == 0;
    moveBackgroundGroup(landscape);
    if (m_settingOrientation || index < 0)
        return;
    if (landscape == m_landscape && m_card->size() == (landscape ? QSize(513, 321) : QSize(321, 513)))
        return;
    const State before = state();
    const bool previous = m_landscape;
    const QSize previousCard = m_card->size();
    const QSize previousFrame = m_frame->size();
    applyPanelSize(landscape);
    clearSelection();

    QList<Slot *> outside;
    for (Slot &slot : m_slots) {
        if (!onCard(slot))
            continue;
        const QRect g = slot.widget()->geometry();
        if (g.x() + g.width() > m_card->width() || g.y() + g.height() > m_card->height())
            outside.append(&slot);
    }
    if (!outside.isEmpty()) {
        const int answer = LocalMessageDlg(Literal(landscape ? 2 : 3), MsgKind::Warning,
                                           MsgButton::OK | MsgButton::Cancel);
        if (answer == MrOk) {
            for (Slot *slot : std::as_const(outside))
                returnToPalette(*slot);
        } else {
            m_landscape = previous;
            m_card->resize(previousCard);
            m_frame->resize(previousFrame);
            m_settingOrientation = true;
            m_orientation->setItemIndex(previous ? 0 : 1);
            m_settingOrientation = false;
            m_ok->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    recordEdit(tr("Orientation"), before);
}

// ---------------------------------------------------------------------------
// Loading and saving

void TCustomlayout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        opening();
    }
}

void TCustomlayout::opening()
{
    // 1. The side's file, and the card face when it differs from it.
    if (LoadSideLayout() && m_env.layoutType && m_env.layoutType(m_side) == 6 && LayoutDiffersFromCardFace()) {
        if (LocalMessageDlg(Literal(66), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No) == MrNo)
            TakeOverCardFace();
    }
    // 2. Background, static picture, the photo in front.
    showBackground();
    showStaticPicture();
    if (QWidget *photo = item(kPhoto))
        photo->raise();
    if (m_handles->isVisible())
        m_handles->raise();
    m_undo->clear();
}

bool TCustomlayout::LoadSideLayout(bool *complete)
{
    if (complete)
        *complete = false;
    if (m_env.appFolder.isEmpty())
        return false;
    const QString path = vellora::LayoutFileName(m_env.appFolder, m_side);
    if (!QFileInfo::exists(path))
        return false;
    const LayoutLoad load = LoadLayout(path);
    if (complete)
        *complete = load.ok();
    return load.status != LayoutLoad::Status::Missing && load.status != LayoutLoad::Status::Unreadable;
}

LayoutLoad TCustomlayout::LoadLayout(const QString &path)
{
    LayoutLoadOptions options;
    options.reader = LayoutReader::Designer;
    options.resolve = [this](const QString &name) -> std::optional<LayoutItemKind> {
        const Slot *slot = slotNamed(name);
        if (!slot)
            return std::nullopt;
        return slot->picture ? LayoutItemKind::Image : LayoutItemKind::StaticText;
    };
    LayoutLoad load = vellora::LoadLayout(path, options);
    if (load.status == LayoutLoad::Status::Missing)
        return load;
    if (load.status == LayoutLoad::Status::Unreadable) {
        PlainMessage(AppTitle(), load.error, PlainIcon::Error);
        return load;
    }
    const bool sizeRead = load.ok() || load.errorLine > 4;
    applyLayoutRecord(load.record, sizeRead, true);
    if (load.status == LayoutLoad::Status::Malformed)
        PlainMessage(AppTitle(), load.error, PlainIcon::Error);
    return load;
}

void TCustomlayout::applyLayoutRecord(const LayoutRecord &record, bool sizeRead, bool /*quiet*/)
{
    clearSelection();
    if (sizeRead) {
        const bool landscape = record.isLandscape();
        m_settingOrientation = true;
        m_orientation->setItemIndex(landscape ? 0 : 1);
        m_settingOrientation = false;
        applyPanelSize(landscape);
        moveBackgroundGroup(landscape);
    }
    m_backgroundPath = record.backgroundPath;
    for (const LayoutItem &line : record.items) {
        Slot *slot = slotNamed(line.name);
        if (!slot)
            continue;
        applyItemLine(*slot, line);
        if (slot->picture && line.picturePath && slot->name == kStaticPicture)
            m_staticPath = *line.picturePath;
    }
}

void TCustomlayout::applyItemLine(Slot &slot, const LayoutItem &line)
{
    if (slot.text) {
        LayoutItem data = slot.text->data();
        data.text = line.text;
        if (line.alignment)
            data.alignment = line.alignment;
        data.fontName = line.fontName;
        data.fontSize = line.fontSize;
        data.fontColor = line.fontColor;
        data.fontHeight = line.fontHeight;
        data.style = line.style;
        slot.text->setData(data);
    }
    if (line.placeFor(LayoutReader::Designer) == LayoutPlace::Pallete) {
        QWidget *w = slot.widget();
        if (m_selected == w)
            clearSelection();
        if (w->parentWidget() != m_paletteContents)
            w->setParent(m_paletteContents);
        w->setGeometry(ghostBounds(slot));
        w->show();
        w->raise();
        return;
    }
    placeOnCard(slot, QRect(line.left, line.top, std::max(0, line.width), std::max(0, line.height)));
}

LayoutRecord TCustomlayout::layoutRecord() const
{
    LayoutRecord record;
    record.panelWidth = m_card->width();
    record.panelHeight = m_card->height();
    record.frameWidth = m_frame->width();
    record.frameHeight = m_frame->height();
    record.backgroundPath = m_backgroundPath;
    for (const QString &name : itemNames()) {
        const Slot *slot = slotNamed(name);
        if (!slot)
            continue;
        LayoutItem line;
        if (slot->text) {
            line = slot->text->data();
            line.kind = LayoutItemKind::StaticText;
            if (!line.alignment)
                line.alignment = LayoutAlignment::Left;
        } else {
            line.kind = LayoutItemKind::Image;
            if (name == kStaticPicture)
                line.picturePath = m_staticPath;
        }
        line.name = name;
        line.setPlace(onCard(*slot) ? LayoutPlace::Card : LayoutPlace::Pallete);
        const QRect g = slot->widget()->geometry();
        line.left = g.x();
        line.top = g.y();
        line.width = g.width();
        line.height = g.height();
        record.items.append(line);
    }
    return record;
}

bool TCustomlayout::SaveLayout(QString *error)
{
    // Without a program folder the file would land in whatever folder the
    // program was started from.
    if (m_env.appFolder.isEmpty()) {
        if (error)
            *error = tr("The layout cannot be saved: the program folder is not known.");
        return false;
    }
    return vellora::SaveLayout(m_env.appFolder, m_side, layoutRecord(), error);
}

// ---------------------------------------------------------------------------
// The card face

bool TCustomlayout::LayoutDiffersFromCardFace() const
{
    if (!m_env.cardFace)
        return false;
    const std::optional<CardFaceSnapshot> face = m_env.cardFace(m_side);
    return face && LayoutDiffersFromCardFace(*face);
}

bool TCustomlayout::LayoutDiffersFromCardFace(const CardFaceSnapshot &face) const
{
    const auto differs = [this](const DesignerText *item, const CardFaceText &shown, bool compareText) {
        const LayoutItem &data = item->data();
        if (compareText && NormalisedBreaks(data.text) != NormalisedBreaks(shown.text))
            return true;
        if (!shown.visible)
            return false;
        if (data.alignment.value_or(LayoutAlignment::Left) != shown.alignment)
            return true;
        return !SameFont(LayoutItemFont(data), LayoutColor(data.fontColor, item->palette()), shown.font,
                         shown.colour, m_ppi);
    };
    for (int i = 0; i < 4; ++i) {
        const Slot *slot = slotNamed(kFreeTexts[i]);
        if (slot && face.freeTexts[std::size_t(i)] && differs(slot->text, *face.freeTexts[std::size_t(i)], true))
            return true;
    }
    for (const QString &field : m_fieldNames) {
        const Slot *slot = slotNamed(field);
        const auto it = face.fieldItems.constFind(field);
        if (slot && it != face.fieldItems.constEnd() && differs(slot->text, *it, false))
            return true;
    }
    return false;
}

void TCustomlayout::TakeOverCardFace()
{
    if (!m_env.cardFace)
        return;
    if (const std::optional<CardFaceSnapshot> face = m_env.cardFace(m_side))
        TakeOverCardFace(*face);
}

void TCustomlayout::TakeOverCardFace(const CardFaceSnapshot &face)
{
    const auto fontOf = [this](LayoutItem &data, const CardFaceText &shown) {
        SetLayoutItemFont(&data, shown.font, m_ppi);
        data.fontColor = LayoutColorValue(shown.colour);
        data.alignment = shown.alignment;
    };
    for (int i = 0; i < 4; ++i) {
        Slot *slot = slotNamed(kFreeTexts[i]);
        const std::optional<CardFaceText> &shown = face.freeTexts[std::size_t(i)];
        if (!slot || !shown)
            continue;
        LayoutItem data = slot->text->data();
        data.text = NormalisedBreaks(shown->text).replace(u'\n', QLatin1String("\r\n"));
        fontOf(data, *shown);
        // A free text's height follows from its size.
        data.fontHeight = LayoutFontHeightForPoints(data.fontSize, m_ppi);
        slot->text->setData(data);
    }
    for (const QString &field : std::as_const(m_fieldNames)) {
        Slot *slot = slotNamed(field);
        const auto it = face.fieldItems.constFind(field);
        if (!slot || it == face.fieldItems.constEnd())
            continue;
        LayoutItem data = slot->text->data();
        fontOf(data, *it);
        slot->text->setData(data);
    }
}

// ---------------------------------------------------------------------------
// Undo

TCustomlayout::State TCustomlayout::state() const { return State{layoutRecord(), m_staticPath}; }

void TCustomlayout::applyState(const State &s)
{
    m_applyingState = true;
    applyLayoutRecord(s.record, true, true);
    m_staticPath = s.staticPath;
    showBackground(true);
    showStaticPicture(true);
    if (QWidget *photo = item(kPhoto); photo && photo->parentWidget() == m_card)
        photo->raise();
    m_applyingState = false;
}

void TCustomlayout::recordEdit(const QString &text, const State &before)
{
    if (m_applyingState)
        return;
    State after = state();
    if (after.record == before.record && after.staticPath == before.staticPath)
        return;
    m_undo->push(new DesignerEditCommand(this, text, before, std::move(after)));
}
