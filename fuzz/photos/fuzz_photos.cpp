// Feeds arbitrary bytes to the photo readers through a file, as photos and
// pictures reach them: LoadJpeg for the photo files, LoadPicture for the
// bitmap fall-back and the pictures the operator chooses. Reading must never
// crash, hang or allocate without bound; what it returns must be within the
// picture limits.
#include "store/Photos.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace vellora;

namespace {

// Kept to the end: the application object cannot be destroyed after Qt's
// own globals, which exit() removes first.
QCoreApplication *g_app = nullptr;
QTemporaryDir *g_dir = nullptr;
QString g_path;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The image plugins report every damaged input; that is expected here.
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

void checkPicture(const QImage &image)
{
    check(!image.isNull());
    check(PictureSizeAcceptable(image.width(), image.height()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    g_app = new QCoreApplication(*argc, *argv);
    qInstallMessageHandler(quiet);
    // Memory-backed scratch space when there is one: every input is a file.
    const QString shm = QStringLiteral("/dev/shm");
    g_dir = new QTemporaryDir(QFileInfo(shm).isWritable() ? shm + QStringLiteral("/fuzz-photos-XXXXXX")
                                                                          : QDir::tempPath() + QStringLiteral("/fuzz-photos-XXXXXX"));
    check(g_dir->isValid());
    std::atexit([] { delete g_dir; });
    g_path = g_dir->filePath(QStringLiteral("17.bmp"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile f(g_path);
        check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }
    const bool jpeg = size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
    try {
        const QImage image = LoadJpeg(g_path);
        checkPicture(image);
        check(image.format() == QImage::Format_RGB888 || image.format() == QImage::Format_Grayscale8);
    } catch (const PhotoError &e) {
        check(!e.message().isEmpty());
    }
    // LoadPicture hands JPEG files to the same decoder as LoadJpeg.
    if (!jpeg) {
        try {
            checkPicture(LoadPicture(g_path));
        } catch (const PhotoError &e) {
            check(!e.message().isEmpty());
        }
    }
    return 0;
}
