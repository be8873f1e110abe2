#include "devices/shell/DesktopShell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace vellora {

namespace {
DesktopOpener &opener()
{
    static DesktopOpener o;
    return o;
}

// xdg-open in the background; the shell reports its status when it ends
// within the grace time, else 0 (it is left running, detached from us).
constexpr const char *kOpenScript =
    "xdg-open \"$1\" </dev/null >/dev/null 2>&1 & pid=$!\n"
    "i=0; while [ $i -lt 30 ]; do\n"
    "  kill -0 $pid 2>/dev/null || { wait $pid; exit $?; }\n"
    "  sleep 0.1; i=$((i+1))\n"
    "done\n"
    "exit 0\n";
}  // namespace

void SetDesktopOpener(DesktopOpener o) { opener() = std::move(o); }

bool OpenWithDesktop(const QUrl &url)
{
    if (opener())
        return opener()(url);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    return QDesktopServices::openUrl(url);
}

void OpenWithDesktop(const QUrl &url, std::function<void()> failed)
{
    auto fail = [failed] {
        if (failed)
            QTimer::singleShot(0, QCoreApplication::instance(), failed);
    };
    if (opener()) {
        if (!opener()(url))
            fail();
        return;
    }
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        fail();
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            fail();
        return;
    }
    auto *process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if ((status != QProcess::NormalExit || code != 0) && failed)
            failed();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        if (failed)
            failed();
    });
    process->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(kOpenScript),
                                               QStringLiteral("vellora-open"), url.toString(QUrl::FullyEncoded)});
}

}  // namespace vellora
