#pragma once
// The program entry: splash, language, windows, translation, pictures,
// layouts, then the event loop.
#include <QString>

namespace vellora {

struct StartOptions {
    QString appFolder;  // with a trailing '/'; empty: the program file's folder
};

// The folder of the program file, with a trailing '/'.
QString ProgramFileFolder();

// Runs the program to its end and returns the exit code.
int RunProgram(const StartOptions &options);

}  // namespace vellora
