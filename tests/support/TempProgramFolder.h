#pragma once
// A private copy of the built program folder for one test, removed at the end.
#include <QString>
#include <QTemporaryDir>

namespace vellora::test {

class TempProgramFolder {
public:
    // Copies the folder named by VELLORA_PROGRAM_DIR (set by CTest).
    TempProgramFolder();
    // An empty folder, for tests that build their own layout.
    struct Empty {};
    explicit TempProgramFolder(Empty);

    bool isValid() const { return m_dir.isValid() && m_ok; }
    // The folder with a trailing '/', like AppFolder.
    QString path() const;
    QString file(const QString &relative) const;

    static QString builtProgramFolder();
    static QString fixturesFolder();  // shared/fixtures, may not exist
    static bool copyTree(const QString &from, const QString &to);

private:
    QTemporaryDir m_dir;
    bool m_ok = true;
};

}  // namespace vellora::test
