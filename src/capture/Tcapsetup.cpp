#include "capture/Tcapsetup.h"

#include "capture/TImageCapture.h"
#include "devices/scanner/Scanner.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTabBar>
#include <QVBoxLayout>

using namespace vellora;

namespace {

Tcapsetup::DialogRunner &Runner()
{
    static Tcapsetup::DialogRunner runner;
    return runner;
}

bool RunDialog(QDialog *dialog)
{
    TranslateComponent(dialog, dialog->objectName());
    if (Runner())
        return Runner()(dialog);
    return dialog->exec() == QDialog::Accepted;
}

QLabel *Label(QWidget *parent, const char *name, const char *text, QRect at, bool wrap = false)
{
    auto *l = new QLabel(QLatin1String(text), parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(wrap);
    l->setGeometry(at);
    return l;
}

QPushButton *Button(QWidget *parent, const char *name, const char *text, QRect at)
{
    auto *b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(at);
    return b;
}

// A small dialog of ours with OK and Cancel under its contents.
QDialogButtonBox *OkCancel(QDialog *dialog, QVBoxLayout *layout)
{
    auto *box = new QDialogButtonBox(dialog);
    auto *ok = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    auto *cancel = box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(box);
    return box;
}

}  // namespace

void Tcapsetup::SetDialogRunner(DialogRunner runner) { Runner() = std::move(runner); }

Tcapsetup::Tcapsetup(TImageCapture *capture, QWidget *parent) : QDialog(parent), m_capture(capture)
{
    setObjectName(QStringLiteral("capsetup"));
    setWindowTitle(QStringLiteral("Capture Setup"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(283, 341);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabControl1"));
    m_tabs->addTab(QStringLiteral("Video For Windows"));
    m_tabs->addTab(QStringLiteral("Twain"));
    m_tabs->setGeometry(8, 8, 257, 24);
    m_tabs->setAccessibleName(QStringLiteral("Source"));
    auto *sheet = new QFrame(this);
    sheet->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    sheet->setGeometry(8, 31, 257, 242);
    sheet->lower();

    // Camera page.
    m_panel1 = new QFrame(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setGeometry(12, 36, 249, 232);
    Label(m_panel1, "Label1", "Driver To Use", {8, 10, 100, 16});
    m_drivers = new QComboBox(m_panel1);
    m_drivers->setObjectName(QStringLiteral("VFWdrvlist"));
    m_drivers->setGeometry(112, 6, 121, 22);
    m_drivers->setAccessibleName(QStringLiteral("Driver To Use"));
    m_panel3 = new QFrame(m_panel1);
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    m_panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_panel3->setLineWidth(2);
    m_panel3->setGeometry(8, 40, 233, 180);
    Label(m_panel3, "Label2", "Alter the Video drivers format", {10, 8, 213, 16}, true);
    m_format = Button(m_panel3, "VFWFormat", "Format", {10, 26, 90, 25});
    Label(m_panel3, "Label3", "Adjust video drivers source settings", {10, 62, 213, 16}, true);
    m_source = Button(m_panel3, "VFWSource", "Source", {10, 80, 90, 25});
    Label(m_panel3, "Label4", "Adjust video drivers display settings", {10, 116, 213, 16}, true);
    m_display = Button(m_panel3, "VFWDisplay", "Display", {10, 134, 90, 25});

    // Scanner page.
    m_panel2 = new QFrame(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setGeometry(12, 36, 249, 232);
    Label(m_panel2, "Label5",
          "Twain drivers should contain their own setup information which can be altered at time of capture. To change the Twain "
          "source click the button below. ",
          {8, 10, 233, 100}, true);
    m_twsetsource = Button(m_panel2, "twsetsource", "Set Twain Source", {8, 120, 150, 25});
    m_panel2->hide();

    m_ok = Button(this, "Button1", "OK", {104, 292, 75, 25});
    m_cancel = Button(this, "Button2", "Cancel", {190, 292, 75, 25});
    m_ok->setDefault(true);

    connect(m_drivers, &QComboBox::activated, this, [this] { VFWdrvlistChange(); });
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { TabControl1Change(); });
    connect(m_format, &QPushButton::clicked, this, [this] { VFWFormatClick(); });
    connect(m_source, &QPushButton::clicked, this, [this] { VFWSourceClick(); });
    connect(m_display, &QPushButton::clicked, this, [this] { VFWDisplayClick(); });
    connect(m_twsetsource, &QPushButton::clicked, this, [this] { twsetsourceClick(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Button2Click(); });
}

int Tcapsetup::ShowSetup() { return exec(); }

void Tcapsetup::translateTabs()
{
    // The tab strip's entries are list entries of the language file.
    const QString prefix = QStringLiteral("FORM:capsetup-OWNER:capsetup-CONTROL:TabControl1-ITEM");
    for (int i = 0; i < 2; ++i) {
        const QString text = CurrentLanguage().value(prefix + QString::number(i));
        if (!text.isEmpty())
            m_tabs->setTabText(i, text);
    }
}

void Tcapsetup::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    translateTabs();
    for (auto *b : findChildren<QPushButton *>()) {
        b->setAccessibleName(b->text());
        b->setAccessibleDescription(b->toolTip());
    }
    // 1. The capture window's live picture stops.
    m_capture->closeVideoDriver();
    // 2. The drivers installed now.
    QList<VideoDriver> drivers;
    try {
        drivers = m_capture->video().listDrivers();
    } catch (...) {
        drivers.clear();
    }
    m_drivers->clear();
    for (const VideoDriver &d : drivers)
        m_drivers->addItem(d.text());
    const bool none = drivers.isEmpty();
    m_drivers->setEnabled(!none);
    if (none) {
        // 3.
        for (QPushButton *b : {m_format, m_source, m_display})
            b->setEnabled(false);
        m_capture->VideoSource = false;
    } else {
        // 4.
        try {
            m_drivers->setCurrentIndex(m_capture->video().driverIndex());
            VFWdrvlistChange();
        } catch (...) {
        }
    }
    // 5.
    if (!m_capture->VideoSource)
        setTab(TwainTab);
    else
        setTab(VideoTab);
}

void Tcapsetup::VFWdrvlistChange()
{
    VideoCapture &video = m_capture->video();
    video.selectDriver(m_drivers->currentIndex());
    const bool driver = video.driverIndex() >= 0;
    m_format->setEnabled(driver && video.hasFormats());
    m_source->setEnabled(driver && video.hasControls());
    m_display->setEnabled(driver && video.hasDisplayOptions());
}

void Tcapsetup::setTab(int tab)
{
    m_tabs->blockSignals(true);
    m_tabs->setCurrentIndex(tab);
    m_tabs->blockSignals(false);
    TabControl1Change();
}

void Tcapsetup::TabControl1Change()
{
    if (m_tabs->currentIndex() == TwainTab) {
        m_panel2->show();
        m_panel1->hide();
        return;
    }
    m_panel1->show();
    m_panel2->hide();
    if (!m_drivers->isEnabled())
        setTab(TwainTab);
}

void Tcapsetup::afterDriverDialog(bool succeeded)
{
    if (succeeded && m_capture->video().isOpen())
        m_capture->refitLiveDisplay();
    activateWindow();
    hide();
    show();
}

void Tcapsetup::VFWFormatClick()
{
    m_capture->VideoSource = true;
    VideoCapture &video = m_capture->video();
    const QList<VideoFormat> formats = video.formats();
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("VideoFormat"));
    dialog.setWindowTitle(QStringLiteral("Video Format"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(QStringLiteral("Picture size, frame rate and pixel format"), &dialog);
    label->setObjectName(QStringLiteral("FormatLabel"));
    layout->addWidget(label);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("FormatList"));
    list->setAccessibleName(label->text());
    for (const VideoFormat &f : formats)
        list->addItem(f.text());
    const int current = formats.indexOf(video.format());
    list->setCurrentRow(current >= 0 ? current : 0);
    layout->addWidget(list);
    OkCancel(&dialog, layout);
    const bool ok = RunDialog(&dialog) && list->currentRow() >= 0 && list->currentRow() < formats.size();
    if (ok) {
        try {
            video.setFormat(formats[list->currentRow()]);
        } catch (const VideoCaptureError &) {
            // The camera refused the format: it is closed; the capture
            // window reopens it (or reports) when its page is shown again.
        }
    }
    afterDriverDialog(ok);
}

void Tcapsetup::VFWSourceClick()
{
    m_capture->VideoSource = true;
    VideoCapture &video = m_capture->video();
    const QList<VideoControl> controls = video.controls();
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("VideoSourceSettings"));
    dialog.setWindowTitle(QStringLiteral("Video Source"));
    auto *layout = new QVBoxLayout(&dialog);
    QList<QSlider *> sliders;
    for (const VideoControl &c : controls) {
        auto *label = new QLabel(c.name, &dialog);
        layout->addWidget(label);
        auto *slider = new QSlider(Qt::Horizontal, &dialog);
        slider->setRange(c.minimum, c.maximum);
        slider->setValue(c.value);
        slider->setAccessibleName(c.name);
        const QString name = c.name;
        connect(slider, &QSlider::valueChanged, &dialog, [&video, name](int v) { video.setControl(name, v); });
        layout->addWidget(slider);
        sliders.append(slider);
    }
    OkCancel(&dialog, layout);
    const bool ok = RunDialog(&dialog);
    if (!ok)
        for (const VideoControl &c : controls)
            video.setControl(c.name, c.value);  // Cancel puts the values back
    afterDriverDialog(ok);
}

void Tcapsetup::VFWDisplayClick()
{
    m_capture->VideoSource = true;
    VideoCapture &video = m_capture->video();
    const VideoDisplayOptions before = video.displayOptions();
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("VideoDisplaySettings"));
    dialog.setWindowTitle(QStringLiteral("Video Display"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *mirror = new QCheckBox(QStringLiteral("Mirror the picture"), &dialog);
    mirror->setObjectName(QStringLiteral("MirrorBox"));
    mirror->setChecked(before.mirror);
    layout->addWidget(mirror);
    auto *label = new QLabel(QStringLiteral("Turn the picture"), &dialog);
    label->setObjectName(QStringLiteral("RotationLabel"));
    layout->addWidget(label);
    auto *rotation = new QComboBox(&dialog);
    rotation->setObjectName(QStringLiteral("RotationList"));
    rotation->setAccessibleName(label->text());
    for (const char *t : {"0°", "90°", "180°", "270°"})
        rotation->addItem(QString::fromUtf8(t));
    rotation->setCurrentIndex((before.rotation / 90) % 4);
    layout->addWidget(rotation);
    OkCancel(&dialog, layout);
    const bool ok = RunDialog(&dialog);
    if (ok)
        video.setDisplayOptions({mirror->isChecked(), rotation->currentIndex() * 90});
    afterDriverDialog(ok);
}

void Tcapsetup::twsetsourceClick()
{
    // The scanner to use, chosen from the devices SANE finds now.
    const ScannerProbe probe = Scanner::Probe();
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ScannerSource"));
    dialog.setWindowTitle(QStringLiteral("Select Source"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(QStringLiteral("Sources:"), &dialog);
    label->setObjectName(QStringLiteral("SourcesLabel"));
    layout->addWidget(label);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("SourceList"));
    list->setAccessibleName(label->text());
    const QString current = Scanner::Source();
    for (const ScannerDevice &d : probe.devices) {
        list->addItem(d.text());
        if (d.name == current)
            list->setCurrentRow(list->count() - 1);
    }
    layout->addWidget(list);
    OkCancel(&dialog, layout);
    if (RunDialog(&dialog) && list->currentRow() >= 0 && list->currentRow() < probe.devices.size())
        Scanner::SetSource(probe.devices[list->currentRow()].name);
}

void Tcapsetup::Button1Click()
{
    if (m_tabs->currentIndex() == TwainTab) {
        m_capture->VideoSource = false;
        m_capture->TwainSource = true;
        m_capture->setLiveDisplay(false);
        m_capture->closeVideoDriver();
    } else {
        m_capture->closeVideoDriver();
        m_capture->setLiveDisplay(false);
        m_capture->VideoSource = true;
        m_capture->TwainSource = false;
        try {
            m_capture->openVideoDriver();
        } catch (const VideoCaptureError &e) {
            // The dialog stays open.
            const QString title = QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                                                    : QApplication::applicationDisplayName();
            PlainMessage(title, e.message(), PlainIcon::Error);
            return;
        }
        m_capture->showLivePicture();
    }
    m_capture->showCaptureButton();
    accept();
}

void Tcapsetup::Button2Click()
{
    if (m_capture->VideoSource) {
        try {
            m_capture->openVideoDriver();
            m_capture->showLivePicture();
        } catch (const VideoCaptureError &) {
            // Shown again, the capture page finds the camera gone.
        }
    }
    reject();
}
