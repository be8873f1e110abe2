#pragma once
// The files of a printed card page: a PNG of the page and a PDF of the job.
//
// A page is compressed once: the rows, each prefixed with its PNG filter
// byte, go through one deflate stream. That stream is the PNG file's image
// data and, with the PNG predictor declared, the image of the PDF page too,
// so a page costs one compression for both files.
#include "devices/print/PrintDevice.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace vellora {

// A fast level of libdeflate: card pages are mostly flat colour, which it
// packs nearly as tightly as the highest levels in a fraction of the time
// (on a card with a photo, level 2 takes about 7 ms for 197 KB where zlib's
// fastest level takes 9 ms for 216 KB).
inline constexpr int kPageCompressionLevel = 2;

struct EncodedPage {
    int width = 0;
    int height = 0;
    int dpi = 0;
    PageOrientation orientation = PageOrientation::Landscape;
    QByteArray deflated;  // zlib stream of the filtered rows (RGB, 8 bits)
};

// Compresses a page image (any format; transparency is dropped). Throws
// std::bad_alloc when out of memory.
EncodedPage EncodePage(const QImage &page, int dpi, PageOrientation orientation);

// The PNG file of an encoded page (RGB, 8 bits, with its resolution).
QByteArray PngFile(const EncodedPage &page);

// A PDF with one page per encoded page, each the size of a CR80 card
// (widthMm x heightMm in landscape, turned for portrait pages) and filled
// by the page's picture.
QByteArray PdfFile(const QList<EncodedPage> &pages, double widthMm, double heightMm, const QString &title,
                   const QString &creator);

}  // namespace vellora
