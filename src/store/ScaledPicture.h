#pragma once
// A picture file loaded at a percentage of its pixel size, for the on-screen
// backgrounds (50 %), the card design dialog's preview (20 %) and the
// renderer (100 %).
#include <QImage>
#include <QSize>
#include <QString>

namespace vellora {

// width / 100 * percent and height / 100 * percent, each rounded to the
// nearest integer with halves to even.
QSize ScaledPictureSize(QSize picture, int percent);

// Loads the picture (any format the image plugins know, by its extension,
// within the photo size limits) stretched to the scaled size. A missing file
// gives a null image; an unreadable one throws PhotoError.
QImage LoadScaledPicture(const QString &path, int percent);

}  // namespace vellora
