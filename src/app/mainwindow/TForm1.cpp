#include "app/mainwindow/TForm1.h"

#include "app/mainwindow/MainMenu.h"
#include "app/shell/WindowSizing.h"
#include "lang/GlyphButton.h"
#include "engine/Table.h"
#include "lang/Translation.h"
#include "store/CardPhotos.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>

using vellora::PhotoItem;
using vellora::GlyphButton;

namespace {

constexpr int kTitleBarHeight = 60;
constexpr int kButtonColumnWidth = 106;
constexpr QSize kLandscape{513, 321};

// The two printer markers: colour (four coloured squares) and monochrome.
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
    m_template = vellora::DefaultPlaceholderPicture();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    setCentralWidget(central);

    buildTitleBar();
    buildCardArea();
    buildButtonColumn();

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->addWidget(namedLabel(QStringLiteral("StatusLabel"), QStringLiteral("Press F1 for Help"), status));
    setStatusBar(status);

    auto *templ = new QLabel(this);
    templ->setObjectName(QStringLiteral("template"));
    templ->setPixmap(QPixmap::fromImage(m_template));
    templ->hide();

    m_dataModule = new TDataModule1(this);
    m_dataModule->attachTo(menuBar());
    connectMenu();
}

TForm1::~TForm1() = default;

void TForm1::buildTitleBar()
{
    m_panel2 = new QFrame(centralWidget());
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setFixedHeight(kTitleBarHeight);
    m_panel2->setAutoFillBackground(true);
    QLinearGradient bar(0, 0, 1, 1);
    bar.setCoordinateMode(QGradient::ObjectBoundingMode);
    bar.setColorAt(0, QColor(24, 62, 112));
    bar.setColorAt(1, QColor(52, 104, 168));
    QPalette pal = m_panel2->palette();
    pal.setBrush(QPalette::Window, QBrush(bar));
    m_panel2->setPalette(pal);

    m_banner = new QWidget(m_panel2);
    m_banner->setObjectName(QStringLiteral("BannerPanel"));
    m_banner->setGeometry(10, 10, 200, 40);

    m_image5 = new QLabel(m_panel2);
    m_image5->setObjectName(QStringLiteral("Image5"));
    m_image5->setPixmap(drawMarker(true));
    m_image5->setGeometry(230, 23, 113, 14);
    m_image6 = new QLabel(m_panel2);
    m_image6->setObjectName(QStringLiteral("Image6"));
    m_image6->setPixmap(drawMarker(false));
    m_image6->setGeometry(230, 23, 113, 14);
    m_image6->hide();

    m_navigator = new QWidget(m_panel2);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setToolTip(QStringLiteral("Scroll through the card collection"));
    m_navigator->setGeometry(360, 14, 4 * 34, 32);
    const struct {
        const char *name;
        const char *hint;
        Qt::ArrowType arrow;
        bool bar;
    } buttons[] = {{"nbFirst", "First card", Qt::LeftArrow, true},
                   {"nbPrior", "Previous card", Qt::LeftArrow, false},
                   {"nbNext", "Next card", Qt::RightArrow, false},
                   {"nbLast", "Last card", Qt::RightArrow, true}};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QToolButton(m_navigator);
        b->setObjectName(QLatin1String(buttons[i].name));
        b->setToolTip(QLatin1String(buttons[i].hint));
        b->setArrowType(buttons[i].arrow);
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

    m_cardCanvas = new QWidget;
    m_cardCanvas->setObjectName(QStringLiteral("CardCanvas"));
    m_cardCanvas->setAutoFillBackground(true);
    m_panel1->setWidget(m_cardCanvas);

    buildCardSide(m_front, QString());
    buildCardSide(m_back, QStringLiteral("_b"));
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

    buildMagneticStripePanel(m_cardCanvas);
    layoutCardArea();
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
        return item;
    };
    side.BackImage1 = photo(QStringLiteral("BackImage1"));
    side.BackImage1->setGeometry(QRect(QPoint(0, 0), kLandscape));
    side.BackImage1->setToolTip(QString());
    side.BackImage1->hide();
    side.statimage1 = photo(QStringLiteral("statimage1"));
    side.statimage1->hide();
    side.Image1 = photo(QStringLiteral("Image1"));
    side.Image1->setPicture(m_template);
    side.secphot = photo(QStringLiteral("secphot"));
    side.secphot->setPicture(m_template);
    side.secphot->hide();

    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(side.panel);
        label->setObjectName(QStringLiteral("statlabel%1").arg(i + 1) + suffix);
        label->setToolTip(QStringLiteral("Right-Click To Edit Properties."));
        label->setAttribute(Qt::WA_TranslucentBackground);
        vellora::SetTag(label, vellora::kKeepCaptionTag);
        side.statlabel[i] = label;
    }
    // Until a layout is applied: the photo on the left, the texts beside it.
    side.Image1->setGeometry(20, 60, 150, 200);
    side.statlabel[0]->setGeometry(20, 8, 480, 48);
    side.statlabel[1]->setGeometry(190, 270, 310, 24);
    side.statlabel[2]->setGeometry(190, 60, 310, 24);
    side.statlabel[3]->setGeometry(190, 90, 310, 24);
    side.statlabel[2]->hide();
    side.statlabel[3]->hide();
}

void TForm1::buildMagneticStripePanel(QWidget *parent)
{
    m_magpanel = new QFrame(parent);
    m_magpanel->setObjectName(QStringLiteral("magpanel"));
    m_magpanel->setFrameShape(QFrame::StyledPanel);
    auto *group = new QGroupBox(QStringLiteral("Magnetic Stripe"), m_magpanel);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->move(3, 3);
    const char *labels[3] = {"Track 1 (Alpha)", "Track 2 (Numeric)", "Track 3 (Numeric)"};
    for (int t = 0; t < 3; ++t) {
        auto *label = namedLabel(QStringLiteral("maglabel%1").arg(t + 1), QLatin1String(labels[t]), group);
        label->hide();
        auto *edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("magedit%1").arg(t + 1));
        edit->setEnabled(false);
        edit->setFixedWidth(227);
        edit->hide();
    }
    m_magpanel->hide();
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
    int y = 8;
    for (const auto &b : buttons) {
        auto *button = new GlyphButton(m_panel5);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QLatin1String(b.caption));
        button->setToolTip(QLatin1String(b.hint));
        button->setGeometry(7, y, 92, 36);
        y += 44;
        m_buttons.append(button);
    }
}

void TForm1::layoutCardArea()
{
    const int margin = 16;
    int bottom = margin + m_front.panel->height();
    m_front.panel->move(margin, margin);
    if (!m_back.panel->isHidden()) {
        m_back.panel->move(margin, bottom + margin);
        bottom += margin + m_back.panel->height();
    }
    m_cardCaption->setGeometry(margin, bottom + 8, 513, 36);
    m_cardCanvas->resize(qMax(m_panel1->viewport()->width(), 513 + 2 * margin), bottom + 60);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const QRect area = centralWidget()->rect();
    m_panel2->setGeometry(0, 0, area.width(), kTitleBarHeight);
    m_panel5->setGeometry(area.width() - kButtonColumnWidth, kTitleBarHeight, kButtonColumnWidth,
                          area.height() - kTitleBarHeight);
    m_panel1->setGeometry(0, kTitleBarHeight, area.width() - kButtonColumnWidth, area.height() - kTitleBarHeight);
    layoutCardArea();
}
