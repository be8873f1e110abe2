#include "store/Photos.h"

#include "engine/util/FileLookup.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QtEndian>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace vellora {

QString PhotoSuffix(PhotoSlot slot)
{
    return slot == PhotoSlot::Second ? QStringLiteral("-2") : QString();
}

QString PhotoSuffixForItem(const QString &itemName)
{
    const QString lower = itemName.toLower();
    return (lower == QLatin1String("secphot") || lower == QLatin1String("secphot_b")) ? PhotoSuffix(PhotoSlot::Second)
                                                                                     : PhotoSuffix(PhotoSlot::First);
}

namespace {

bool SafeBaseName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return !name.contains('/') && !name.contains('\\') && !name.contains(QChar(0));
}

QString PhotoFile(const QString &appFolder, const QString &cardNumberText, const QString &suffix, const char *ext)
{
    const QString base = cardNumberText.trimmed() + suffix;
    if (cardNumberText.trimmed().isEmpty() || !SafeBaseName(base))
        return {};
    return ResolveCaseInsensitive(appFolder, QStringLiteral("data/images/") + base + QLatin1String(ext));
}

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the setjmp of the call that started the work. The jump
// crosses only libjpeg's own C frames; every object that must survive it
// lives on the heap in the Job below.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

void OnError(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    if (level < 0) {
        ++cinfo->err->num_warnings;
        // A file cut short decodes to grey below the cut: treat it as damaged.
        if (cinfo->err->msg_code == JWRN_JPEG_EOF)
            err->truncated = true;
    }
}

// Progressive files with thousands of tiny scans take minutes to decode.
constexpr int kMaxScans = 500;

void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor) {
        auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans) {
            auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
            std::snprintf(err->message, sizeof err->message, "too many scans");
            std::longjmp(err->jump, 1);
        }
    }
}

struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    QByteArray data;
    QImage image;
    std::unique_ptr<unsigned char[]> row;
    bool created = false;
};

struct EncodeJob {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    QImage rgb;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    bool created = false;
    ~EncodeJob()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
};

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PhotoError(QStringLiteral("Cannot open the picture file %1: %2").arg(path, file.errorString()));
    if (file.size() == 0)
        throw PhotoError(QStringLiteral("The picture file %1 is empty").arg(path));
    if (file.size() > kMaxPictureFileBytes)
        throw PhotoError(QStringLiteral("The picture file %1 is too large").arg(path));
    QByteArray data = file.readAll();
    if (data.size() != file.size())
        throw PhotoError(QStringLiteral("Cannot read the picture file %1: %2").arg(path, file.errorString()));
    return data;
}

QString TooLarge(const QString &path, int w, int h)
{
    return QStringLiteral("The picture in %1 is too large (%2 x %3 pixels)").arg(path).arg(w).arg(h);
}

// Adobe's CMYK JPEGs store the inks inverted; without the marker they are
// taken as plain CMYK.
inline unsigned char FromInk(int c, int k, bool inverted)
{
    if (inverted)
        return static_cast<unsigned char>(c * k / 255);
    return static_cast<unsigned char>((255 - c) * (255 - k) / 255);
}

QImage DecodeJpeg(const QByteArray &bytes, const QString &path, int eighths, QSize *fullSize)
{
    auto job = std::make_unique<DecodeJob>();
    job->data = bytes;
    jpeg_decompress_struct *cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = OnError;
    job->err.pub.emit_message = OnMessage;
    job->err.truncated = false;
    job->err.message[0] = 0;

    if (setjmp(job->err.jump)) {
        jpeg_destroy_decompress(cinfo);
        throw PhotoError(QStringLiteral("The picture file %1 is damaged: %2")
                             .arg(path, QString::fromLocal8Bit(job->err.message)));
    }
    jpeg_create_decompress(cinfo);
    job->progress.progress_monitor = OnProgress;
    cinfo->progress = &job->progress;
    // A safety net below the pixel limit: libjpeg refuses rather than grows.
    cinfo->mem->max_memory_to_use = 1024L * 1024 * 1024;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char *>(job->data.constData()),
                 static_cast<unsigned long>(job->data.size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK || job->err.truncated) {
        jpeg_destroy_decompress(cinfo);
        throw PhotoError(QStringLiteral("The picture file %1 is damaged").arg(path));
    }
    const int w = static_cast<int>(cinfo->image_width);
    const int h = static_cast<int>(cinfo->image_height);
    if (!PictureSizeAcceptable(w, h)) {
        jpeg_destroy_decompress(cinfo);
        throw PhotoError(TooLarge(path, w, h));
    }

    if (fullSize)
        *fullSize = QSize(w, h);
    if (eighths == 0) {  // the header was all that was asked for
        jpeg_destroy_decompress(cinfo);
        return QImage();
    }
    cinfo->scale_num = static_cast<unsigned int>(eighths);
    cinfo->scale_denom = 8;

    QImage::Format format = QImage::Format_RGB888;
    bool cmyk = false;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        cinfo->out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(cinfo);
    const int ow = static_cast<int>(cinfo->output_width);
    const int oh = static_cast<int>(cinfo->output_height);
    job->image = QImage(ow, oh, format);
    if (job->image.isNull()) {
        jpeg_destroy_decompress(cinfo);
        throw PhotoError(TooLarge(path, ow, oh));
    }
    if (cmyk)
        job->row.reset(new unsigned char[static_cast<size_t>(ow) * 4]);
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height && !job->err.truncated) {
        const int y = static_cast<int>(cinfo->output_scanline);
        JSAMPROW target = cmyk ? job->row.get() : job->image.scanLine(y);
        if (jpeg_read_scanlines(cinfo, &target, 1) != 1)
            break;
        if (cmyk) {
            unsigned char *out = job->image.scanLine(y);
            const unsigned char *in = job->row.get();
            for (int x = 0; x < ow; ++x, in += 4, out += 3) {
                out[0] = FromInk(in[0], in[3], inverted);
                out[1] = FromInk(in[1], in[3], inverted);
                out[2] = FromInk(in[2], in[3], inverted);
            }
        }
    }
    if (job->err.truncated || cinfo->output_scanline < cinfo->output_height) {
        jpeg_destroy_decompress(cinfo);
        throw PhotoError(QStringLiteral("The picture file %1 is incomplete").arg(path));
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    if (job->err.truncated)
        throw PhotoError(QStringLiteral("The picture file %1 is incomplete").arg(path));
    return std::move(job->image);
}

bool LooksLikeJpeg(const QByteArray &data)
{
    return data.size() >= 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
           static_cast<unsigned char>(data[1]) == 0xD8 && static_cast<unsigned char>(data[2]) == 0xFF;
}

// An uncompressed Windows bitmap shorter than its header says is cut off;
// Qt's reader would show it with the missing rows blank.
bool BitmapCutShort(const QByteArray &data)
{
    if (data.size() < 34 || !data.startsWith("BM"))
        return false;
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(data.constData() + at); };
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(data.constData() + at); };
    const quint32 headerSize = u32(14);
    if (headerSize < 40)
        return false;  // the old OS/2 header: left to the reader
    const qint64 width = static_cast<qint32>(u32(18));
    const qint64 height = qAbs(static_cast<qint64>(static_cast<qint32>(u32(22))));
    const qint64 bits = u16(28);
    const quint32 compression = u32(30);
    if (compression != 0 || width <= 0 || bits == 0)
        return false;
    // Sizes beyond the picture limits are refused once the reader knows
    // them; below them the arithmetic cannot overflow.
    if (width > kMaxPictureSide || height > kMaxPictureSide || bits > 64)
        return false;
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    return static_cast<qint64>(u32(10)) + rowBytes * height > data.size();
}

}  // namespace

QString PhotoPath(const QString &appFolder, const QString &cardNumberText, const QString &suffix)
{
    return PhotoFile(appFolder, cardNumberText, suffix, ".jpg");
}

QString PhotoBitmapPath(const QString &appFolder, const QString &cardNumberText, const QString &suffix)
{
    return PhotoFile(appFolder, cardNumberText, suffix, ".bmp");
}

bool PictureSizeAcceptable(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           static_cast<qint64>(width) * height <= kMaxPicturePixels;
}

void SaveJpeg(const QImage &picture, const QString &path)
{
    if (picture.isNull())
        throw PhotoError(QStringLiteral("There is no picture to write to %1").arg(path));
    if (path.isEmpty())
        throw PhotoError(QStringLiteral("The photo has no file name"));

    auto job = std::make_unique<EncodeJob>();
    if (picture.hasAlphaChannel()) {
        QImage flat(picture.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
        painter.end();
        job->rgb = std::move(flat);
    } else {
        job->rgb = picture.convertToFormat(QImage::Format_RGB888);
    }
    if (job->rgb.isNull())
        throw PhotoError(QStringLiteral("Not enough memory to write %1").arg(path));

    jpeg_compress_struct *cinfo = &job->cinfo;
    cinfo->err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = OnError;
    job->err.message[0] = 0;
    if (setjmp(job->err.jump))
        throw PhotoError(QStringLiteral("Cannot encode the photo for %1: %2")
                             .arg(path, QString::fromLocal8Bit(job->err.message)));
    jpeg_create_compress(cinfo);
    job->created = true;
    jpeg_mem_dest(cinfo, &job->buffer, &job->size);
    cinfo->image_width = static_cast<JDIMENSION>(job->rgb.width());
    cinfo->image_height = static_cast<JDIMENSION>(job->rgb.height());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, kJpegQuality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = job->rgb.scanLine(static_cast<int>(cinfo->next_scanline));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw PhotoError(QStringLiteral("Cannot write the photo file %1: %2").arg(path, file.errorString()));
    const qint64 written = file.write(reinterpret_cast<const char *>(job->buffer), static_cast<qint64>(job->size));
    if (written != static_cast<qint64>(job->size) || !file.commit())
        throw PhotoError(QStringLiteral("Cannot write the photo file %1: %2").arg(path, file.errorString()));
    NoteFileWritten(path);
}

QByteArray ReadJpegFile(const QString &path)
{
    QByteArray data = ReadWholeFile(path);
    if (!LooksLikeJpeg(data))
        throw PhotoError(QStringLiteral("The file %1 is not a JPEG picture").arg(path));
    return data;
}

QImage DecodeJpegData(const QByteArray &data, const QString &path, int eighths, QSize *fullSize)
{
    if (!LooksLikeJpeg(data))
        throw PhotoError(QStringLiteral("The file %1 is not a JPEG picture").arg(path));
    if (eighths != 1 && eighths != 2 && eighths != 4)
        eighths = 8;
    return DecodeJpeg(data, path, eighths, fullSize);
}

QSize JpegPictureSize(const QByteArray &data, const QString &path)
{
    if (!LooksLikeJpeg(data))
        throw PhotoError(QStringLiteral("The file %1 is not a JPEG picture").arg(path));
    QSize size;
    DecodeJpeg(data, path, 0, &size);
    return size;
}

int JpegEighthsFor(QSize picture, QSize box, bool stretch)
{
    if (!stretch || picture.isEmpty() || box.isEmpty())
        return 8;
    for (int eighths : {1, 2, 4}) {
        // The decoder's output size: each side rounded up.
        const qint64 w = (qint64(picture.width()) * eighths + 7) / 8;
        const qint64 h = (qint64(picture.height()) * eighths + 7) / 8;
        if (w >= box.width() && h >= box.height())
            return eighths;
    }
    return 8;
}

QImage LoadJpeg(const QString &path)
{
    return DecodeJpeg(ReadJpegFile(path), path, 8, nullptr);
}

QImage LoadPicture(const QString &path)
{
    QByteArray data = ReadWholeFile(path);
    if (LooksLikeJpeg(data))
        return DecodeJpeg(data, path, 8, nullptr);

    // Qt's own limit on what a reader may allocate; our pixel limit is below it.
    QImageReader::setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    if (BitmapCutShort(data))
        throw PhotoError(QStringLiteral("The picture file %1 is incomplete").arg(path));
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        throw PhotoError(QStringLiteral("The file %1 is not a picture").arg(path));
    const QSize size = reader.size();
    // Formats that cannot tell their size up front are left to the
    // allocation limit; those that can must be within ours.
    if (size.isValid() && !PictureSizeAcceptable(size.width(), size.height()))
        throw PhotoError(TooLarge(path, size.width(), size.height()));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw PhotoError(QStringLiteral("The picture file %1 cannot be read: %2").arg(path, reader.errorString()));
    if (!PictureSizeAcceptable(image.width(), image.height()))
        throw PhotoError(TooLarge(path, image.width(), image.height()));
    return image;
}

}  // namespace vellora
