#pragma once
// A picture item of the card face: the photos Image1 and secphot, the static
// picture statimage1, the background BackImage1 and their _b twins. It holds
// a picture and paints it into its box, stretched over the whole box or,
// when proportional, scaled to fit at the box's top-left corner. The print
// renderer composes from the same flags, so PictureRect states the geometry
// once for both.
#include <QImage>
#include <QWidget>

namespace vellora {

class PhotoItem : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool stretch READ stretch WRITE setStretch)
    Q_PROPERTY(bool proportional READ proportional WRITE setProportional)
public:
    explicit PhotoItem(QWidget *parent = nullptr);

    // The whole picture, as printing and the clipboard take it. A photo
    // shown from its JPEG data (setJpeg) is decoded whole here the first
    // time it is asked for.
    const QImage &picture() const;
    // A new picture also forgets an unreadable photo (below).
    void setPicture(const QImage &picture);
    // Shows a JPEG photo from its file's bytes, decoded only at the size the
    // box needs on the screen (again, larger, when the box grows); picture()
    // decodes the whole of the same bytes when asked. Damaged data throws
    // PhotoError and leaves the item as it was.
    void setJpeg(const QByteArray &data, const QString &path);
    // Shows the other item's picture, sharing its JPEG data undecoded.
    void sharePicture(const PhotoItem &other);
    // The picture's pixel size, known before it is decoded whole.
    QSize pictureSize() const { return m_size; }

    // The card's photo file this item should show but could not read (a
    // damaged or oversized picture, a device, a pipe, a folder), with the
    // reason; empty when there is none. The item shows the placeholder
    // then, and printing the card fails naming the file.
    const QString &unreadablePhoto() const { return m_unreadablePhoto; }
    const QString &unreadableReason() const { return m_unreadableReason; }
    void setUnreadablePhoto(const QString &path, const QString &reason);
    void clearPicture() { setPicture(QImage()); }

    // Stretched pictures are scaled to the box; unstretched ones are drawn
    // at their own pixel size from the top-left corner. On by default.
    bool stretch() const { return m_stretch; }
    void setStretch(bool on);
    // With stretch: keep the picture's aspect, fitting it into the box.
    bool proportional() const { return m_proportional; }
    void setProportional(bool on);

    // Where a picture of `picture` pixels lands in a box of `box` pixels:
    // stretched and proportional, scale s = the smaller of box/picture width
    // and height ratios, size rounded (halves to even), anchored top-left;
    // stretched, the whole box; unstretched, the picture's own size.
    static QRect PictureRect(QSize picture, QSize box, bool stretch, bool proportional);

    QSize sizeHint() const override;

signals:
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage &shownPicture();

    // The whole picture; null while a JPEG is only decoded for the screen.
    mutable QImage m_picture;
    // The JPEG the picture comes from, its name for messages, the screen's
    // decoding of it and that decoding's scale in eighths.
    QByteArray m_jpeg;
    QString m_jpegPath;
    QImage m_shown;
    int m_shownEighths = 0;
    QSize m_size;
    QString m_unreadablePhoto;
    QString m_unreadableReason;
    bool m_stretch = true;
    bool m_proportional = false;
};

}  // namespace vellora
