#include "lang/GlyphButton.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace vellora {

GlyphButton::GlyphButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    resize(92, 36);
}

void GlyphButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    update();
}

int GlyphButton::currentFrame() const
{
    if (!isEnabled())
        return 1;
    if (isDown())
        return 2;
    if (isCheckable() && isChecked())
        return 3;
    return 0;
}

QPixmap GlyphButton::frame(int index) const
{
    if (m_glyph.isNull())
        return QPixmap();
    // A glyph with fewer frames uses its first frame for the missing ones.
    const int frames = m_numGlyphs;
    const int width = m_glyph.width() / frames;
    if (index >= frames)
        index = 0;
    return m_glyph.copy(index * width, 0, width, m_glyph.height());
}

void GlyphButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap picture = frame(currentFrame());
    if (!picture.isNull()) {
        const QRect target(QPoint(0, 0), picture.size().scaled(size(), Qt::KeepAspectRatio));
        QRect placed = target;
        placed.moveCenter(rect().center());
        painter.drawPixmap(placed, picture);
    } else {
        style()->drawItemText(&painter, rect(), Qt::AlignCenter, palette(), isEnabled(), text(), QPalette::ButtonText);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

bool SetLanguagePicture(QObject *target, const QPixmap &picture)
{
    if (auto *glyph = qobject_cast<GlyphButton *>(target)) {
        glyph->setGlyph(picture);
        return true;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(target)) {
        GlyphButton helper;
        helper.setGlyph(picture);
        QIcon icon;
        icon.addPixmap(helper.frame(0), QIcon::Normal);
        icon.addPixmap(helper.frame(1), QIcon::Disabled);
        icon.addPixmap(helper.frame(2), QIcon::Active);
        icon.addPixmap(helper.frame(3), QIcon::Normal, QIcon::On);
        button->setIcon(icon);
        button->setIconSize(helper.frame(0).size());
        return true;
    }
    if (auto *label = qobject_cast<QLabel *>(target)) {
        label->setPixmap(picture);
        return true;
    }
    return false;
}

}  // namespace vellora
