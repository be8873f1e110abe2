#pragma once
// A card's photo files: naming, finding, writing and reading them.
//
// A card has at most two photos, kept as files in data/images/ beside the
// card table and named after the text of the card's first field: 17.jpg and
// 17-2.jpg for card 17. Reading falls back to a bitmap of the same base name
// (17.bmp, 17-2.bmp); everything the program writes is JPEG at quality 90.
//
// Pictures come from files the operator or an old installation left, so every
// reader checks the picture's dimensions from its header before decoding and
// refuses what would not fit in memory.
#include <QImage>
#include <QString>

#include "engine/util/OperatorError.h"

namespace vellora {

// A photo or picture file that cannot be read or written. The message is
// meant for the operator and names the file.
class PhotoError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

// Limits on pictures read from files: each side at most kMaxPictureSide
// pixels and at most kMaxPicturePixels pixels in all (a 50 megapixel camera
// picture still loads), files at most kMaxPictureFileBytes.
inline constexpr int kMaxPictureSide = 12000;
inline constexpr qint64 kMaxPicturePixels = 50LL * 1000 * 1000;
inline constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;
inline constexpr int kJpegQuality = 90;

enum class PhotoSlot { First, Second };

// "" for the first photo (Image1, Image1_b), "-2" for the second (secphot,
// secphot_b).
QString PhotoSuffix(PhotoSlot slot);
// The suffix of a card-face photo item by its name: "-2" for secphot and
// secphot_b (any letter case), "" otherwise.
QString PhotoSuffixForItem(const QString &itemName);

// AppFolder + "data/images/" + card number + suffix + ".jpg", each part found
// without regard to letter case (an existing 17.JPG is returned as such, and
// is what a new photo replaces). Empty when the card number is empty or could
// name something outside the photo folder (a '/', '\', "." or "..").
QString PhotoPath(const QString &appFolder, const QString &cardNumberText, const QString &suffix);
// The same with ".bmp": the bitmap read when no JPEG exists.
QString PhotoBitmapPath(const QString &appFolder, const QString &cardNumberText, const QString &suffix);

// True when the size is within the limits above.
bool PictureSizeAcceptable(int width, int height);

// Writes the picture as a JPEG of quality 90, replacing any file at `path`
// only once the new file is complete (written beside it, then renamed).
// Transparent parts become white. Throws PhotoError.
void SaveJpeg(const QImage &picture, const QString &path);

// The bytes of a JPEG file, read within the file size limit. A missing,
// empty, oversized or unreadable file, or one that is not a JPEG, throws
// PhotoError.
QByteArray ReadJpegFile(const QString &path);

// Decodes JPEG data at eighths / 8 of the picture's size (eighths 1, 2, 4 or
// 8; each side rounded up, as the decoder does), which costs a fraction of a
// whole decoding: the screen shows photos far smaller than they are stored.
// *fullSize, when given, receives the picture's own size. The same checks as
// LoadJpeg; path only names the data in messages. Throws PhotoError.
QImage DecodeJpegData(const QByteArray &data, const QString &path, int eighths = 8, QSize *fullSize = nullptr);

// The picture's size from the JPEG data's header (nothing is decoded), after
// the same checks of the header as DecodeJpegData. Throws PhotoError.
QSize JpegPictureSize(const QByteArray &data, const QString &path);

// The smallest decoding scale (1, 2, 4 or 8 eighths) that still gives at
// least one picture pixel per device pixel of a box of `box` pixels, the
// picture stretched over it; 8 for an unstretched picture or an empty size.
int JpegEighthsFor(QSize picture, QSize box, bool stretch);

// Decodes a JPEG file; the result has the picture's own size. Grey pictures
// give Format_Grayscale8, colour ones Format_RGB888 (CMYK is converted).
// A damaged, truncated, empty or oversized file throws PhotoError.
QImage LoadJpeg(const QString &path);

// Reads a picture of any format Qt's image plugins know (the bitmap fall-back
// of the photos, pictures chosen by the operator), with the same limits.
// JPEG files, whatever their extension, go through LoadJpeg. Throws PhotoError.
QImage LoadPicture(const QString &path);

}  // namespace vellora
