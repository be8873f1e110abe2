#include "app/capture/CaptureCommands.h"

#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "capture/TImageCapture.h"
#include "capture/Tcapsetup.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QTimer>

namespace vellora {

namespace {

// Accepts picture files dragged from the file manager onto a photo item.
class PhotoDropFilter : public QObject {
public:
    PhotoDropFilter(TForm1 &main, TImageCapture *capture) : QObject(&main), m_main(main), m_capture(capture) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *item = qobject_cast<PhotoItem *>(watched);
        if (!item)
            return false;
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *drag = static_cast<QDropEvent *>(event);
            if (!PictureFileOf(drag->mimeData()).isEmpty()) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            const QString file = PictureFileOf(drop->mimeData());
            if (file.isEmpty() || !m_capture)
                return true;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // The modal window opens once the drop has finished.
            QPointer<PhotoItem> target(item);
            QTimer::singleShot(0, &m_main, [this, target, file] {
                if (target && m_capture)
                    ReportErrors([&] {
                        m_main.CommitCard();
                        m_capture->OpenWithPictureFile(target, PhotoSuffixForItem(target->objectName()), file);
                    });
            });
            return true;
        }
        return false;
    }

private:
    TForm1 &m_main;
    QPointer<TImageCapture> m_capture;
};

}  // namespace

QString PictureFileOf(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return QString();
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile() && formats.contains(info.suffix().toLower().toLatin1()))
            return info.absoluteFilePath();
    }
    return QString();
}

CaptureWindows InstallCaptureCommands(TForm1 &main)
{
    CaptureHost host;
    host.appFolder = main.appFolder();
    QPointer<TForm1> owner(&main);
    host.captureDevice = [owner] { return owner ? owner->settings().front.CaptureDevice : QString(); };
    host.setCaptureDevice = [owner](const QString &device) {
        if (owner)
            owner->settings().front.CaptureDevice = device;
    };
    host.store = [owner]() -> CardStore * { return owner ? owner->store() : nullptr; };

    CaptureWindows windows;
    windows.capture = new TImageCapture(std::move(host));
    windows.setup = new Tcapsetup(windows.capture);
    QPointer<Tcapsetup> setup = windows.setup;
    windows.capture->setSetupDialog([setup] {
        if (setup)
            setup->ShowSetup();
    });
    QPointer<TImageCapture> capture = windows.capture;
    main.setCaptureWindow([capture](PhotoItem *target, const QString &suffix, int page) {
        if (capture)
            capture->OpenCapture(target, suffix, page);
    });

    QPointer<TForm1> window(&main);
    main.setPictureFilePaste([capture, window](PhotoItem *target, const QString &suffix, const QString &file) {
        if (!capture || !window)
            return;
        window->CommitCard();
        capture->OpenWithPictureFile(target, suffix, file);
    });

    auto *filter = new PhotoDropFilter(main, windows.capture);
    for (int s = 0; s < 2; ++s)
        for (PhotoItem *item : {main.side(s).Image1, main.side(s).secphot})
            if (item) {
                item->setAcceptDrops(true);
                item->installEventFilter(filter);
            }
    return windows;
}

}  // namespace vellora
