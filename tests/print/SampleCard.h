#pragma once
// A card as the main window would describe it: landscape front with a
// full-size background, two photos, a logo, four free texts and six field
// items; portrait back with a background and texts. Pictures are drawn
// here, so the fixture needs no files but the background it writes.
#include "print/CardSideModel.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace vellora::sample {

inline QImage backgroundPicture(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(250, 250, 246));
    QPainter p(&img);
    const bool landscape = size.width() > size.height();
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0, QColor(10, 60, 140));
    band.setColorAt(1, QColor(40, 130, 200));
    p.fillRect(QRect(0, 0, size.width(), landscape ? size.height() * 28 / 100 : size.height() / 5), band);
    p.fillRect(QRect(0, size.height() - size.height() / 14, size.width(), size.height() / 14), QColor(200, 40, 40));
    return img;
}

inline QImage photoPicture(QSize size, QColor backdrop = QColor(120, 150, 180))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(backdrop);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = size.width(), h = size.height();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 60));  // shoulders
    p.drawEllipse(QRect(w / 10, h * 65 / 100, w * 8 / 10, h * 7 / 10));
    QRadialGradient face(w / 2.0, h * 0.38, w * 0.3);
    face.setColorAt(0, QColor(240, 200, 170));
    face.setColorAt(1, QColor(200, 150, 120));
    p.setBrush(face);
    p.drawEllipse(QRect(w * 28 / 100, h * 15 / 100, w * 44 / 100, h * 50 / 100));
    p.setBrush(QColor(70, 45, 30));  // hair
    p.drawChord(QRect(w * 26 / 100, h * 11 / 100, w * 48 / 100, h * 30 / 100), 0, 180 * 16);
    return img;
}

inline QImage logoPicture()
{
    QImage img(128, 128, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 8));
    p.setBrush(QColor(240, 180, 20));
    p.drawEllipse(QRect(8, 8, 112, 112));
    p.setPen(QPen(QColor(10, 60, 140), 14));
    p.drawLine(36, 40, 64, 92);
    p.drawLine(64, 92, 92, 40);
    return img;
}

inline CardItem picture(const QString &name, CardItemKind kind, QRect geometry, QImage image, bool stretch = true,
                        bool proportional = true)
{
    CardItem item;
    item.name = name;
    item.kind = kind;
    item.geometry = geometry;
    item.picture = std::move(image);
    item.stretch = stretch;
    item.proportional = proportional;
    return item;
}

inline CardItem text(const QString &name, CardItemKind kind, QRect geometry, const QString &value, CardFont font,
                     CardTextAlign align = CardTextAlign::Left)
{
    CardItem item;
    item.name = name;
    item.kind = kind;
    item.geometry = geometry;
    item.text = value;
    item.font = font;
    item.alignment = align;
    item.wordWrap = kind == CardItemKind::FieldItem;
    return item;
}

inline CardFont font(const QString &face, int size, QColor colour = Qt::black, bool bold = true)
{
    CardFont f;
    f.face = face;
    f.size = size;
    f.colour = colour;
    f.bold = bold;
    return f;
}

// The front; the background item shows the half-size picture as the card
// face does, the full-size file is written by writeBackground.
inline CardSideModel front()
{
    CardSideModel m;
    m.side = CardSideId::Front;
    m.panelSize = QSize(513, 321);
    m.items.push_back(picture("BackImage1", CardItemKind::Background, QRect(0, 0, 513, 321),
                              backgroundPicture(QSize(513, 321)), false, false));
    m.items.push_back(picture("statimage1", CardItemKind::StaticPicture, QRect(445, 12, 56, 56), logoPicture()));
    m.items.push_back(picture("secphot", CardItemKind::Photo, QRect(425, 200, 64, 80), photoPicture(QSize(240, 300), QColor(200, 200, 210))));
    m.items.push_back(text("statlabel1", CardItemKind::FreeText, QRect(18, 10, 420, 48), "VELLORA", font("Arial Black", 30, Qt::white)));
    m.items.push_back(text("statlabel2", CardItemKind::FreeText, QRect(20, 58, 300, 20), "Employee identity card", font("Arial", 12, Qt::white)));
    m.items.push_back(text("statlabel4", CardItemKind::FreeText, QRect(190, 268, 230, 20), "R&D Laboratories", font("Arial", 12, QColor(10, 60, 140))));
    m.items.push_back(text("statlabel3", CardItemKind::FreeText, QRect(20, 280, 160, 18), "Valid until 12/2027", font("Arial", 9, Qt::black, false)));
    m.items.push_back(picture("Image1", CardItemKind::Photo, QRect(20, 100, 150, 175), photoPicture(QSize(480, 600))));
    m.items.push_back(text("Card_Number", CardItemKind::FieldItem, QRect(190, 100, 200, 26), "00017", font("Arial", 16)));
    m.items.push_back(text("First_name", CardItemKind::FieldItem, QRect(190, 126, 230, 34), "Maria", font("Arial", 20)));
    m.items.push_back(text("Last_name", CardItemKind::FieldItem, QRect(190, 158, 230, 34), "Lindqvist", font("Arial", 20)));
    m.items.push_back(text("Title", CardItemKind::FieldItem, QRect(190, 194, 230, 24), "Senior Engineer", font("Arial", 12, Qt::black, false)));
    m.items.push_back(text("Department", CardItemKind::FieldItem, QRect(190, 216, 230, 24), "Research", font("Arial", 12, Qt::black, false)));
    m.items.push_back(text("Sparefield1", CardItemKind::FieldItem, QRect(190, 238, 230, 24), "Badge 4711", font("Arial", 12, QColor(200, 40, 40), false)));
    return m;
}

inline CardSideModel back()
{
    CardSideModel m;
    m.side = CardSideId::Back;
    m.panelSize = QSize(321, 513);
    m.items.push_back(picture("BackImage1_b", CardItemKind::Background, QRect(0, 0, 321, 513),
                              backgroundPicture(QSize(321, 513)), false, false));
    m.items.push_back(text("statlabel1_b", CardItemKind::FreeText, QRect(16, 16, 290, 48), "VELLORA", font("Arial Black", 24, Qt::white)));
    m.items.push_back(text("statlabel2_b", CardItemKind::FreeText, QRect(16, 150, 290, 120),
                           "If found, please return to the reception desk.", font("Arial", 12, Qt::black, false)));
    m.items.back().wordWrap = true;
    m.items.push_back(text("Card_Number_b", CardItemKind::FieldItem, QRect(16, 300, 290, 30), "00017", font("Arial", 16), CardTextAlign::Center));
    return m;
}

// Writes the full-size background of a side (canvas size) into folder and
// returns its path.
inline QString writeBackground(const QString &folder, bool landscape = true)
{
    const QString path = QDir(folder).filePath(landscape ? "background.png" : "background_b.png");
    backgroundPicture(landscape ? QSize(1026, 642) : QSize(642, 1026)).save(path);
    return path;
}

}  // namespace vellora::sample
