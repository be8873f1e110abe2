#pragma once
// The card face's photo menu (PopupMenu1): Capture Image, Load Image, Cut,
// Copy and Paste on the photo item the pop-up menus work on. It is given its
// window, both card sides, the settings and the card store, and owns its
// menu and actions; the window shows capture through the command it gives.
#include <QImage>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QWidget;
struct CardSideItems;

namespace vellora {
class CardStore;
class PhotoItem;
class Settings;
}

class PhotoMenu {
public:
    // Shows the capture window for the item with its photo suffix ("",
    // "-2") on a page (0 "Capture Image", 1 "Load Image").
    using Capture = std::function<void(vellora::PhotoItem *item, const QString &suffix, int page)>;
    struct Parts {
        QWidget *window = nullptr;                  // the menu's parent
        QPointer<QWidget> *target = nullptr;        // the item the pop-up menus work on
        const CardSideItems *front = nullptr;
        const CardSideItems *back = nullptr;
        const vellora::Settings *settings = nullptr;
        std::function<vellora::CardStore *()> store;  // nullptr before the card table is open
        QImage placeholder;                         // what Cut leaves in the item
        Capture capture;
    };

    explicit PhotoMenu(Parts parts);

    QMenu *menu() const { return m_menu; }
    // The item becomes the menu's target; Paste is enabled when the
    // clipboard holds a picture or, with a file paste, a picture file.
    void prepare(vellora::PhotoItem *item);
    // Capture Image and Load Image follow whether capture is there at all.
    void setCaptureEnabled(bool enabled);
    void setLoadImageVisible(bool visible);
    // Where Paste hands a picture file the clipboard holds; without it only
    // bitmaps are pasted.
    using FilePaste = std::function<void(vellora::PhotoItem *item, const QString &suffix, const QString &file)>;
    void setPictureFilePaste(FilePaste open) { m_filePaste = std::move(open); }

    void copy(vellora::PhotoItem *item);
    // Cut reports nothing: what could not be done is simply not done.
    void cut(vellora::PhotoItem *item);
    // Throws PhotoError for a clipboard picture too large for a card. A
    // picture file goes to the file paste (the capture window).
    void paste(vellora::PhotoItem *item);

private:
    vellora::PhotoItem *target() const;
    // The picture file the clipboard holds when there is a file paste.
    QString clipboardPictureFile() const;
    // Both sides show the same photo file: the other side's item follows.
    void syncTwin(vellora::PhotoItem *item);

    Parts m_parts;
    QMenu *m_menu = nullptr;
    QAction *m_captureImage = nullptr;
    QAction *m_loadImage = nullptr;
    QAction *m_paste = nullptr;
    FilePaste m_filePaste;
};
