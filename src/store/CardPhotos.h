#pragma once
// Showing and storing the current card's photos on the card face. Photo
// files are read only through RefreshCardPhotos and written only through
// StorePhoto.
#include <QImage>
#include <QString>

namespace vellora {

class PhotoItem;

// The card face's photo items and what RefreshCardPhotos needs besides.
// Back items may be null when the window has no back side.
struct CardFacePhotos {
    PhotoItem *image1 = nullptr;       // Image1
    PhotoItem *secphot = nullptr;      // secphot
    PhotoItem *image1Back = nullptr;   // Image1_b
    PhotoItem *secphotBack = nullptr;  // secphot_b
    QImage placeholder;                // the hidden `template` picture
    bool doubleSided = false;
};

// Shows the photos of the card whose first field reads `cardNumberText`:
// each photo item gets the placeholder, then the card's JPEG, or failing
// that its bitmap. The second photo is shown proportionally when it comes
// from a file and stretched when it is the placeholder. When double-sided,
// the back items get the front items' pictures and proportional flags.
// A file that is there but cannot be read leaves the placeholder in its
// item and is named by the item's unreadablePhoto(), so that printing the
// card fails; the other photo is still shown. An empty card number (no
// current row) shows placeholders.
void RefreshCardPhotos(const CardFacePhotos &photos, const QString &appFolder, const QString &cardNumberText);

// Writes the item's picture as the card's photo with the given suffix ("" or
// "-2") and loads the written file back into the item, so the item shows
// exactly what was stored. Returns false, writing nothing, when the card
// number is empty. Throws PhotoError when writing or reading back fails;
// the item keeps its picture then.
bool StorePhoto(PhotoItem *item, const QString &suffix, const QString &appFolder, const QString &cardNumberText);

// A portrait silhouette on a light background, 150 x 200 pixels: the
// placeholder picture for photo items without a photo file.
QImage DefaultPlaceholderPicture();

}  // namespace vellora
