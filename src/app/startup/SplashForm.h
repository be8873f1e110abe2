#pragma once
#include <QPixmap>
#include <QWidget>

// The start-up picture: borderless, on top, centred, takes no input.
class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *parent = nullptr);
    static constexpr int Width = 362;
    static constexpr int Height = 128;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

namespace vellora {
// The program's picture, also shown at the top of the About box.
QPixmap DrawSplashPicture();
}
