#pragma once
// The items of the layout designer: the texts (field items and free texts)
// and the pictures (photo, second photo, static picture) that the operator
// drags from the palette onto the card, and their silver ghost copies that
// mark an item's slot in the palette while it is on the card.
#include "layout/file/LayoutRecord.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace vellora {

// A text item. Its layout fields (text, alignment, font, colour) are kept
// as a LayoutItem, so that what is written is exactly what was read or
// chosen; the label shows them.
class DesignerText : public QLabel {
    Q_OBJECT
public:
    explicit DesignerText(QWidget *parent = nullptr);

    // Text, alignment, font name, size, colour, height and style.
    const LayoutItem &data() const { return m_data; }
    void setData(const LayoutItem &data);
    void setBackground(const QColor &colour);

private:
    LayoutItem m_data;
};

// A picture item: shows its picture scaled proportionally into its box,
// centred; the static picture shows the placeholder while it has none.
class DesignerPicture : public QWidget {
    Q_OBJECT
public:
    explicit DesignerPicture(QWidget *parent = nullptr);

    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

// The ghost of a picture: silver, a black frame and a grey caption centred.
class DesignerPictureGhost : public QWidget {
    Q_OBJECT
public:
    DesignerPictureGhost(const QString &caption, QWidget *parent = nullptr);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};

// The neutral stock pictures of the palette.
QImage StockPhotoPicture();
QImage StockSecondPhotoPicture();
QImage StockStaticPicture();

}  // namespace vellora
