// The card design dialog's window: its pages, groups and controls.
#include "layout/design/TCardLayout.h"

#include "layout/design/CardDesignHost.h"
#include "lang/Translation.h"
#include "store/TrackKeyFilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>

using namespace vellora;

namespace {

constexpr QSize kClient{696, 438};
// Quick-layout buttons: a landscape card picture and a portrait one.
constexpr QSize kLandscapeButton{104, 65};
constexpr QSize kPortraitButton{65, 104};

QLabel *WrappedLabel(QWidget *parent, const char *name, const char *text, const QRect &bounds)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(bounds);
    return label;
}

QPushButton *Button(QWidget *parent, const char *name, const char *text, const char *hint, const QRect &bounds)
{
    auto *b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QLatin1String(name));
    if (hint)
        b->setToolTip(QString::fromLatin1(hint));
    b->setGeometry(bounds);
    return b;
}

QCheckBox *CheckBox(QWidget *parent, const char *name, const char *text, const QRect &bounds)
{
    auto *box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(bounds);
    return box;
}

QGroupBox *Group(QWidget *parent, const char *name, const char *title, const QRect &bounds)
{
    auto *group = new QGroupBox(QString::fromLatin1(title), parent);
    group->setObjectName(QLatin1String(name));
    group->setGeometry(bounds);
    return group;
}

}  // namespace

TCardLayout::TCardLayout(CardDesignHost &host, QWidget *parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("CardLayout"));
    setWindowTitle(QStringLiteral("Card Design"));
    // A fixed dialog border without title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kClient);
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(8, 8, 680, 372);
    const char *const sheetNames[3] = {"TabSheet1", "TabSheet2", "TabSheet3"};
    const char *const sheetTexts[3] = {"Layout Front", "Layout Back", "Magnetic Stripe"};
    for (int i = 0; i < 3; ++i) {
        auto *sheet = new QWidget;
        sheet->setObjectName(QLatin1String(sheetNames[i]));
        m_pages->addTab(sheet, QString::fromLatin1(sheetTexts[i]));
        m_sheets[std::size_t(i)] = sheet;
    }
    buildLayoutPages();
    buildStripePage();
    buildButtons();
    loadQuickPictures();

    connect(m_pages, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
}

TCardLayout::~TCardLayout() = default;

void TCardLayout::buildLayoutPages()
{
    // One set of groups, moved to whichever layout page is shown.
    m_layoutPanel = new QWidget(m_sheets[0]);
    m_layoutPanel->setObjectName(QStringLiteral("LayoutPanel"));
    m_layoutPanel->setGeometry(0, 0, 676, 346);

    // The blue frame sits behind the marked button, 2 pixels wider on every
    // side; it is made first so that the buttons paint over it.
    auto *quick = Group(m_layoutPanel, "GroupBox1", "Quick Card Layouts", QRect(4, 2, 312, 206));
    m_selection = new QWidget(quick);
    m_selection->setObjectName(QStringLiteral("Shape1"));
    m_selection->setAutoFillBackground(true);
    QPalette blue = m_selection->palette();
    blue.setColor(QPalette::Window, QColor(0, 0, 255));
    m_selection->setPalette(blue);
    m_selection->hide();
    WrappedLabel(quick, "Label1", "Select a predefined card layout.", QRect(10, 20, 292, 18));

    struct QuickButton {
        const char *name;
        int type;
        const char *hint;
        QRect bounds;
    };
    const QuickButton buttons[] = {
        {"BitBtn1", 1, "Company Card - Photo Left - Text Right", QRect(QPoint(12, 46), kLandscapeButton)},
        {"BitBtn2", 2, "Company Card - Text Left - Photo Right", QRect(QPoint(128, 46), kLandscapeButton)},
        {"BitBtn8", 3, "Company Card - Text Logo - Photo Right", QRect(QPoint(12, 127), kLandscapeButton)},
        {"BitBtn6", 4, "Company Card - Text Logo - Photo Left", QRect(QPoint(128, 127), kLandscapeButton)},
        {"BitBtn7", 5, "Portrait Card - Photo Centred", QRect(QPoint(242, 70), kPortraitButton)},
    };
    for (const QuickButton &q : buttons) {
        auto *b = new QToolButton(quick);
        b->setObjectName(QLatin1String(q.name));
        b->setToolTip(QString::fromLatin1(q.hint));
        b->setGeometry(q.bounds);
        b->setIconSize(q.bounds.size() - QSize(8, 8));
        b->setAutoRaise(false);
        m_quick[std::size_t(q.type - 1)] = b;
        const int type = q.type;
        connect(b, &QToolButton::clicked, this, [this, type] { QuickLayoutClick(type); });
    }

    auto *custom = Group(m_layoutPanel, "GroupBox2", "Custom Card Layout", QRect(4, 214, 312, 128));
    WrappedLabel(custom, "Label2",
                 "Select this option to design your own cards. All formatting options, including background images "
                 "can be managed through the card layout editor.",
                 QRect(10, 20, 292, 64));
    m_custom = Button(custom, "CustomBtn", "Custom Layout", nullptr, QRect(12, 90, 140, 28));
    m_custom->setEnabled(false);  // until a designer is given
    connect(m_custom, &QPushButton::clicked, this, [this] { CustomLayoutClick(); });

    m_backgroundGroup = Group(m_layoutPanel, "GroupBox3", "Background Selection", QRect(322, 2, 350, 340));
    WrappedLabel(m_backgroundGroup, "Label3",
                 "These settings enable you to select either a uniform single-color background, or a textured "
                 "bitmap image. Choose from the wide selection of textures provided, or create your own and "
                 "import it.",
                 QRect(10, 20, 330, 84));
    auto *sample = new QFrame(m_backgroundGroup);
    sample->setFrameStyle(QFrame::Box | QFrame::Plain);
    sample->setLineWidth(1);
    m_sampleCard = sample;
    m_sampleCard->setObjectName(QStringLiteral("SampleCard"));
    m_sampleCard->setAutoFillBackground(true);
    QPalette white = m_sampleCard->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, QColor(160, 160, 160));
    m_sampleCard->setPalette(white);
    m_samplePicture = new QLabel(m_sampleCard);
    m_samplePicture->setObjectName(QStringLiteral("BackgroundPreview"));
    vellora::SetTag(m_samplePicture, kKeepCaptionTag);  // a picture, no text
    m_samplePicture->setScaledContents(true);
    m_samplePicture->setAccessibleName(QStringLiteral("Background preview"));
    m_samplePicture->hide();
    setPreviewLandscape(true);

    const int buttonsLeft = 10 + 208 + 6;
    const int buttonsWidth = 350 - buttonsLeft - 6;
    m_selectColor = Button(m_backgroundGroup, "SelectColor", "Select Color", "Select a plain color from the library",
                           QRect(buttonsLeft, 110, buttonsWidth, 28));
    m_selectPattern = Button(m_backgroundGroup, "SelectPattern", "Select Pattern...",
                             "Select a color pattern from the library", QRect(buttonsLeft, 144, buttonsWidth, 28));
    m_clearBackground =
        Button(m_backgroundGroup, "ClearBackground", "Clear Background", nullptr, QRect(buttonsLeft, 178, buttonsWidth, 28));
    connect(m_selectColor, &QPushButton::clicked, this, [this] { SelectColorClick(); });
    connect(m_selectPattern, &QPushButton::clicked, this, [this] { SelectPatternClick(); });
    connect(m_clearBackground, &QPushButton::clicked, this, [this] { ClearBackgroundClick(); });
}

void TCardLayout::buildStripePage()
{
    QWidget *page = m_sheets[StripePage];
    WrappedLabel(page, "Label4",
                 "If you have a printer capable of printing magnetic stripes then you can use this page to setup the "
                 "data format for the stripes.",
                 QRect(10, 8, 656, 36));
    m_useStripe = CheckBox(page, "usemagstripe", "Use Magnetic Stripe", QRect(10, 48, 400, 22));
    connect(m_useStripe, &QCheckBox::clicked, this, [this] { UseMagStripeClick(); });

    const char *const titles[3] = {"Track 1 (Alphanumeric)", "Track 2 (Numeric)", "Track 3 (Numeric)"};
    const char *const useNames[3] = {"usestripe1", "Usestripe2", "usestripe3"};
    for (int t = 0; t < 3; ++t) {
        TrackControls &c = m_tracks[std::size_t(t)];
        const QByteArray n = QByteArray::number(t + 1);
        c.group = Group(page, ("GroupBox" + QByteArray::number(t + 4)).constData(), titles[t],
                        QRect(10 + t * 220, 78, 212, 230));
        c.use = CheckBox(c.group, useNames[t], "Use Track", QRect(10, 24, 190, 22));
        c.typeLabel = WrappedLabel(c.group, ("typelabel" + n).constData(), "Type", QRect(10, 56, 190, 18));
        c.type = new QComboBox(c.group);
        c.type->setObjectName(QLatin1String("stripetype" + n));
        c.type->addItems({QStringLiteral("Static Text"), QStringLiteral("Linked Card Field"),
                          QStringLiteral("Separate Data Field")});
        c.type->setGeometry(10, 76, 190, 26);
        c.valueLabel = WrappedLabel(c.group, ("valuelabel" + n).constData(), "Value", QRect(10, 112, 190, 18));
        c.value = new QLineEdit(c.group);
        c.value->setObjectName(QLatin1String("stripevalue" + n));
        c.value->setGeometry(10, 132, 190, 26);
        c.value->setMaxLength(255);
        TrackKeyEventFilter::install(c.value, t + 1);
        c.field = new QComboBox(c.group);
        c.field->setObjectName(QLatin1String("stripevaluecombo" + n));
        vellora::SetTag(c.field, kKeepCaptionTag);  // field names, not texts
        c.field->setGeometry(10, 132, 190, 26);
        c.show = CheckBox(c.group, ("stripeshow" + n).constData(), "Show", QRect(10, 172, 190, 22));
        c.typeLabel->setBuddy(c.type);
        c.valueLabel->setBuddy(c.value);

        const int track = t + 1;
        connect(c.use, &QCheckBox::clicked, this, [this, track] { UseTrackClick(track); });
        connect(c.type, &QComboBox::activated, this, [this, track] { StripeTypeChange(track); });
    }
}

void TCardLayout::buildButtons()
{
    m_colorPrinter = CheckBox(this, "colorprinter", "Check this box if using a color printer", QRect(12, 386, 414, 22));
    m_doubleSided = CheckBox(this, "duplexprinter",
                             "Check this box if printer can print both sides (ie duplex printing)",
                             QRect(12, 408, 414, 22));
    connect(m_colorPrinter, &QCheckBox::clicked, this, [this] { ColorPrinterClick(); });
    connect(m_doubleSided, &QCheckBox::clicked, this, [this] { DoubleSidedClick(); });

    m_ok = Button(this, "OKBtn", "OK", "Save Settings and return to main window", QRect(430, 396, 84, 28));
    m_apply = Button(this, "ApplyBtn", "Apply", "Apply these settings to the main window", QRect(517, 396, 84, 28));
    m_cancel = Button(this, "CancelBtn", "Cancel", "Cancel Card Design", QRect(604, 396, 84, 28));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { ApplySettings(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

QString TCardLayout::QuickLayoutPictureFile(const QString &appFolder, int type)
{
    return appFolder + QStringLiteral("layoutimages/quick%1.png").arg(type);
}

void TCardLayout::loadQuickPictures()
{
    for (int type = 1; type <= 5; ++type) {
        QToolButton *b = m_quick[std::size_t(type - 1)];
        const QPixmap picture(QuickLayoutPictureFile(m_host.appFolder(), type));
        if (!picture.isNull())
            b->setIcon(QIcon(picture));
        else
            b->setText(QString::number(type));  // still tells the buttons apart
    }
}

void TCardLayout::syncAccessibility()
{
    // Picture buttons are named by their hints; other controls by their
    // (translated) captions, described by their hints.
    for (QAbstractButton *b : findChildren<QAbstractButton *>()) {
        const bool pictureOnly = qobject_cast<QToolButton *>(b) != nullptr;
        b->setAccessibleName(pictureOnly ? b->toolTip() : b->text());
        b->setAccessibleDescription(b->toolTip());
    }
    for (const TrackControls &c : m_tracks) {
        c.type->setAccessibleName(c.group->title() + QLatin1Char(' ') + c.typeLabel->text());
        c.value->setAccessibleName(c.group->title() + QLatin1Char(' ') + c.valueLabel->text());
        c.field->setAccessibleName(c.group->title() + QLatin1Char(' ') + c.valueLabel->text());
    }
    m_pages->setAccessibleName(windowTitle());
}

int TCardLayout::ShowDialog() { return exec(); }

void TCardLayout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    syncAccessibility();
    FormShow();
}
