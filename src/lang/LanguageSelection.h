#pragma once
// The language selection dialog and the language change of the running
// program.
#include <QDialog>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

// "Select Language": lists the sections of languages.ini; Ok records the
// choice in Language.cfg and switches the whole program to it at once.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(const QString &appFolder, QWidget *parent = nullptr);

    QComboBox *comboBox() const { return m_combo; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Set while the dialog runs on first start, before any other window:
    // Ok then only records the choice; the loader goes on from there.
    void setFirstStart(bool firstStart) { m_firstStart = firstStart; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void okClicked();

    QString m_appFolder;
    QLabel *m_label = nullptr;
    QComboBox *m_combo = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_firstStart = false;
};

namespace vellora {

// First start with several languages and no Language.cfg: shows a fresh
// selection dialog modally and frees it. The dialog writes Language.cfg on
// Ok; Can leaves none.
void RunFirstLanguageSelection(const QString &appFolder);

// Switches the running program to the language recorded in Language.cfg:
// reloads the table, the language pictures (when the main window exists),
// translates every window, shown or hidden, reloads the message captions
// and then calls the handlers added below. Errors are shown as plain
// messages. Returns false when the table could not be loaded.
bool ApplyLanguageChange(const QString &appFolder);

// Called after every language change, for texts set at run time (for
// example the version line of the About box).
void AddLanguageChangedHandler(std::function<void()> handler);

// The start-up steps: LoadLanguageTable (asking first when needed) and
// LoadDialogCaptions; a load error is shown and start-up goes on.
void StartupLoadLanguage(const QString &appFolder);
// The start-up step after all windows exist and were translated (and the
// About box got its version line): LoadLanguageGraphics; an error is shown
// and start-up goes on.
void StartupLoadGraphics(const QString &appFolder);

// Shows a fixed-text error in the plain message box, titled with the
// application's name.
void ShowPlainError(const QString &text);

}  // namespace vellora
