#pragma once
// The running program on a temporary program folder, for the window tests.
#include "app/mainwindow/TForm1.h"
#include "app/startup/ProgramWindows.h"
#include "store/Settings.h"
#include "support/TempProgramFolder.h"

#include <QtTest>
#include <functional>

namespace vellora::test {

// config.cfg of the folder: the defaults with `change` applied.
inline void writeSettings(const TempProgramFolder &folder, const std::function<void(Settings &)> &change)
{
    Settings s;
    s.ResetSettings();
    change(s);
    QVERIFY(s.SaveSettings(folder.file("config.cfg")));
}

// The windows as start-up leaves them: created, other windows, layouts applied.
struct Program {
    ProgramWindows windows;
    explicit Program(const TempProgramFolder &folder)
    {
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        windows.applyLayouts();
    }
    TForm1 &main() { return *windows.main; }
};

}  // namespace vellora::test
