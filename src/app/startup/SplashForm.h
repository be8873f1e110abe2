#pragma once
#include <QPixmap>
#include <QWidget>

// The start-up picture: borderless, on top, centred, takes no input.
// While another window is shown during start-up (the first-start language
// question, a notice about a damaged file) the splash steps aside, so that
// nothing of the question is hidden under it; it comes back when the last
// such window is gone.
class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *parent = nullptr);
    ~TSplashForm() override;
    static constexpr int Width = 362;
    static constexpr int Height = 128;

    // True while the splash is hidden for another window.
    bool isSteppedAside() const { return m_steppedAside; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool otherWindowShown() const;

    QPixmap m_picture;
    bool m_steppedAside = false;
};

namespace vellora {
// The program's picture, also shown at the top of the About box.
QPixmap DrawSplashPicture();
}
