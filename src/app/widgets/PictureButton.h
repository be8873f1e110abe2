#pragma once
// A button drawn entirely from a picture that holds four frames side by side
// (normal, disabled, pressed, held down); the button text is part of the
// picture, so the button has no caption of its own. Until a picture is
// loaded it draws a plain button with its caption.
#include <QAbstractButton>
#include <QPixmap>

namespace vellora {

class PictureButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap glyph READ glyph WRITE setGlyph)
public:
    explicit PictureButton(QWidget *parent = nullptr);
    const QPixmap &glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    QSize sizeHint() const override { return {92, 36}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_glyph;
};

}  // namespace vellora
