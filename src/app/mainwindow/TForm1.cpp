#include "app/mainwindow/TForm1.h"

#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/PhotoMenu.h"
#include "app/mainwindow/TextMenu.h"
#include "app/shell/WindowSizing.h"
#include "engine/Table.h"
#include "lang/EditTextDialog.h"
#include "lang/GlyphButton.h"
#include "lang/Translation.h"
#include "print/CardSideModel.h"
#include "store/CardPhotos.h"
#include "store/CardStore.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>

using vellora::GlyphButton;
using vellora::PhotoItem;

namespace {

constexpr int kTitleBarHeight = 60;
constexpr int kButtonColumnWidth = 106;
constexpr QSize kLandscape{513, 321};
// Where the front card panel sits in the card area; the quick layouts put
// the note label 4 pixels under a landscape front (top 328).
constexpr QPoint kFrontTopLeft{8, 3};

// The two printer markers until the language pictures replace them:
// colour (four coloured squares) and monochrome.
QPixmap drawMarker(bool colour)
{
    QPixmap pm(76, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor colours[4] = {QColor(0, 174, 239), QColor(236, 0, 140), QColor(255, 221, 0), QColor(30, 30, 30)};
    for (int i = 0; i < 4; ++i)
        p.fillRect(2 + i * 12, 2, 10, 10, colour ? colours[i] : QColor(40 + i * 50, 40 + i * 50, 40 + i * 50));
    p.setPen(Qt::white);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(50, 0, 26, 14), Qt::AlignCenter, colour ? QStringLiteral("CLR") : QStringLiteral("B/W"));
    return pm;
}

// The static picture until a layout gives it one: a framed "Logo" box.
QImage logoPlaceholder()
{
    QImage image(100, 49, QImage::Format_RGB32);
    image.fill(QColor(236, 240, 246));
    QPainter p(&image);
    p.setPen(QColor(150, 160, 175));
    p.drawRect(0, 0, image.width() - 1, image.height() - 1);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Logo"));
    return image;
}

QLabel *namedLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vellora-ID"));
    resize(vellora::kMainWindowDesignSize);
    setMinimumSize(vellora::kMainWindowMinimumSize);

    m_table = new vellora::Table(this);
    m_table->setObjectName(QStringLiteral("Table1"));
    m_dataSource = new vellora::DataSource(m_table, this);
    m_dataSource->setObjectName(QStringLiteral("DataSource1"));
    m_template = vellora::DefaultPlaceholderPicture();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    setCentralWidget(central);

    buildTitleBar();
    buildCardArea();
    buildButtonColumn();
    m_photoMenu = std::make_unique<PhotoMenu>(PhotoMenu::Parts{
        this, &m_remembered, &m_front, &m_back, &m_settings, [this] { return m_store; }, m_template,
        [this](PhotoItem *item, const QString &suffix, int page) { OpenCapture(item, suffix, page); }});
    m_textMenu = std::make_unique<TextMenu>(
        TextMenu::Parts{this, &m_remembered, nullptr, [this] { RelayoutFieldItems(); }});

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->addWidget(namedLabel(QStringLiteral("StatusLabel"), QStringLiteral("Press F1 for Help"), status));
    setStatusBar(status);

    // The placeholder picture of photos without a file; its picture is data.
    auto *templ = new QLabel(this);
    templ->setObjectName(QStringLiteral("template"));
    templ->setPixmap(QPixmap::fromImage(m_template));
    vellora::SetTag(templ, vellora::kKeepCaptionTag);
    templ->hide();

    m_editText = new TOKBottomDlg(this);
    m_textMenu->setEditTextDialog(m_editText);

    m_dataModule = new TDataModule1(this);
    m_dataModule->attachTo(menuBar());
    connectMenu();
}

TForm1::~TForm1()
{
    // The table and the store go with the window's children; nothing they
    // announce on the way may reach the half-destroyed window.
    m_destroying = true;
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    FreeFieldItems();
}

vellora::GlyphButton *TForm1::button(const QString &name) const
{
    for (GlyphButton *b : m_buttons)
        if (b->objectName() == name)
            return b;
    return nullptr;
}

void TForm1::buildTitleBar()
{
    m_panel2 = new QFrame(centralWidget());
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setFixedHeight(kTitleBarHeight);
    m_panel2->setAutoFillBackground(true);
    // The title bar's background picture, stretched over the whole bar.
    QLinearGradient bar(0, 0, 1, 1);
    bar.setCoordinateMode(QGradient::ObjectBoundingMode);
    bar.setColorAt(0, QColor(24, 62, 112));
    bar.setColorAt(1, QColor(52, 104, 168));
    QPalette pal = m_panel2->palette();
    pal.setBrush(QPalette::Window, QBrush(bar));
    m_panel2->setPalette(pal);

    // The banner's place; it shows nothing of its own.
    m_banner = new QWidget(m_panel2);
    m_banner->setObjectName(QStringLiteral("BannerPanel"));
    m_banner->setGeometry(10, 10, 200, 40);

    // Printer markers: their pictures are data (language pictures), not
    // captions, so translation leaves them alone.
    m_image5 = new QLabel(m_panel2);
    m_image5->setObjectName(QStringLiteral("Image5"));
    m_image5->setPixmap(drawMarker(true));
    m_image5->setGeometry(230, 18, 113, 24);
    vellora::SetTag(m_image5, vellora::kKeepCaptionTag);
    m_image6 = new QLabel(m_panel2);
    m_image6->setObjectName(QStringLiteral("Image6"));
    m_image6->setPixmap(drawMarker(false));
    m_image6->setGeometry(230, 18, 113, 24);
    vellora::SetTag(m_image6, vellora::kKeepCaptionTag);
    m_image6->hide();

    m_navigator = new QWidget(m_panel2);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setToolTip(QStringLiteral("Scroll through the card collection"));
    m_navigator->setGeometry(360, 14, 4 * 34, 32);
    const struct {
        const char *name;
        const char *hint;
        const char *glyph;
    } buttons[] = {{"nbFirst", "First card", "|\u25C0"},
                   {"nbPrior", "Previous card", "\u25C0"},
                   {"nbNext", "Next card", "\u25B6"},
                   {"nbLast", "Last card", "\u25B6|"}};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QToolButton(m_navigator);
        b->setObjectName(QLatin1String(buttons[i].name));
        b->setToolTip(QLatin1String(buttons[i].hint));
        // The arrows are drawn as the icon: the caption stays empty.
        QPixmap arrow(24, 24);
        arrow.fill(Qt::transparent);
        {
            QPainter p(&arrow);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 40, 60));
            const bool left = i < 2;
            QPolygonF triangle;
            const qreal x0 = i == 0 ? 10 : (i == 3 ? 4 : 7), x1 = x0 + 10;
            if (left)
                triangle << QPointF(x1, 6) << QPointF(x0, 12) << QPointF(x1, 18);
            else
                triangle << QPointF(x0, 6) << QPointF(x1, 12) << QPointF(x0, 18);
            p.drawPolygon(triangle);
            if (i == 0)
                p.drawRect(QRectF(6, 6, 2.5, 12));
            if (i == 3)
                p.drawRect(QRectF(15.5, 6, 2.5, 12));
        }
        b->setIcon(QIcon(arrow));
        b->setIconSize(QSize(24, 24));
        b->setGeometry(i * 34, 0, 32, 32);
        b->setFocusPolicy(Qt::StrongFocus);
    }

    auto *number = new vellora::DBEdit(m_panel2);
    number->setDataSource(m_dataSource);
    number->setDataField(QStringLiteral("Card_Number"));
    m_dbedit8 = number;
    m_dbedit8->setObjectName(QStringLiteral("DBEdit8"));
    m_dbedit8->setEnabled(false);
    QFont numberFont = m_dbedit8->font();
    numberFont.setBold(true);
    numberFont.setPixelSize(16);
    m_dbedit8->setFont(numberFont);
    // Shown, never edited: the number stays readable in the disabled box.
    QPalette numberPalette = m_dbedit8->palette();
    numberPalette.setColor(QPalette::Disabled, QPalette::Text, QColor(20, 20, 20));
    numberPalette.setColor(QPalette::Disabled, QPalette::Base, QColor(236, 236, 236));
    m_dbedit8->setPalette(numberPalette);
    m_dbedit8->setGeometry(510, 14, 100, 32);
}

void TForm1::buildCardArea()
{
    m_panel1 = new QScrollArea(centralWidget());
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setWidgetResizable(false);
    // The grey of the card area is the window colour of the area alone; the
    // card panels set their own white.
    QPalette pal = m_panel1->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    m_panel1->setPalette(pal);
    m_panel1->viewport()->setAutoFillBackground(true);
    m_panel1->viewport()->installEventFilter(this);

    m_cardCanvas = new QWidget;
    m_cardCanvas->setObjectName(QStringLiteral("CardCanvas"));
    m_cardCanvas->setAutoFillBackground(true);
    m_panel1->setWidget(m_cardCanvas);

    buildCardSide(m_front, QString());
    buildCardSide(m_back, QStringLiteral("_b"));
    m_front.panel->move(kFrontTopLeft);
    m_back.panel->move(kFrontTopLeft.x(), kFrontTopLeft.y() + kLandscape.height() + 4);
    m_back.panel->hide();

    m_cardCaption = namedLabel(QStringLiteral("CardCaption"),
                               QStringLiteral("Note: The text boxes are transparent on the print preview and the printed cards"),
                               m_cardCanvas);
    QFont captionFont = m_cardCaption->font();
    captionFont.setPixelSize(13);
    m_cardCaption->setFont(captionFont);
    QPalette cp = m_cardCaption->palette();
    cp.setColor(QPalette::WindowText, Qt::white);
    m_cardCaption->setPalette(cp);
    m_cardCaption->setWordWrap(true);
    m_cardCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_cardCaption->setGeometry(kFrontTopLeft.x(), kFrontTopLeft.y() + kLandscape.height() + 4, kLandscape.width(), 40);

    m_magStripe = std::make_unique<MagStripePanel>(m_panel1->viewport(), m_dataSource);
    fitCardCanvas();
}

void TForm1::buildCardSide(CardSideItems &side, const QString &suffix)
{
    side.panel = new QFrame(m_cardCanvas);
    side.panel->setObjectName(QStringLiteral("Panel4") + suffix);
    side.panel->setAutoFillBackground(true);
    QPalette pal = side.panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    side.panel->setPalette(pal);
    side.panel->resize(kLandscape);

    auto photo = [&](const QString &name) {
        auto *item = new PhotoItem(side.panel);
        item->setObjectName(name + suffix);
        item->setToolTip(QStringLiteral("Right-click to Cut - Copy - Paste image"));
        item->setContextMenuPolicy(Qt::PreventContextMenu);
        item->installEventFilter(this);
        return item;
    };
    // The background is drawn at its own (halved) size from the corner and
    // stays behind everything else.
    side.BackImage1 = photo(QStringLiteral("BackImage1"));
    side.BackImage1->setGeometry(QRect(QPoint(0, 0), kLandscape));
    side.BackImage1->setToolTip(QString());
    side.BackImage1->setStretch(false);
    side.BackImage1->removeEventFilter(this);
    side.BackImage1->hide();
    side.statimage1 = photo(QStringLiteral("statimage1"));
    side.statimage1->setPicture(logoPlaceholder());
    side.statimage1->hide();
    side.Image1 = photo(QStringLiteral("Image1"));
    side.Image1->setPicture(m_template);
    side.secphot = photo(QStringLiteral("secphot"));
    side.secphot->setPicture(m_template);
    side.secphot->hide();

    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(side.panel);
        // A free text is the operator's text as typed ("<Name>" included).
        label->setTextFormat(Qt::PlainText);
        label->setObjectName(QStringLiteral("statlabel%1").arg(i + 1) + suffix);
        label->setToolTip(QStringLiteral("Right-Click To Edit Properties."));
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setContextMenuPolicy(Qt::PreventContextMenu);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        vellora::SetTag(label, vellora::kKeepCaptionTag);
        label->installEventFilter(this);
        side.statlabel[i] = label;
    }
    // Until a layout is applied: quick layout 3.
    side.Image1->setGeometry(339, 97, 150, 200);
    side.statlabel[0]->setGeometry(24, 10, 465, 54);
    side.statlabel[1]->setGeometry(24, 66, 465, 24);
    side.statlabel[2]->setGeometry(24, 120, 303, 24);
    side.statlabel[3]->setGeometry(24, 150, 303, 24);
    side.statlabel[2]->hide();
    side.statlabel[3]->hide();
    // The items' stacking order, bottom first, is the card's design, and
    // printing composes in this order.
    const vellora::CardSideId sideId = suffix.isEmpty() ? vellora::CardSideId::Front : vellora::CardSideId::Back;
    for (const QString &name : vellora::StandardStackingOrder(sideId))
        if (QWidget *item = side.item(name + suffix))
            item->raise();
    side.BackImage1->lower();
}

void TForm1::buildButtonColumn()
{
    m_panel5 = new QFrame(centralWidget());
    m_panel5->setObjectName(QStringLiteral("Panel5"));
    m_panel5->setFixedWidth(kButtonColumnWidth);
    const struct {
        const char *name;
        const char *caption;
        const char *hint;
    } buttons[] = {
        {"BitBtn8", "Search", "Search For A Specific Card"},
        {"BitBtn2", "New", "Open a new blank card"},
        {"BitBtn3", "Photo", "Capture a photo for this card"},
        {"getimgbtn", "Photo 2", "Capture a photo for this card"},
        {"BitBtn4", "Undo", "Undo the last operation"},
        {"BitBtn1", "Delete", "Delete this card completely"},
        {"BitBtn5", "Clear", "Clear picture and text from this card"},
        {"BitBtn6", "Print", "Print this card"},
        {"BitBtn7", "Design", "Change the design of the card collection"},
        {"ExitButton", "Exit", "Exit this application"},
    };
    // 40 pixels a button: hiding the second-photo button moves the six
    // under it up by exactly one place.
    int y = 8;
    for (const auto &b : buttons) {
        auto *button = new GlyphButton(m_panel5);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QLatin1String(b.caption));
        button->setToolTip(QLatin1String(b.hint));
        button->setGeometry(7, y, 92, 36);
        y += 40;
        m_buttons.append(button);
    }
}

void TForm1::fitCardCanvas()
{
    QRect used;
    for (QWidget *w : {static_cast<QWidget *>(m_front.panel), static_cast<QWidget *>(m_back.panel),
                       static_cast<QWidget *>(m_cardCaption)})
        if (!w->isHidden())
            used |= w->geometry();
    const QSize viewport = m_panel1->viewport()->size();
    m_cardCanvas->resize(qMax(viewport.width(), used.right() + 9), qMax(viewport.height(), used.bottom() + 9));
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const QRect area = centralWidget()->rect();
    m_panel2->setGeometry(0, 0, area.width(), kTitleBarHeight);
    m_panel5->setGeometry(area.width() - kButtonColumnWidth, kTitleBarHeight, kButtonColumnWidth,
                          area.height() - kTitleBarHeight);
    m_panel1->setGeometry(0, kTitleBarHeight, area.width() - kButtonColumnWidth, area.height() - kTitleBarHeight);
    fitCardCanvas();
    m_magStripe->position();
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // BitBtn1 is the window's cancel button: Esc starts it unless the
    // focused control takes the key itself (text boxes do).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        QWidget *focus = focusWidget();
        const bool textBox = focus && (qobject_cast<QLineEdit *>(focus) || qobject_cast<QPlainTextEdit *>(focus) ||
                                       (focus->parentWidget() && qobject_cast<QPlainTextEdit *>(focus->parentWidget())));
        if (!textBox) {
            if (GlyphButton *cancel = button(QStringLiteral("BitBtn1")); cancel && cancel->isEnabled()) {
                cancel->click();
                event->accept();
                return;
            }
        }
    }
    QMainWindow::keyPressEvent(event);
}
