#include "app/mainwindow/PhotoMenu.h"

#include "app/capture/CaptureCommands.h"

#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "store/CardStore.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QAction>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

using namespace vellora;

namespace {

QAction *addNamed(QMenu *menu, const char *name, const char *caption)
{
    auto *action = new QAction(QLatin1String(caption), menu);
    action->setObjectName(QLatin1String(name));
    menu->addAction(action);
    return action;
}

bool clipboardHasBitmap()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

bool isSecondPhoto(const QWidget *item) { return PhotoSuffixForItem(item->objectName()) == QLatin1String("-2"); }

}  // namespace

PhotoMenu::PhotoMenu(Parts parts) : m_parts(std::move(parts))
{
    m_menu = new QMenu(m_parts.window);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    m_captureImage = addNamed(m_menu, "CaptureImage1", "Capture Image");
    m_loadImage = addNamed(m_menu, "LoadImage1", "Load Image");
    m_menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction *cutAction = addNamed(m_menu, "Cut1", "Cut");
    QAction *copyAction = addNamed(m_menu, "Copy1", "Copy");
    m_paste = addNamed(m_menu, "Paste1", "Paste");
    m_captureImage->setEnabled(false);
    m_loadImage->setEnabled(false);

    const auto capture = [this](int page) {
        if (PhotoItem *item = target())
            ReportErrors([&] { m_parts.capture(item, PhotoSuffixForItem(item->objectName()), page); });
    };
    QObject::connect(m_captureImage, &QAction::triggered, m_menu, [capture] { capture(0); });
    QObject::connect(m_loadImage, &QAction::triggered, m_menu, [capture] { capture(1); });
    QObject::connect(cutAction, &QAction::triggered, m_menu, [this] {
        if (PhotoItem *item = target())
            cut(item);
    });
    QObject::connect(copyAction, &QAction::triggered, m_menu, [this] {
        if (PhotoItem *item = target())
            copy(item);
    });
    QObject::connect(m_paste, &QAction::triggered, m_menu, [this] {
        if (PhotoItem *item = target())
            ReportErrors([&] { paste(item); });
    });
}

PhotoItem *PhotoMenu::target() const { return qobject_cast<PhotoItem *>(m_parts.target->data()); }

void PhotoMenu::prepare(PhotoItem *item)
{
    *m_parts.target = item;
    m_paste->setEnabled(clipboardHasBitmap() || !clipboardPictureFile().isEmpty());
}

void PhotoMenu::setCaptureEnabled(bool enabled)
{
    m_captureImage->setEnabled(enabled);
    m_loadImage->setEnabled(enabled);
}

void PhotoMenu::setLoadImageVisible(bool visible) { m_loadImage->setVisible(visible); }

void PhotoMenu::syncTwin(PhotoItem *item)
{
    if (m_parts.settings->front.DoubleSided != 1)
        return;
    const CardSideItems &other = item->parentWidget() == m_parts.front->panel ? *m_parts.back : *m_parts.front;
    PhotoItem *twin = isSecondPhoto(item) ? other.secphot : other.Image1;
    twin->setPicture(item->picture());
    twin->setProportional(item->proportional());
}

void PhotoMenu::copy(PhotoItem *item)
{
    if (!item->picture().isNull())
        QGuiApplication::clipboard()->setImage(item->picture());
}

void PhotoMenu::cut(PhotoItem *item)
{
    try {
        if (!item->picture().isNull())
            QGuiApplication::clipboard()->setImage(item->picture());
        item->setPicture(m_parts.placeholder);
        if (isSecondPhoto(item))
            item->setProportional(false);
        CardStore *store = m_parts.store();
        if (store && store->storePhoto(item, PhotoSuffixForItem(item->objectName())))
            syncTwin(item);
    } catch (...) {
    }
}

QString PhotoMenu::clipboardPictureFile() const
{
    return m_filePaste ? vellora::PictureFileOf(QGuiApplication::clipboard()->mimeData()) : QString();
}

void PhotoMenu::paste(PhotoItem *item)
{
    if (!clipboardHasBitmap()) {
        const QString file = clipboardPictureFile();
        if (!file.isEmpty())
            m_filePaste(item, PhotoSuffixForItem(item->objectName()), file);
        return;
    }
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return;
    if (!PictureSizeAcceptable(picture.width(), picture.height()))
        throw PhotoError(QStringLiteral("The picture on the clipboard is too large (%1 x %2 pixels).")
                             .arg(picture.width())
                             .arg(picture.height()));
    item->setPicture(picture);
    if (isSecondPhoto(item))
        item->setProportional(true);
    CardStore *store = m_parts.store();
    if (store && store->storePhoto(item, PhotoSuffixForItem(item->objectName())))
        syncTwin(item);
}

// ---- the main window's side of the photo menu ----------------------------

QMenu *TForm1::photoMenu() const { return m_photoMenu->menu(); }

void TForm1::preparePhotoMenu(PhotoItem *item) { m_photoMenu->prepare(item); }
