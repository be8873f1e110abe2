#include "capture/VideoDisplay.h"

#include <QPainter>

namespace vellora {

VideoDisplay::VideoDisplay(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VideoDisplay::showFrame(const QImage &frame)
{
    m_frame = frame;
    ++m_shown;
    update();
}

void VideoDisplay::clearFrame()
{
    m_frame = QImage();
    update();
}

void VideoDisplay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_frame.isNull())
        return;
    if (m_frame.size() == size()) {
        p.drawImage(0, 0, m_frame);
        return;
    }
    const QSize fitted = m_frame.size().scaled(size(), Qt::KeepAspectRatio);
    p.drawImage(QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted), m_frame);
}

}  // namespace vellora
