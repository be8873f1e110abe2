#pragma once
// A picture button whose text is drawn into its glyph: the glyph holds four
// frames side by side (normal, disabled, pressed, held down).
#include <QAbstractButton>
#include <QPixmap>

namespace vellora {

class GlyphButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit GlyphButton(QWidget *parent = nullptr);

    void setGlyph(const QPixmap &glyph);
    QPixmap glyph() const { return m_glyph; }
    // How many frames the glyph holds side by side (1 to 4, default 4).
    void setNumGlyphs(int count) { m_numGlyphs = qBound(1, count, 4); update(); }
    int numGlyphs() const { return m_numGlyphs; }
    // The frame drawn for the button's state: 0 normal, 1 disabled,
    // 2 pressed, 3 held down (checked).
    int currentFrame() const;
    QPixmap frame(int index) const;

    QSize sizeHint() const override { return QSize(92, 36); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_glyph;
    int m_numGlyphs = 4;
};

// Gives a button, label or glyph button a language picture: a GlyphButton
// takes it as its glyph, another button the frames as its icon, a label the
// picture itself. False when the object takes no picture.
bool SetLanguagePicture(QObject *target, const QPixmap &picture);

}  // namespace vellora
