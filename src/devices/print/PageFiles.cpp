#include "devices/print/PageFiles.h"

#include <QDateTime>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>

namespace vellora {

namespace {

// Every row uses the "Sub" filter (each byte minus the one of the pixel to
// its left): flat areas become runs of zeros, and it costs one subtraction.
constexpr unsigned char kFilterSub = 1;

void AppendChunk(QByteArray &png, const char type[4], const char *data, qsizetype size)
{
    char length[4];
    qToBigEndian<quint32>(quint32(size), length);
    png.append(length, 4);
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data, size);
    uLong crc = crc32(0, nullptr, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef *>(png.constData() + start), uInt(size + 4));
    char sum[4];
    qToBigEndian<quint32>(quint32(crc), sum);
    png.append(sum, 4);
}

QByteArray PdfNumber(double v) { return QByteArray::number(v, 'f', 2); }

// A PDF text string: plain ASCII in parentheses (escaped), anything else as
// UTF-16 with its byte order mark in hex.
QByteArray PdfText(const QString &text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii) {
        QByteArray out = "(";
        for (QChar c : text) {
            if (c == u'(' || c == u')' || c == u'\\')
                out += '\\';
            out += char(c.unicode());
        }
        return out + ')';
    }
    QByteArray utf16 = "\xFE\xFF";
    for (QChar c : text) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xFF);
    }
    return '<' + utf16.toHex() + '>';
}

}  // namespace

EncodedPage EncodePage(const QImage &image, int dpi, PageOrientation orientation)
{
    const QImage page = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                            ? image
                            : image.convertToFormat(QImage::Format_RGB32);
    if (page.isNull() && !image.isNull())
        throw std::bad_alloc();
    EncodedPage out;
    out.width = page.width();
    out.height = page.height();
    out.dpi = dpi;
    out.orientation = orientation;

    // The filtered rows, then one compression of the whole (the compressor
    // works on whole buffers). Both stay with the thread for its next page.
    thread_local std::vector<unsigned char> filtered;
    thread_local std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor *)> compressor(
        nullptr, libdeflate_free_compressor);
    if (!compressor)
        compressor.reset(libdeflate_alloc_compressor(kPageCompressionLevel));
    if (!compressor)
        throw std::bad_alloc();
    const size_t rowBytes = size_t(out.width) * 3 + 1;
    filtered.resize(rowBytes * size_t(out.height));
    unsigned char *o = filtered.data();
    for (int y = 0; y < out.height; ++y) {
        const auto *px = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        *o++ = kFilterSub;
        unsigned char pr = 0, pg = 0, pb = 0;
        for (int x = 0; x < out.width; ++x) {
            const unsigned char r = static_cast<unsigned char>(qRed(px[x]));
            const unsigned char g = static_cast<unsigned char>(qGreen(px[x]));
            const unsigned char b = static_cast<unsigned char>(qBlue(px[x]));
            *o++ = static_cast<unsigned char>(r - pr);
            *o++ = static_cast<unsigned char>(g - pg);
            *o++ = static_cast<unsigned char>(b - pb);
            pr = r;
            pg = g;
            pb = b;
        }
    }
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filtered.size());
    out.deflated.resize(qsizetype(bound));
    const size_t size = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(),
                                                 out.deflated.data(), bound);
    if (size == 0)
        throw std::bad_alloc();  // cannot happen with the bound's room
    out.deflated.resize(qsizetype(size));
    return out;
}

QByteArray PngFile(const EncodedPage &page)
{
    QByteArray png;
    png.reserve(page.deflated.size() + 128);
    png.append("\x89PNG\r\n\x1a\n", 8);
    char header[13];
    qToBigEndian<quint32>(quint32(page.width), header);
    qToBigEndian<quint32>(quint32(page.height), header + 4);
    header[8] = 8;   // bits per sample
    header[9] = 2;   // RGB
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering, one filter byte a row
    header[12] = 0;  // not interlaced
    AppendChunk(png, "IHDR", header, 13);
    char phys[9];
    const quint32 perMetre = quint32(std::lround(page.dpi / 0.0254));
    qToBigEndian<quint32>(perMetre, phys);
    qToBigEndian<quint32>(perMetre, phys + 4);
    phys[8] = 1;  // metres
    AppendChunk(png, "pHYs", phys, 9);
    // Image data in chunks of at most 1 MiB, as readers like them.
    constexpr qsizetype kChunk = 1 << 20;
    for (qsizetype at = 0; at < page.deflated.size(); at += kChunk)
        AppendChunk(png, "IDAT", page.deflated.constData() + at, qMin(kChunk, page.deflated.size() - at));
    AppendChunk(png, "IEND", nullptr, 0);
    return png;
}

QByteArray PdfFile(const QList<EncodedPage> &pages, double widthMm, double heightMm, const QString &title,
                   const QString &creator)
{
    qsizetype total = 1024;
    for (const EncodedPage &p : pages)
        total += p.deflated.size() + 512;
    QByteArray pdf;
    pdf.reserve(total);
    std::vector<qsizetype> offsets;  // of objects 1..n
    auto begin = [&](int number) {
        if (offsets.size() < size_t(number))
            offsets.resize(size_t(number));
        offsets[size_t(number - 1)] = pdf.size();
        pdf += QByteArray::number(number) + " 0 obj\n";
    };
    pdf += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    const int count = int(pages.size());
    // 1 catalog, 2 page tree, 3 information, then page, contents and image
    // for each page.
    begin(1);
    pdf += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    begin(2);
    pdf += "<< /Type /Pages /Kids [";
    for (int i = 0; i < count; ++i)
        pdf += QByteArray::number(4 + 3 * i) + " 0 R ";
    pdf += "] /Count " + QByteArray::number(count) + " >>\nendobj\n";
    begin(3);
    pdf += "<< /Title " + PdfText(title) + " /Creator " + PdfText(creator) + " /CreationDate (D:" +
           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z) >>\nendobj\n";
    const double longSide = widthMm / 25.4 * 72.0;
    const double shortSide = heightMm / 25.4 * 72.0;
    for (int i = 0; i < count; ++i) {
        const EncodedPage &p = pages[i];
        const bool landscape = p.orientation == PageOrientation::Landscape;
        const QByteArray w = PdfNumber(landscape ? longSide : shortSide);
        const QByteArray h = PdfNumber(landscape ? shortSide : longSide);
        const int page = 4 + 3 * i;
        begin(page);
        pdf += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + ' ' + h + "] /Resources << /XObject << /Im0 " +
               QByteArray::number(page + 2) + " 0 R >> >> /Contents " + QByteArray::number(page + 1) +
               " 0 R >>\nendobj\n";
        const QByteArray draw = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q\n";
        begin(page + 1);
        pdf += "<< /Length " + QByteArray::number(draw.size()) + " >>\nstream\n" + draw + "endstream\nendobj\n";
        begin(page + 2);
        const QByteArray columns = QByteArray::number(p.width);
        pdf += "<< /Type /XObject /Subtype /Image /Width " + columns + " /Height " + QByteArray::number(p.height) +
               " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /DecodeParms << /Predictor 15"
               " /Colors 3 /BitsPerComponent 8 /Columns " +
               columns + " >> /Length " + QByteArray::number(p.deflated.size()) + " >>\nstream\n";
        pdf += p.deflated;
        pdf += "\nendstream\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    const int objects = int(offsets.size());
    pdf += "xref\n0 " + QByteArray::number(objects + 1) + "\n0000000000 65535 f \n";
    for (qsizetype at : offsets)
        pdf += QByteArray::number(qlonglong(at)).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects + 1) + " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" +
           QByteArray::number(qlonglong(xref)) + "\n%%EOF\n";
    return pdf;
}

}  // namespace vellora
