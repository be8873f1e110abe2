#pragma once
// The real test devices the capture tests run on: GStreamer's test source as
// the test camera, and SANE's `test` backend through a private configuration
// folder (a dll.conf naming only `test`, and the backend's own test.conf).
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace vellora::test {

// Lists the test camera with the cameras of the machine.
inline void UseTestCamera(bool on = true)
{
    if (on)
        qputenv("VELLORA_TEST_CAMERA", "1");
    else
        qunsetenv("VELLORA_TEST_CAMERA");
}

// A private SANE configuration. SANE takes the folder from SANE_CONFIG_DIR
// once per process and reads its files at every initialisation, so all
// instances share one folder and rewrite its files; callers shut SANE down
// (Scanner::Shutdown) before probing with a new configuration.
class TestScannerConfig {
public:
    // `backends`: the dll.conf lines ("test", or none for a machine without
    // scanners). `testConf`: lines of the test backend's test.conf besides
    // the small defaults below.
    explicit TestScannerConfig(const QStringList &backends = {QStringLiteral("test")}, const QStringList &testConf = {})
    {
        write(QStringLiteral("dll.conf"), backends);
        // A 40 x 50 mm area keeps a 300 dpi scan small (472 x 590 pixels).
        QStringList conf = {QStringLiteral("number_of_devices 2"), QStringLiteral("geometry_min 0.0"),
                            QStringLiteral("geometry_max 50.0"), QStringLiteral("br_x 40.0"), QStringLiteral("br_y 50.0"),
                            QStringLiteral("test-picture \"Color pattern\"")};
        conf += testConf;
        write(QStringLiteral("test.conf"), conf);
        qputenv("SANE_CONFIG_DIR", folder().path().toLocal8Bit());
    }
    QString path() const { return folder().path(); }

private:
    void write(const QString &name, const QStringList &lines)
    {
        QFile f(folder().filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    }
    static QTemporaryDir &folder()
    {
        static QTemporaryDir dir;
        return dir;
    }
};

}  // namespace vellora::test
