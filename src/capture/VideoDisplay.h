#pragma once
// VideoCap1: the live camera picture, black where there is none. Frames
// come already scaled to the display's size (the capture layer scales them
// on its own thread), so painting one costs little.
#include <QImage>
#include <QWidget>

namespace vellora {

class VideoDisplay : public QWidget {
    Q_OBJECT
public:
    explicit VideoDisplay(QWidget *parent = nullptr);
    void showFrame(const QImage &frame);
    void clearFrame();
    QImage frame() const { return m_frame; }
    quint64 framesShown() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_frame;
    quint64 m_shown = 0;
};

}  // namespace vellora
