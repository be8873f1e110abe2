#include "app/widgets/PictureButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vellora {

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    if (m_glyph.isNull()) {
        QStylePainter p(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = text();
        if (isDown())
            option.state |= QStyle::State_Sunken;
        p.drawControl(QStyle::CE_PushButton, option);
        return;
    }
    const int frameWidth = m_glyph.width() / 4;
    int frame = 0;
    if (!isEnabled())
        frame = 1;
    else if (isDown())
        frame = 2;
    else if (isChecked())
        frame = 3;
    QPainter p(this);
    const QRect source(frame * frameWidth, 0, frameWidth, m_glyph.height());
    p.drawPixmap(rect(), m_glyph, source);
    if (hasFocus()) {
        p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

}  // namespace vellora
