#include "app/shell/StartupWait.h"

#include <QThread>
#include <chrono>

namespace vellora {

namespace {
bool g_enabled = true;
qint64 tickSeconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 1000;
}
}  // namespace

void SetStartupWaitEnabled(bool enabled) { g_enabled = enabled; }
bool StartupWaitEnabled() { return g_enabled; }

void StartupWait()
{
    if (!g_enabled)
        return;
    const qint64 until = tickSeconds() + 3;
    while (tickSeconds() < until)
        QThread::msleep(1);
}

}  // namespace vellora
