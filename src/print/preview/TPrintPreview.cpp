#include "print/preview/TPrintPreview.h"

#include "lang/GlyphButton.h"
#include "lang/MessageDialog.h"
#include "lang/OverrideCursor.h"
#include "print/PrintJob.h"
#include "print/PrinterChoice.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

using namespace vellora;

namespace {

constexpr int kColumnWidth = 111;
constexpr QSize kDesignClient{711, 510};

QFrame *whitePanel(const QString &name, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::NoFrame);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    panel->setMinimumSize(321, 321);
    panel->setMaximumSize(513, 513);
    panel->setGeometry(12, 12, 513, 321);
    return panel;
}

// The decorative background of the button column.
QPixmap columnPicture()
{
    QPixmap pm(kColumnWidth, 240);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, pm.height());
    g.setColorAt(0, QColor(24, 62, 112));
    g.setColorAt(1, QColor(52, 104, 168));
    p.fillRect(pm.rect(), g);
    p.setPen(QColor(255, 255, 255, 40));
    for (int y = 0; y < pm.height(); y += 6)
        p.drawLine(0, y, pm.width(), y);
    return pm;
}

QString applicationTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Vellora-ID") : name;
}

PrintSettings printSettings(const CardPrintOptions &o)
{
    PrintSettings s;
    s.monoPrinter = o.monoPrinter;
    s.doubleSided = o.doubleSided;
    s.stripeOn = o.stripeOn;
    for (int t = 0; t < 3; ++t)
        s.tracks[t] = {o.trackUse[t], o.trackSource[t], o.trackValue[t]};
    return s;
}

}  // namespace

TPrintPreview::TPrintPreview(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    resize(kDesignClient);

    m_panel3 = new QFrame(this);
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    m_panel3->setAutoFillBackground(true);
    QPalette pal = m_panel3->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Dark));
    m_panel3->setPalette(pal);

    m_panel1 = whitePanel(QStringLiteral("Panel1"), m_panel3);
    m_image1 = new QLabel(m_panel1);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_panel1b = whitePanel(QStringLiteral("Panel1_b"), m_panel3);
    m_image1b = new QLabel(m_panel1b);
    m_image1b->setObjectName(QStringLiteral("Image1_b"));
    m_panel1b->hide();

    m_panel2 = new QFrame(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_image4 = new QLabel(m_panel2);
    m_image4->setObjectName(QStringLiteral("Image4"));
    m_image4->setScaledContents(true);
    m_image4->setPixmap(columnPicture());

    auto button = [this](const char *name, const char *hint, int top) {
        auto *b = new GlyphButton(m_panel2);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(hint));
        b->setGeometry((kColumnWidth - 92) / 2, top, 92, 36);
        return b;
    };
    m_printLo = button("PrintButtonLo", "Print card at 150 dpi resolution", 20);
    m_printHi = button("PrintButtonHi", "Print card at 300 dpi resolution", 68);
    m_setup = button("SetupButton", "Setup the printer", 116);
    m_close = button("CloseButton", "Close print preview", 164);
    m_printLo->hide();

    connect(m_printLo, &QAbstractButton::clicked, this, [this] { buttonPrint(RenderMode::Half); });
    connect(m_printHi, &QAbstractButton::clicked, this, [this] { buttonPrint(RenderMode::Full); });
    connect(m_setup, &QAbstractButton::clicked, this, [this] { ShowPrinterSetupDialog(this); });
    connect(m_close, &QAbstractButton::clicked, this, [this] { done(QDialog::Rejected); });
    placeColumn();
}

TPrintPreview::~TPrintPreview() = default;

QFrame *TPrintPreview::panel(CardSideId side) const { return side == CardSideId::Front ? m_panel1 : m_panel1b; }
QLabel *TPrintPreview::image(CardSideId side) const { return side == CardSideId::Front ? m_image1 : m_image1b; }

QImage TPrintPreview::previewPicture(CardSideId side) const
{
    return side == CardSideId::Front ? m_front : m_back;
}

void TPrintPreview::placeColumn()
{
    const QRect area = rect();
    m_panel2->setGeometry(area.width() - kColumnWidth, 0, kColumnWidth, area.height());
    m_image4->setGeometry(m_panel2->rect());
    m_panel3->setGeometry(0, 0, area.width() - kColumnWidth, area.height());
}

void TPrintPreview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeColumn();
}

void TPrintPreview::buildSide(CardSideId side, const CardPrintOptions &options)
{
    QFrame *panel = this->panel(side);
    QLabel *image = this->image(side);
    CardSideModel model = m_source.cardSide(side);
    model.monochrome = options.monoPrinter;
    const QString background = m_source.background ? m_source.background(side) : QString();
    Tprintlayoutcanvas &canvas = PrintLayoutCanvas();
    ComposeSide(canvas, model, panel->palette().color(QPalette::Window), background);

    QRect where = m_source.panelGeometry ? m_source.panelGeometry(side) : QRect(QPoint(12, 12), model.panelSize);
    where.setSize(model.panelSize.boundedTo(panel->maximumSize()).expandedTo(panel->minimumSize()));
    panel->setGeometry(where);
    image->setGeometry(0, 0, panel->width(), panel->height());
    image->clear();
    image->show();
    const QImage composed = RenderPreview(canvas);
    image->setPixmap(QPixmap::fromImage(
        composed.scaled(panel->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    (side == CardSideId::Front ? m_front : m_back) = composed;
}

void TPrintPreview::BuildPreview()
{
    const OverrideCursor hourglass;
    m_front = QImage();
    m_back = QImage();
    m_image1->clear();
    m_image1b->clear();
    if (!m_source.cardSide)
        throw PrintError(QStringLiteral("The print preview has no card to show."));
    const CardPrintOptions options = m_source.options ? m_source.options() : CardPrintOptions{};
    m_printLo->setVisible(options.monoPrinter);
    if (!BatchMode && m_source.mainWindowGeometry) {
        setGeometry(m_source.mainWindowGeometry());
    }
    buildSide(CardSideId::Front, options);
    if (options.doubleSided) {
        buildSide(CardSideId::Back, options);
        m_panel1b->show();
    } else {
        m_panel1b->hide();
    }
}

int TPrintPreview::ShowModalPreview()
{
    BuildPreview();
    m_built = true;
    const int result = exec();
    m_built = false;
    return result;
}

void TPrintPreview::ShowPreview(bool showWindow)
{
    BuildPreview();
    if (!showWindow)
        return;
    m_built = true;
    show();
    m_built = false;
}

void TPrintPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Shown some other way than through the build: build now; an error is
    // reported here, as nobody waits for it.
    if (m_built)
        return;
    try {
        BuildPreview();
    } catch (const std::exception &e) {
        PlainMessage(applicationTitle(), QString::fromUtf8(e.what()), PlainIcon::Error);
    }
}

PrintJobResult TPrintPreview::RunPrintJob(RenderMode mode)
{
    if (!m_source.cardSide)
        throw PrintError(QStringLiteral("The print preview has no card to print."));
    PrintJobRequest request;
    request.mode = mode;
    request.batchMode = BatchMode;
    const CardPrintOptions options = m_source.options ? m_source.options() : CardPrintOptions{};
    request.settings = printSettings(options);
    request.front = m_source.cardSide(CardSideId::Front);
    if (m_source.background)
        request.frontBackground = m_source.background(CardSideId::Front);
    if (options.doubleSided) {
        request.back = m_source.cardSide(CardSideId::Back);
        if (m_source.background)
            request.backBackground = m_source.background(CardSideId::Back);
    }
    request.frontCanvasColour = m_panel1->palette().color(QPalette::Window);
    request.backCanvasColour = m_panel1b->palette().color(QPalette::Window);
    request.cardField = m_source.cardField;
    request.dialogParent = this;
    const PrintJobResult result = vellora::RunPrintJob(request);
    if (result.closePreview && isVisible())
        done(QDialog::Accepted);
    return result;
}

bool TPrintPreview::PrintCommand(RenderMode mode) { return RunPrintJob(mode).outcome == PrintJobOutcome::Printed; }

void TPrintPreview::buttonPrint(RenderMode mode)
{
    try {
        RunPrintJob(mode);
    } catch (const std::exception &e) {
        PlainMessage(applicationTitle(), QString::fromUtf8(e.what()), PlainIcon::Error);
    }
}
