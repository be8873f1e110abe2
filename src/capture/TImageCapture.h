#pragma once
// The image capture window: a photo for the current card from a camera
// (live picture, one frame held and cut to 3 : 4), from a scanner, or from a
// picture file cut to size with a crop frame; stored as the card's photo.
#include "capture/CaptureGeometry.h"
#include "capture/CropFrame.h"
#include "store/PhotoItem.h"
#include "devices/scanner/Scanner.h"
#include "devices/video/VideoCapture.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <functional>
#include <future>

class QGroupBox;
class QLabel;
class QFrame;
class QTabWidget;

namespace vellora {
class CardStore;
class GlyphButton;
class VideoDisplay;

// What the window needs of the program around it.
struct CaptureHost {
    QString appFolder;  // with a trailing '/'
    // CaptureDevice of the front settings record.
    std::function<QString()> captureDevice;
    std::function<void(const QString &)> setCaptureDevice;
    // The card store of the open card table (may be null while closed).
    std::function<CardStore *()> store;
};
}  // namespace vellora

class TImageCapture : public QDialog {
    Q_OBJECT
public:
    enum Page { CapturePage = 0, LoadPage = 1 };

    explicit TImageCapture(vellora::CaptureHost host, QWidget *parent = nullptr);
    ~TImageCapture() override;

    // The main window's OpenCapture: target item and suffix, the item's
    // picture as the work picture, the page, shown modally.
    int OpenCapture(vellora::PhotoItem *target, const QString &suffix, int page);
    // The same with a picture file loaded on the "Load Image" page (a file
    // dropped or pasted onto a photo item). A file that cannot be read is
    // reported and the window is not shown.
    int OpenWithPictureFile(vellora::PhotoItem *target, const QString &suffix, const QString &file);

    // ---- state the capture setup dialog reads and sets ----
    bool VideoSource = false;
    bool TwainSource = false;
    bool FrameHeld = false;
    vellora::VideoCapture &video() { return m_video; }
    // Open the video driver and fit the live display to its picture;
    // errors reach the caller.
    void openVideoDriver();
    void closeVideoDriver();
    // Live display shown with the preview running, or hidden and stopped.
    void setLiveDisplay(bool on);
    // Fits VideoCap1 and Panel1 to the open driver's picture size.
    void refitLiveDisplay();
    void showCaptureButton();  // CaptureImage shown, getphoto hidden
    // The live picture instead of a held frame, the preview running.
    void showLivePicture();

    // The setup dialog opened by SetupButton (set by whoever makes both).
    void setSetupDialog(std::function<void()> showModal) { m_setupDialog = std::move(showModal); }

    // The creation steps 2 to 6 that need the devices; they run at the
    // first showing (the device search starts at creation, in the
    // background). Runs them now when they have not run.
    void completeCreation();
    bool creationComplete() const { return m_created; }

    // ---- commands (the buttons call them) ----
    void CaptureImageClick();
    void OKButtonClick();
    void loadimageClick();
    void showcropperClick();
    void cropimageClick();
    void imgokbtnClick();
    void cancelimgbtnClick();

    // ---- for tests and the program around ----
    QImage workPicture() const { return m_work; }
    void setWorkPicture(const QImage &picture);
    QImage capturedPicture() const;  // Image1's picture
    QTabWidget *pageControl() const { return m_pages; }
    QRect imgSrcRect() const;
    QRect cropFrame() const;
    bool cropMode() const;
    vellora::PhotoItem *target() const { return m_target; }
    QString suffix() const { return m_suffix; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void done(int result) override;

private:
    void buildCapturePage(QWidget *page);
    void buildLoadPage(QWidget *page);
    void pageShown();
    void fitCapturedPicture(QSize picture);
    void placePanel1(QSize inner);
    void fitLoadDisplay();
    void leaveCropMode();
    void storeOnTarget(const QImage &picture);
    void closingSteps();
    void storeSource();
    void captureFromVideo();
    void captureFromScanner();

    vellora::CaptureHost m_host;
    vellora::VideoCapture m_video;
    std::future<vellora::ScannerProbe> m_probe;
    bool m_created = false;
    bool m_closingDone = false;
    std::function<void()> m_setupDialog;

    QPointer<vellora::PhotoItem> m_target;
    QString m_suffix;
    QImage m_work;
    QSize m_videoArea = vellora::kVideoArea;

    QTabWidget *m_pages = nullptr;
    // Capture Image
    QGroupBox *m_groupBox1 = nullptr;
    QLabel *m_label1 = nullptr;
    QFrame *m_panel1 = nullptr;
    vellora::PhotoItem *m_image1 = nullptr;
    QLabel *m_image2 = nullptr;
    vellora::VideoDisplay *m_videoCap1 = nullptr;
    vellora::GlyphButton *m_okButton = nullptr;
    vellora::GlyphButton *m_captureImage = nullptr;
    vellora::GlyphButton *m_getphoto = nullptr;
    vellora::GlyphButton *m_cancelButton = nullptr;
    vellora::GlyphButton *m_setupButton = nullptr;
    // Load Image
    QFrame *m_panel2 = nullptr;
    QLabel *m_imgSrc = nullptr;
    vellora::CropOutline *m_lblCrop = nullptr;
    vellora::StretchHandle *m_stretchHandle1 = nullptr;
    QLabel *m_label2 = nullptr;
    vellora::GlyphButton *m_loadimage = nullptr;
    vellora::GlyphButton *m_cropimage = nullptr;
    vellora::GlyphButton *m_showcropper = nullptr;
    vellora::GlyphButton *m_imgokbtn = nullptr;
    vellora::GlyphButton *m_cancelimgbtn = nullptr;
};
