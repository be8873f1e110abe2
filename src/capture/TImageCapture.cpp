#include "capture/TImageCapture.h"

#include "capture/CaptureGeometry.h"
#include "capture/VideoDisplay.h"
#include "engine/Table.h"
#include "lang/CommonDialogs.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardStore.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>

using namespace vellora;

namespace {

constexpr QSize kClient{493, 399};
constexpr QSize kWorkPicture{349, 327};
constexpr char kTwain[] = "TWAIN";

QString Hint(const char *text) { return QString::fromLatin1(text); }

GlyphButton *PictureButton(QWidget *parent, const char *name, const char *text, const char *hint, QPoint at)
{
    auto *b = new GlyphButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(QLatin1String(text));
    b->setToolTip(Hint(hint));
    b->setAccessibleName(QLatin1String(text));
    b->setAccessibleDescription(Hint(hint));
    b->setGeometry(QRect(at, QSize(92, 36)));
    return b;
}

// A lowered bevel of two pixels.
QFrame *LoweredPanel(QWidget *parent, const char *name)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setLineWidth(2);
    return f;
}

void ReportError(const QString &message)
{
    const QString title = QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                                            : QApplication::applicationDisplayName();
    PlainMessage(title, message, PlainIcon::Error);
}

// Keeps hints in the accessible descriptions after a translation.
void SyncAccessibility(QWidget *root)
{
    for (auto *b : root->findChildren<GlyphButton *>()) {
        b->setAccessibleName(b->text());
        b->setAccessibleDescription(b->toolTip());
    }
}

}  // namespace

TImageCapture::TImageCapture(CaptureHost host, QWidget *parent) : QDialog(parent), m_host(std::move(host))
{
    setObjectName(QStringLiteral("ImageCapture"));
    setWindowTitle(QStringLiteral("Image Capture"));
    setSizeGripEnabled(true);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    resize(kClient);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto *tab1 = new QWidget;
    tab1->setObjectName(QStringLiteral("TabSheet1"));
    auto *tab2 = new QWidget;
    tab2->setObjectName(QStringLiteral("TabSheet2"));
    m_pages->addTab(tab1, QStringLiteral("Capture Image"));
    m_pages->addTab(tab2, QStringLiteral("Load Image"));
    buildCapturePage(tab1);
    buildLoadPage(tab2);
    connect(m_pages, &QTabWidget::currentChanged, this, [this] {
        if (isVisible())
            pageShown();
    });

    connect(&m_video, &VideoCapture::previewFrame, m_videoCap1, &VideoDisplay::showFrame);
    connect(&m_video, &VideoCapture::deviceLost, this, [this] { m_videoCap1->clearFrame(); });

    // Creation step 1: the work picture, and no source yet.
    m_work = QImage(kWorkPicture, QImage::Format_RGB32);
    m_work.fill(palette().color(QPalette::Button));
    VideoSource = false;
    TwainSource = false;
    // Finding scanners can take seconds (network backends): it runs in the
    // background from now on and is waited for at the first showing.
    m_probe = std::async(std::launch::async, [] { return Scanner::Probe(); });
}

TImageCapture::~TImageCapture()
{
    if (m_probe.valid())
        m_probe.wait();
    if (m_created)
        storeSource();
    m_video.close();
    Scanner::Shutdown();
}

void TImageCapture::buildCapturePage(QWidget *page)
{
    m_groupBox1 = new QGroupBox(QStringLiteral("Select a picture from your camera"), page);
    m_groupBox1->setObjectName(QStringLiteral("GroupBox1"));
    m_groupBox1->setGeometry(16, 12, 441, 289);

    m_label1 = new QLabel(QStringLiteral("For best results, fit head and shoulders into the clear area"), m_groupBox1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setWordWrap(true);
    m_label1->setGeometry(12, 16, 417, 20);

    m_panel1 = LoweredPanel(m_groupBox1, "Panel1");
    m_panel1->resize(248, 204);
    m_image1 = new PhotoItem(m_panel1);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setStretch(true);
    m_image1->setProportional(true);
    m_image1->setGeometry(2, 2, 244, 200);
    m_image1->hide();
    m_image2 = new QLabel(m_panel1);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setAttribute(Qt::WA_TranslucentBackground);
    m_image2->setGeometry(2, 2, 244, 200);
    m_videoCap1 = new VideoDisplay(m_panel1);
    m_videoCap1->setObjectName(QStringLiteral("VideoCap1"));
    m_videoCap1->setGeometry(2, 2, 244, 200);
    m_videoCap1->setAccessibleName(QStringLiteral("Live camera picture"));
    m_image2->raise();
    placePanel1(kVideoArea);

    m_okButton = PictureButton(page, "OKButton", "OK", "Paste this image into the current card", {16, 312});
    m_captureImage = PictureButton(page, "CaptureImage", "Capture", "Capture and image from the selected camera source", {130, 312});
    m_getphoto = PictureButton(page, "getphoto", "Photo", "Capture a photo for this card", {130, 312});
    m_cancelButton = PictureButton(page, "CancelButton", "Cancel", "Cancel image capture", {245, 312});
    m_setupButton = PictureButton(page, "SetupButton", "Setup", "Select camera and mode", {360, 312});
    m_getphoto->hide();

    connect(m_okButton, &QAbstractButton::clicked, this, [this] { OKButtonClick(); });
    connect(m_captureImage, &QAbstractButton::clicked, this, [this] { CaptureImageClick(); });
    connect(m_getphoto, &QAbstractButton::clicked, this, [this] { CaptureImageClick(); });
    connect(m_cancelButton, &QAbstractButton::clicked, this, [this] { reject(); });
    connect(m_setupButton, &QAbstractButton::clicked, this, [this] {
        if (m_setupDialog)
            m_setupDialog();
    });
}

void TImageCapture::buildLoadPage(QWidget *page)
{
    m_panel2 = LoweredPanel(page, "Panel2");
    m_panel2->setGeometry(3, 3, 362, 334);
    m_panel2->setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_imgSrc = new QLabel(m_panel2);
    m_imgSrc->setObjectName(QStringLiteral("ImgSrc"));
    m_imgSrc->setAccessibleName(QStringLiteral("Picture"));
    m_imgSrc->setGeometry(2, 2, kWorkPicture.width(), kWorkPicture.height());
    m_lblCrop = new CropOutline(m_panel2);
    m_lblCrop->setObjectName(QStringLiteral("LblCrop"));
    m_lblCrop->setAccessibleName(QStringLiteral("Crop frame"));
    m_lblCrop->hide();
    m_stretchHandle1 = new StretchHandle(m_panel2);
    m_stretchHandle1->setObjectName(QStringLiteral("StretchHandle1"));
    m_stretchHandle1->setAccessibleName(QStringLiteral("Crop frame handles"));
    m_stretchHandle1->dragFinished = [this] {
        // End of a drag: sizes first, then the position, inside the picture.
        m_lblCrop->setGeometry(CorrectDraggedFrame(m_lblCrop->geometry(), m_imgSrc->geometry()));
        m_lblCrop->setOutline(true);
        m_stretchHandle1->refit();
    };

    m_label2 = new QLabel(
        QStringLiteral("Load an image from a file. Use the crop options and adjust the size to fit your image area."), page);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setWordWrap(true);

    m_loadimage = PictureButton(page, "loadimage", "Load", "Paste this image into the current card", {372, 8});
    m_cropimage = PictureButton(page, "cropimage", "Crop", "Paste this image into the current card", {372, 8});
    m_showcropper = PictureButton(page, "showcropper", "Cropper", "Paste this image into the current card", {372, 56});
    m_imgokbtn = PictureButton(page, "imgokbtn", "OK", "Paste this image into the current card", {372, 104});
    m_cancelimgbtn = PictureButton(page, "cancelimgbtn", "Cancel", "Cancel image capture", {372, 152});
    m_cropimage->hide();

    connect(m_loadimage, &QAbstractButton::clicked, this, [this] { loadimageClick(); });
    connect(m_cropimage, &QAbstractButton::clicked, this, [this] { cropimageClick(); });
    connect(m_showcropper, &QAbstractButton::clicked, this, [this] { showcropperClick(); });
    connect(m_imgokbtn, &QAbstractButton::clicked, this, [this] { imgokbtnClick(); });
    connect(m_cancelimgbtn, &QAbstractButton::clicked, this, [this] { cancelimgbtnClick(); });
}

// ---- creation ----

void TImageCapture::completeCreation()
{
    if (m_created)
        return;
    m_created = true;
    // Step 2: a scanner is there when SANE starts and finds a device.
    try {
        TwainSource = m_probe.valid() ? m_probe.get().available() : Scanner::Probe().available();
    } catch (...) {
        TwainSource = false;
    }
    // Step 3: the camera named in the settings, else the first.
    const QString device = m_host.captureDevice ? m_host.captureDevice() : QString();
    try {
        if (!m_video.listDrivers().isEmpty()) {
            try {
                if (!device.isEmpty() && device != QLatin1String(kTwain))
                    m_video.selectDriverByName(device);
                else
                    m_video.selectDriver(0);
            } catch (...) {
                m_video.selectDriver(0);
            }
            VideoSource = true;
        }
    } catch (...) {
        VideoSource = false;
    }
    // Step 4: the scanner was the source last time.
    if (device == QLatin1String(kTwain) && TwainSource) {
        m_video.close();
        m_video.selectDriver(-1);
        VideoSource = false;
    }
    // Step 5.
    if (!VideoSource && !TwainSource) {
        if (m_host.setCaptureDevice)
            m_host.setCaptureDevice(QString());
        LocalMessageDlg(Literal(17), MsgKind::Warning, MsgButton::OK, 1);
    }
    m_okButton->setEnabled(false);
}

// ---- showing and pages ----

int TImageCapture::OpenCapture(PhotoItem *target, const QString &suffix, int page)
{
    m_target = target;
    m_suffix = suffix;
    try {
        if (target && !target->picture().isNull())
            setWorkPicture(target->picture());
    } catch (...) {
        // The window opens with the picture it had.
    }
    m_closingDone = false;
    m_pages->blockSignals(true);
    m_pages->setCurrentIndex(page == LoadPage ? LoadPage : CapturePage);
    m_pages->blockSignals(false);
    return exec();
}

int TImageCapture::OpenWithPictureFile(PhotoItem *target, const QString &suffix, const QString &file)
{
    QImage picture;
    try {
        picture = LoadPicture(file);
    } catch (const PhotoError &e) {
        ReportError(e.message());
        return QDialog::Rejected;
    }
    m_target = target;
    m_suffix = suffix;
    setWorkPicture(picture);
    m_closingDone = false;
    m_pages->blockSignals(true);
    m_pages->setCurrentIndex(LoadPage);
    m_pages->blockSignals(false);
    return exec();
}

void TImageCapture::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        if (QScreen *screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
        SyncAccessibility(this);
        completeCreation();
        pageShown();
    }
}

void TImageCapture::pageShown()
{
    // Step 1.
    if (m_pages->currentIndex() == LoadPage)
        fitLoadDisplay();
    // Step 2.
    if (m_pages->currentIndex() == CapturePage && VideoSource) {
        try {
            openVideoDriver();
            m_okButton->setEnabled(false);
            m_getphoto->hide();
            FrameHeld = false;
            m_image1->hide();
            m_captureImage->show();
            setLiveDisplay(true);
        } catch (...) {
            m_videoCap1->hide();
            VideoSource = false;
        }
    } else if (m_pages->currentIndex() == CapturePage) {
        // With the scanner as the source there is no live picture to show.
        m_videoCap1->hide();
    }
    // Step 3.
    leaveCropMode();
}

void TImageCapture::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_pages->setGeometry(rect());
    // Panel2 is anchored on all sides: it grows and shrinks with the window
    // from its design size; the buttons keep their place on its right.
    const QSize delta = size() - kClient;
    m_panel2->setGeometry(3, 3, std::max(60, 362 + delta.width()), std::max(60, 334 + delta.height()));
    m_label2->setGeometry(3, m_panel2->geometry().bottom() + 2, m_panel2->width() + 100, 30);
    const int x = 372 + std::max(60 - 362, delta.width());
    for (GlyphButton *b : {m_loadimage, m_cropimage, m_showcropper, m_imgokbtn, m_cancelimgbtn})
        b->move(x, b->y());
    if (m_pages->currentIndex() == LoadPage)
        fitLoadDisplay();
}

// ---- the video driver and the live display ----

void TImageCapture::openVideoDriver()
{
    m_video.setPreviewSize(m_videoArea);
    m_video.open();
    refitLiveDisplay();
}

void TImageCapture::closeVideoDriver()
{
    m_video.setPreview(false);
    m_video.close();
    m_videoCap1->clearFrame();
}

void TImageCapture::setLiveDisplay(bool on)
{
    m_videoCap1->setVisible(on);
    if (on) {
        m_video.setPreviewSize(m_videoCap1->size());
        m_video.setPreview(true);
    } else {
        m_video.setPreview(false);
    }
}

void TImageCapture::refitLiveDisplay()
{
    const QSize picture = m_video.pictureSize();
    const QSize fitted = FitIntoVideoArea(picture, m_videoArea);
    if (fitted.isEmpty())
        return;
    m_videoCap1->setGeometry(QRect(QPoint(2, 2), fitted));
    placePanel1(fitted);
    m_video.setPreviewSize(fitted);
}

void TImageCapture::showCaptureButton()
{
    m_captureImage->show();
    m_getphoto->hide();
}

void TImageCapture::showLivePicture()
{
    FrameHeld = false;
    m_image1->hide();
    m_okButton->setEnabled(false);
    refitLiveDisplay();
    setLiveDisplay(true);
}

void TImageCapture::placePanel1(QSize inner)
{
    const QSize outer = inner + QSize(4, 4);
    m_panel1->resize(outer);
    m_panel1->move(CentredIn(m_groupBox1->size(), outer));
}

void TImageCapture::fitCapturedPicture(QSize picture)
{
    const QSize fitted = FitIntoVideoArea(picture, m_videoArea);
    if (fitted.isEmpty())
        return;
    m_image1->setGeometry(QRect(QPoint(2, 2), fitted));
    m_image2->setGeometry(m_image1->geometry());
    placePanel1(fitted);
}

// ---- capture ----

void TImageCapture::CaptureImageClick()
{
    if (VideoSource && FrameHeld) {
        // Back to the live picture.
        FrameHeld = false;
        m_getphoto->hide();
        m_image1->hide();
        m_captureImage->show();
        m_videoCap1->show();
        m_okButton->setEnabled(false);
        if (m_video.isOpen() && !m_video.lost()) {
            refitLiveDisplay();
            setLiveDisplay(true);
        }
    } else if (VideoSource) {
        captureFromVideo();
    } else {
        captureFromScanner();
    }
    // A capture can be cut on the Load page.
    try {
        if (!m_image1->picture().isNull())
            setWorkPicture(m_image1->picture());
    } catch (...) {
    }
}

void TImageCapture::captureFromVideo()
{
    FrameHeld = true;
    m_image1->hide();
    try {
        const QString file = m_host.appFolder + QStringLiteral("data/temp.bmp");
        if (!m_video.saveFrame(file)) {
            LocalMessageDlg(Literal(14), MsgKind::Error, MsgButton::OK);
            return;
        }
        if (!QFileInfo::exists(file))
            return;
        const QImage frame = LoadPicture(file);
        m_image1->setPicture(frame);
        m_video.setPreview(false);
        m_videoCap1->hide();
        m_image1->show();
        fitCapturedPicture(frame.size());
        m_captureImage->hide();
        m_getphoto->show();
        m_getphoto->setEnabled(true);
        m_okButton->show();
        m_okButton->setEnabled(true);
    } catch (...) {
        LocalMessageDlg(Literal(15), MsgKind::Error, MsgButton::OK);
    }
}

void TImageCapture::captureFromScanner()
{
    std::optional<QImage> picture;
    try {
        picture = Scanner::Acquire();
    } catch (...) {
        LocalMessageDlg(Literal(16), MsgKind::Warning, MsgButton::OK, 1);
        return;
    }
    if (!picture || picture->isNull())
        return;  // cancelled or nothing delivered: nothing changes
    m_videoCap1->hide();
    m_image1->setPicture(*picture);
    m_image1->show();
    fitCapturedPicture(picture->size());
    m_okButton->setEnabled(true);
}

QImage TImageCapture::capturedPicture() const { return m_image1->picture(); }

// ---- storing ----

void TImageCapture::storeOnTarget(const QImage &picture)
{
    CardStore *store = m_host.store ? m_host.store() : nullptr;
    if (!m_target || !store || !store->table())
        return;
    store->table()->edit();
    m_target->setPicture(picture);
    store->table()->post();
    m_target->setProportional(true);
    store->storePhoto(m_target, m_suffix);
}

void TImageCapture::OKButtonClick()
{
    const QImage frame = m_image1->picture();
    if (frame.isNull())
        return;
    try {
        storeOnTarget(CutStoreStrip(frame));
    } catch (const std::exception &e) {
        ReportError(QString::fromUtf8(e.what()));
        return;
    }
    accept();
}

void TImageCapture::imgokbtnClick()
{
    try {
        storeOnTarget(m_work);
    } catch (const std::exception &e) {
        ReportError(QString::fromUtf8(e.what()));
        return;
    }
    accept();
}

// ---- the Load page ----

void TImageCapture::setWorkPicture(const QImage &picture)
{
    if (picture.isNull())
        return;
    m_work = picture;
    if (isVisible())
        fitLoadDisplay();
}

QRect TImageCapture::imgSrcRect() const { return m_imgSrc->geometry(); }
QRect TImageCapture::cropFrame() const { return m_lblCrop->geometry(); }
bool TImageCapture::cropMode() const { return !m_cropimage->isHidden(); }

void TImageCapture::fitLoadDisplay()
{
    const QRect display = FitIntoLoadDisplay(m_panel2->size(), m_work.size());
    m_imgSrc->setGeometry(display);
    if (!display.isEmpty() && !m_work.isNull())
        m_imgSrc->setPixmap(QPixmap::fromImage(
            m_work.scaled(display.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    const QSize target = m_target ? m_target->size() : QSize(150, 200);
    m_lblCrop->setGeometry(CropFrameFor(m_panel2->size(), display, target));
    if (!m_lblCrop->isHidden()) {
        m_lblCrop->setOutline(true);
        m_stretchHandle1->attach(m_lblCrop);
    }
}

void TImageCapture::loadimageClick()
{
    const std::optional<QString> file = OpenFileDialog(
        this, QString(), m_host.appFolder,
        QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.png *.gif *.ico *.svg *.tif *.tiff *.webp);;All files (*)"));
    if (!file || file->isEmpty())
        return;
    try {
        setWorkPicture(LoadPicture(*file));
        fitLoadDisplay();
    } catch (const PhotoError &e) {
        ReportError(e.message());
    }
}

void TImageCapture::showcropperClick()
{
    m_loadimage->hide();
    m_showcropper->hide();
    m_imgokbtn->hide();
    m_cropimage->show();
    fitLoadDisplay();
    m_lblCrop->show();
    m_lblCrop->setOutline(true);
    m_stretchHandle1->attach(m_lblCrop);
}

void TImageCapture::leaveCropMode()
{
    m_stretchHandle1->detach();
    m_lblCrop->setOutline(false);
    m_lblCrop->hide();
    m_cropimage->hide();
    m_showcropper->show();
    m_loadimage->show();
    m_imgokbtn->show();
}

void TImageCapture::cropimageClick()
{
    m_stretchHandle1->detach();
    m_lblCrop->hide();
    const QRect cut = CutRectangle(m_work.size(), m_lblCrop->geometry(), m_imgSrc->geometry());
    if (cut.width() > 0 && cut.height() > 0) {
        const QImage part = m_work.copy(cut);
        if (cut.width() > 2 && cut.height() > 2)
            m_work = part;
    }
    fitLoadDisplay();
    leaveCropMode();
}

void TImageCapture::cancelimgbtnClick()
{
    if (cropMode())
        leaveCropMode();
    else
        reject();
}

// ---- closing ----

void TImageCapture::storeSource()
{
    if (!m_host.setCaptureDevice)
        return;
    if (VideoSource)
        m_host.setCaptureDevice(m_video.driverName());
    else if (TwainSource)
        m_host.setCaptureDevice(QString::fromLatin1(kTwain));
}

void TImageCapture::closingSteps()
{
    if (m_closingDone)
        return;
    m_closingDone = true;
    storeSource();
    closeVideoDriver();
    leaveCropMode();
    if (CardStore *store = m_host.store ? m_host.store() : nullptr)
        store->refreshCardPhotos();
}

void TImageCapture::done(int result)
{
    closingSteps();
    QDialog::done(result);
}
