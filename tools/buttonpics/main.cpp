// Draws the language-dependent button pictures: for every language of
// resources/lang/languages.txt and every picture named in its buttons.cfg,
// a 256-colour bitmap in <program folder>/langimages/<language>/. A button
// picture holds four 93 x 37 frames side by side (normal, disabled, pressed,
// held down) with an icon and the button's text; the printer markers are
// single 76 x 14 pictures.
#include "Quantize.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <cmath>
#include <cstdio>

namespace {

enum class Icon { Search, New, Photo, Photo2, Undo, Delete, Clear, Print, PrintLo, PrintHi, Design, Exit, Setup,
                  SelectAll, DeselectAll, Close, Ok, Capture, Cancel, Camera, Crop, Load, Cropper };

struct Picture {
    const char *file;
    Icon icon;
};

// Every button picture and its icon; the markers are drawn apart.
const Picture kButtons[] = {
    {"bprintsetup", Icon::Setup},       {"bprintdeselectall", Icon::DeselectAll}, {"bprintselectall", Icon::SelectAll},
    {"bprintprintlo", Icon::PrintLo},   {"bprintprinthi", Icon::PrintHi},         {"bprintclose", Icon::Close},
    {"mainsearch", Icon::Search},       {"mainnew", Icon::New},                   {"mainphoto", Icon::Photo},
    {"mainundo", Icon::Undo},           {"maindelete", Icon::Delete},             {"mainclear", Icon::Clear},
    {"mainprint", Icon::Print},         {"maindesign", Icon::Design},             {"mainexit", Icon::Exit},
    {"maingetimgbtn", Icon::Photo2},    {"imgcapok", Icon::Ok},                   {"imgcapcap", Icon::Capture},
    {"imgcapcancel", Icon::Cancel},     {"imgcapsetup", Icon::Camera},            {"imgcapgetphoto", Icon::Photo},
    {"imgcapcropimage", Icon::Crop},    {"imgcaploadimage", Icon::Load},          {"imgcapshowcropper", Icon::Cropper},
    {"imgcapimgokbtn", Icon::Ok},       {"imgcapcancelimgbtn", Icon::Cancel},     {"prntprintlo", Icon::PrintLo},
    {"prntprinthi", Icon::PrintHi},     {"prntsetup", Icon::Setup},               {"prntclose", Icon::Close},
};

constexpr int kFrameW = 93, kFrameH = 37, kFrames = 4;
const QColor kBackground(0xEF, 0xEF, 0xEF);

enum Frame { Normal = 0, Disabled = 1, Pressed = 2, HeldDown = 3 };

QPen pen(const QColor &c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void drawPrinter(QPainter &p, const QColor &accent)
{
    p.setPen(pen(QColor(60, 60, 70), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 3, 10, 7));  // paper in
    p.setBrush(QColor(120, 130, 145));
    p.drawRoundedRect(QRectF(3, 9, 18, 9), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 15, 10, 7));  // paper out
    p.setPen(pen(accent, 1.2));
    p.drawLine(QPointF(9, 18), QPointF(15, 18));
    p.drawLine(QPointF(9, 20), QPointF(13, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 220, 90));
    p.drawEllipse(QPointF(18, 12), 1.2, 1.2);
}

void drawCamera(QPainter &p)
{
    p.setPen(pen(QColor(40, 40, 50), 1.2));
    p.setBrush(QColor(70, 75, 90));
    p.drawRoundedRect(QRectF(2, 7, 20, 13), 2.5, 2.5);
    p.drawRect(QRectF(8, 4.5, 7, 3));
    p.setBrush(QColor(150, 190, 235));
    p.drawEllipse(QPointF(12, 13.5), 4.5, 4.5);
    p.setBrush(QColor(40, 70, 120));
    p.drawEllipse(QPointF(12, 13.5), 2.2, 2.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 80));
    p.drawRect(QRectF(17.5, 9, 2.5, 1.8));
}

void drawGear(QPainter &p, QPointF c, qreal r, const QColor &color)
{
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a = i * M_PI / teeth;
        const qreal rr = (i % 2 == 0) ? r : r * 0.72;
        const QPointF a1 = c + QPointF(std::cos(a - 0.18) * rr, std::sin(a - 0.18) * rr);
        const QPointF a2 = c + QPointF(std::cos(a + 0.18) * rr, std::sin(a + 0.18) * rr);
        if (i == 0)
            gear.moveTo(a1);
        else
            gear.lineTo(a1);
        gear.lineTo(a2);
    }
    gear.closeSubpath();
    gear.addEllipse(c, r * 0.3, r * 0.3);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(pen(color.darker(160), 1));
    p.setBrush(color);
    p.drawPath(gear);
}

void drawIcon(QPainter &p, Icon icon)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case Icon::Search:
        p.setPen(pen(QColor(50, 60, 80), 2.2));
        p.setBrush(QColor(200, 225, 250));
        p.drawEllipse(QPointF(10, 10), 6, 6);
        p.setPen(pen(QColor(120, 80, 40), 3.4));
        p.drawLine(QPointF(14.5, 14.5), QPointF(21, 21));
        break;
    case Icon::New:
        p.setPen(pen(QColor(70, 80, 100), 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 2), QPointF(19, 7), QPointF(19, 22), QPointF(4, 22)}));
        p.drawPolyline(QPolygonF({QPointF(14, 2), QPointF(14, 7), QPointF(19, 7)}));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 160, 60));
        p.drawEllipse(QPointF(17, 17), 6, 6);
        p.setPen(pen(Qt::white, 2));
        p.drawLine(QPointF(17, 13.5), QPointF(17, 20.5));
        p.drawLine(QPointF(13.5, 17), QPointF(20.5, 17));
        break;
    case Icon::Photo:
    case Icon::Capture:
        drawCamera(p);
        if (icon == Icon::Capture) {
            p.setPen(pen(QColor(255, 190, 0), 1.5));
            p.drawLine(QPointF(19, 1), QPointF(21, 4));
            p.drawLine(QPointF(22.5, 3), QPointF(23.5, 5.5));
        }
        break;
    case Icon::Photo2:
        drawCamera(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 60, 50));
        p.drawEllipse(QPointF(19, 5), 5, 5);
        p.setPen(Qt::white);
        {
            QFont f(QStringLiteral("Liberation Sans"));
            f.setPixelSize(8);
            f.setBold(true);
            p.setFont(f);
        }
        p.drawText(QRectF(14, 0, 10, 10), Qt::AlignCenter, QStringLiteral("2"));
        break;
    case Icon::Undo: {
        p.setPen(pen(QColor(40, 90, 170), 2.6));
        p.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(6, 10);
        arc.cubicTo(10, 4, 21, 5, 20, 13);
        arc.cubicTo(19.5, 18, 15, 20, 11, 19);
        p.drawPath(arc);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        p.drawPolygon(QPolygonF({QPointF(2, 5), QPointF(10, 6), QPointF(4, 13)}));
        break;
    }
    case Icon::Delete:
        p.setPen(pen(QColor(90, 90, 100), 1.2));
        p.setBrush(QColor(210, 215, 222));
        p.drawRect(QRectF(6, 7, 12, 15));
        p.drawRect(QRectF(4, 4, 16, 3));
        p.drawRect(QRectF(9.5, 2, 5, 2));
        p.setPen(pen(QColor(200, 40, 40), 2.6));
        p.drawLine(QPointF(8, 10), QPointF(16, 19));
        p.drawLine(QPointF(16, 10), QPointF(8, 19));
        break;
    case Icon::Clear:
        p.translate(12, 12);
        p.rotate(-35);
        p.setPen(pen(QColor(80, 60, 60), 1.2));
        p.setBrush(QColor(240, 130, 150));
        p.drawRoundedRect(QRectF(-9, -5, 11, 10), 1.5, 1.5);
        p.setBrush(QColor(120, 150, 230));
        p.drawRoundedRect(QRectF(2, -5, 8, 10), 1.5, 1.5);
        p.resetTransform();
        p.setPen(pen(QColor(150, 150, 150), 1.2));
        p.drawLine(QPointF(3, 22), QPointF(21, 22));
        break;
    case Icon::Print: drawPrinter(p, QColor(40, 90, 170)); break;
    case Icon::PrintLo:
    case Icon::PrintHi: {
        drawPrinter(p, icon == Icon::PrintHi ? QColor(200, 40, 40) : QColor(40, 90, 170));
        p.setPen(Qt::NoPen);
        p.setBrush(icon == Icon::PrintHi ? QColor(200, 40, 40) : QColor(40, 90, 170));
        const int dots = icon == Icon::PrintHi ? 3 : 1;
        for (int i = 0; i < dots; ++i)
            p.drawEllipse(QPointF(21.5, 2.5 + i * 3.2), 1.4, 1.4);
        break;
    }
    case Icon::Design: {
        QPainterPath palette;
        palette.addEllipse(QRectF(2, 4, 20, 16));
        QPainterPath hole;
        hole.addEllipse(QPointF(8, 15), 2, 2);
        p.setPen(pen(QColor(120, 90, 50), 1.2));
        p.setBrush(QColor(235, 205, 150));
        p.drawPath(palette.subtracted(hole));
        p.setPen(Qt::NoPen);
        const QColor colors[] = {QColor(220, 40, 40), QColor(40, 160, 60), QColor(40, 90, 200), QColor(250, 200, 0)};
        const QPointF spots[] = {{8, 9}, {13, 7.5}, {17.5, 10}, {16, 15}};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(colors[i]);
            p.drawEllipse(spots[i], 2.1, 2.1);
        }
        break;
    }
    case Icon::Exit:
        p.setPen(pen(QColor(90, 60, 40), 1.2));
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(3, 2, 11, 20));
        p.setBrush(QColor(240, 200, 80));
        p.drawEllipse(QPointF(11.5, 12), 1, 1);
        p.setPen(pen(QColor(200, 40, 40), 2.6));
        p.drawLine(QPointF(12, 12), QPointF(21, 12));
        p.drawLine(QPointF(18, 8.5), QPointF(21.5, 12));
        p.drawLine(QPointF(18, 15.5), QPointF(21.5, 12));
        break;
    case Icon::Setup: drawGear(p, QPointF(12, 12), 9.5, QColor(140, 150, 165)); break;
    case Icon::Camera:
        drawCamera(p);
        drawGear(p, QPointF(18.5, 18.5), 5.5, QColor(230, 180, 60));
        break;
    case Icon::SelectAll:
    case Icon::DeselectAll:
        for (int i = 0; i < 2; ++i) {
            const QRectF box(3 + i * 6, 3 + i * 6, 12, 12);
            p.setPen(pen(QColor(70, 80, 100), 1.3));
            p.setBrush(Qt::white);
            p.drawRoundedRect(box, 2, 2);
            if (icon == Icon::SelectAll) {
                p.setPen(pen(QColor(30, 150, 50), 2.4));
                p.drawPolyline(QPolygonF({box.topLeft() + QPointF(2.5, 6), box.topLeft() + QPointF(5, 9),
                                          box.topLeft() + QPointF(10, 2.5)}));
            }
        }
        break;
    case Icon::Close:
    case Icon::Cancel:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(205, 50, 45));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(pen(Qt::white, 2.6));
        if (icon == Icon::Close) {
            p.drawLine(QPointF(8, 8), QPointF(16, 16));
            p.drawLine(QPointF(16, 8), QPointF(8, 16));
        } else {
            p.drawLine(QPointF(6.5, 12), QPointF(17.5, 12));
        }
        break;
    case Icon::Ok:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 160, 60));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(pen(Qt::white, 2.8));
        p.drawPolyline(QPolygonF({QPointF(7, 12.5), QPointF(10.5, 16), QPointF(17, 8)}));
        break;
    case Icon::Crop:
        p.setPen(pen(QColor(50, 60, 80), 2.4));
        p.drawPolyline(QPolygonF({QPointF(6, 2), QPointF(6, 18), QPointF(22, 18)}));
        p.drawPolyline(QPolygonF({QPointF(2, 6), QPointF(18, 6), QPointF(18, 22)}));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 170, 230, 160));
        p.drawRect(QRectF(7, 7, 10, 10));
        break;
    case Icon::Load:
        p.setPen(pen(QColor(150, 110, 20), 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawPolygon(QPolygonF({QPointF(2, 5), QPointF(9, 5), QPointF(11, 7.5), QPointF(21, 7.5), QPointF(21, 20), QPointF(2, 20)}));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF({QPointF(4.5, 10.5), QPointF(23, 10.5), QPointF(20.5, 20), QPointF(2, 20)}));
        break;
    case Icon::Cropper: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(190, 205, 220));
        p.drawRect(QRectF(2, 3, 20, 18));
        QPen dashed(QColor(200, 40, 40), 1.6, Qt::DashLine);
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(6, 6, 12, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        for (const QPointF c : {QPointF(6, 6), QPointF(18, 6), QPointF(6, 18), QPointF(18, 18)})
            p.drawRect(QRectF(c.x() - 1.5, c.y() - 1.5, 3, 3));
        break;
    }
    }
}

QImage iconImage(Icon icon)
{
    QImage img(24, 24, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    drawIcon(p, icon);
    return img;
}

QImage greyed(const QImage &icon)
{
    QImage out = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int g = qGray(line[x]);
            const int light = 150 + g * 90 / 255;
            line[x] = qRgba(light, light, light, qAlpha(line[x]) * 3 / 4);
        }
    }
    return out;
}

// The largest bold font (Liberation Sans, then its narrow face) at which
// text fits the width in one line, or two lines as a last resort.
QFont fittingFont(const QString &text, int width, int height, bool *twoLines)
{
    *twoLines = false;
    for (const char *face : {"Liberation Sans", "Liberation Sans Narrow"}) {
        for (int px = 13; px >= 10; --px) {
            QFont f(QString::fromLatin1(face));
            f.setPixelSize(px);
            f.setBold(true);
            if (QFontMetrics(f).horizontalAdvance(text) <= width)
                return f;
        }
    }
    QFont f(QStringLiteral("Liberation Sans Narrow"));
    f.setBold(true);
    for (int px = 12; px >= 8; --px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        const QRect r = fm.boundingRect(QRect(0, 0, width, 100), Qt::TextWordWrap | Qt::AlignCenter, text);
        if (r.width() <= width && r.height() <= height) {
            *twoLines = true;
            return f;
        }
    }
    *twoLines = true;
    return f;
}

void drawFrame(QPainter &p, int index, const QString &text, const QImage &icon)
{
    const QRectF face(1.5, 1.5, kFrameW - 4, kFrameH - 4);  // right and bottom column stay background
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    QColor border, textColor(25, 35, 55);
    switch (index) {
    case Normal:
        g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        g.setColorAt(0.5, QColor(0xF0, 0xF3, 0xF7));
        g.setColorAt(1, QColor(0xD5, 0xDD, 0xE7));
        border = QColor(0x7D, 0x8F, 0xA6);
        break;
    case Disabled:
        g.setColorAt(0, QColor(0xF6, 0xF6, 0xF6));
        g.setColorAt(1, QColor(0xE8, 0xE8, 0xE8));
        border = QColor(0xBB, 0xBB, 0xBB);
        textColor = QColor(0xA2, 0xA2, 0xA2);
        break;
    case Pressed:
        g.setColorAt(0, QColor(0xC4, 0xD1, 0xDF));
        g.setColorAt(1, QColor(0xE6, 0xEC, 0xF2));
        border = QColor(0x4A, 0x6A, 0x8E);
        break;
    case HeldDown:
        g.setColorAt(0, QColor(0xA9, 0xBD, 0xD3));
        g.setColorAt(1, QColor(0xCC, 0xD9, 0xE6));
        border = QColor(0x2F, 0x57, 0x85);
        break;
    }
    p.setPen(QPen(border, 1));
    p.setBrush(g);
    p.drawRoundedRect(face, 4, 4);
    if (index == Normal) {
        p.setPen(QPen(QColor(255, 255, 255, 200), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(face.adjusted(1, 1, -1, -1), 3, 3);
    }
    const int shift = (index == Pressed || index == HeldDown) ? 1 : 0;
    const QImage drawnIcon = index == Disabled ? greyed(icon) : icon;
    p.drawImage(QPointF(6 + shift, 5 + shift), drawnIcon);

    const QRect textArea(32 + shift, 3 + shift, kFrameW - 32 - 6, kFrameH - 8);
    bool twoLines = false;
    const QFont font = fittingFont(text, textArea.width(), textArea.height(), &twoLines);
    p.setFont(font);
    if (index == Disabled) {
        p.setPen(QColor(255, 255, 255));
        p.drawText(textArea.translated(1, 1), Qt::AlignCenter | (twoLines ? Qt::TextWordWrap : 0), text);
    }
    p.setPen(textColor);
    p.drawText(textArea, Qt::AlignCenter | (twoLines ? Qt::TextWordWrap : 0), text);
}

QImage buttonPicture(const QString &text, Icon icon)
{
    QImage image(kFrameW * kFrames, kFrameH, QImage::Format_RGB32);
    image.fill(kBackground);
    const QImage iconPicture = iconImage(icon);
    for (int i = 0; i < kFrames; ++i) {
        QPainter p(&image);
        p.translate(i * kFrameW, 0);
        drawFrame(p, i, text, iconPicture);
    }
    return image;
}

// 76 x 14: a small swatch and the word, on the title bar's white.
QImage markerPicture(const QString &text, bool colour)
{
    QImage image(76, 14, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF swatch(1.5, 1.5, 20, 11);
    if (colour) {
        QLinearGradient g(swatch.topLeft(), swatch.topRight());
        g.setColorAt(0.0, QColor(230, 30, 30));
        g.setColorAt(0.25, QColor(250, 200, 0));
        g.setColorAt(0.5, QColor(40, 180, 60));
        g.setColorAt(0.75, QColor(30, 120, 230));
        g.setColorAt(1.0, QColor(160, 50, 200));
        p.setBrush(g);
    } else {
        QLinearGradient g(swatch.topLeft(), swatch.topRight());
        g.setColorAt(0, Qt::black);
        g.setColorAt(1, Qt::white);
        p.setBrush(g);
    }
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawRoundedRect(swatch, 2, 2);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setBold(true);
    int px = 11;
    for (; px > 7; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).horizontalAdvance(text) <= 76 - 26)
            break;
    }
    f.setPixelSize(px);
    p.setFont(f);
    p.setPen(colour ? QColor(20, 60, 140) : QColor(30, 30, 30));
    p.drawText(QRect(25, 0, 76 - 26, 14), Qt::AlignLeft | Qt::AlignVCenter, text);
    return image;
}

QHash<QString, QString> readTexts(const QString &path, bool *ok)
{
    QHash<QString, QString> texts;
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok)
        return texts;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line.remove(QLatin1Char('\r'));
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            texts.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return texts;
}

bool save(const QImage &picture, const QString &path)
{
    const QImage indexed = buttonpics::ToIndexed8(picture);
    if (!indexed.save(path, "BMP")) {
        std::fprintf(stderr, "buttonpics: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: buttonpics <language source folder> <langimages folder>\n");
        return 2;
    }
    const QString sources = args.at(1);
    QFile list(sources + QStringLiteral("/languages.txt"));
    if (!list.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "buttonpics: cannot read languages.txt\n");
        return 1;
    }
    QStringList languages;
    for (const QString &line : QString::fromUtf8(list.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            languages.append(line.trimmed());

    for (const QString &language : languages) {
        bool ok = false;
        const QString cfg = sources + QLatin1Char('/') + language + QStringLiteral("/buttons.cfg");
        const QHash<QString, QString> texts = readTexts(cfg, &ok);
        if (!ok) {
            std::fprintf(stderr, "buttonpics: cannot read %s\n", qPrintable(cfg));
            return 1;
        }
        const QString out = args.at(2) + QLatin1Char('/') + language + QLatin1Char('/');
        QDir().mkpath(out);
        auto textOf = [&](const char *file, QString *text) {
            const QString key = QString::fromLatin1(file);
            if (!texts.contains(key)) {
                std::fprintf(stderr, "buttonpics: %s has no text for %s\n", qPrintable(cfg), file);
                return false;
            }
            *text = texts.value(key);
            return true;
        };
        QString text;
        for (const Picture &picture : kButtons) {
            if (!textOf(picture.file, &text) || !save(buttonPicture(text, picture.icon), out + QLatin1String(picture.file) + QStringLiteral(".bmp")))
                return 1;
        }
        if (!textOf("maincolor", &text) || !save(markerPicture(text, true), out + QStringLiteral("maincolor.bmp")))
            return 1;
        if (!textOf("mainmono", &text) || !save(markerPicture(text, false), out + QStringLiteral("mainmono.bmp")))
            return 1;
    }
    return 0;
}
