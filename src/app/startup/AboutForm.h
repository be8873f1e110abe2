#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// "About Vellora-ID": the program's picture, the system information text
// (from the language table) ending with the version line, and Close.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr);
    QLabel *infoLabel() const { return m_info; }
    QPushButton *closeButton() const { return m_close; }
    // Appends "\r\n" + "V" + version after translation.
    void appendVersionLine();

private:
    QLabel *m_info;
    QPushButton *m_close;
};

namespace vellora {
inline constexpr const char *kProgramVersion = "3.0.5";
}
