// Draws the card backgrounds into <program folder>/backgrounds and the plain
// colours into <program folder>/colors, each in landscape and portrait.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Painter = std::function<void(QPainter &, const QSize &)>;

void waves(QPainter &p, const QSize &s, QColor base, QColor line)
{
    p.fillRect(QRect(QPoint(0, 0), s), base);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 24; ++k) {
        QPainterPath path;
        const double y0 = k * s.height() / 20.0;
        path.moveTo(0, y0);
        for (int x = 0; x <= s.width(); x += 8)
            path.lineTo(x, y0 + 18 * std::sin(x / 90.0 + k * 0.6));
        p.setPen(QPen(line, 3));
        p.drawPath(path);
    }
}

void gradient(QPainter &p, const QSize &s, QColor a, QColor b)
{
    QLinearGradient g(0, 0, s.width(), s.height());
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    p.fillRect(QRect(QPoint(0, 0), s), g);
}

void guilloche(QPainter &p, const QSize &s, QColor base, QColor line)
{
    p.fillRect(QRect(QPoint(0, 0), s), base);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(line, 1.4));
    const QPointF c(s.width() / 2.0, s.height() / 2.0);
    for (int k = 0; k < 36; ++k) {
        QPainterPath path;
        for (int t = 0; t <= 720; ++t) {
            const double a = t * M_PI / 360.0;
            const double r = 0.42 * std::min(s.width(), s.height()) * (0.75 + 0.25 * std::sin(6 * a + k * 0.17));
            const QPointF q(c.x() + r * std::cos(a) * s.width() / std::min(s.width(), s.height()),
                            c.y() + r * std::sin(a) * s.height() / std::min(s.width(), s.height()));
            t == 0 ? path.moveTo(q) : path.lineTo(q);
        }
        p.drawPath(path);
    }
}

void stripes(QPainter &p, const QSize &s, QColor base, QColor band)
{
    p.fillRect(QRect(QPoint(0, 0), s), base);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    for (int x = -s.height(); x < s.width(); x += 60)
        p.drawPolygon(QPolygonF({QPointF(x, s.height()), QPointF(x + 24, s.height()),
                                 QPointF(x + 24 + s.height(), 0), QPointF(x + s.height(), 0)}));
}

void glow(QPainter &p, const QSize &s, QColor centre, QColor edge)
{
    QRadialGradient g(QPointF(s.width() * 0.3, s.height() * 0.3), std::max(s.width(), s.height()));
    g.setColorAt(0, centre);
    g.setColorAt(1, edge);
    p.fillRect(QRect(QPoint(0, 0), s), g);
}

bool save(const QString &folder, const QString &name, const Painter &paint, const char *format)
{
    const QSize sizes[2] = {{1026, 642}, {642, 1026}};
    const char *suffix[2] = {"", " portrait"};
    for (int i = 0; i < 2; ++i) {
        QImage image(sizes[i], QImage::Format_RGB32);
        QPainter p(&image);
        paint(p, sizes[i]);
        p.end();
        const QString path = folder + '/' + name + QLatin1String(suffix[i]) + '.' + QLatin1String(format);
        if (!image.save(path, nullptr, 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAMFOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString backgrounds = root + "/backgrounds", colours = root + "/colors";
    QDir().mkpath(backgrounds);
    QDir().mkpath(colours);
    bool ok = true;
    using namespace std::placeholders;
    ok &= save(backgrounds, "Blue waves", std::bind(waves, _1, _2, QColor(222, 234, 248), QColor(190, 210, 238)), "jpg");
    ok &= save(backgrounds, "Green waves", std::bind(waves, _1, _2, QColor(226, 244, 228), QColor(186, 222, 190)), "jpg");
    ok &= save(backgrounds, "Security blue", std::bind(guilloche, _1, _2, QColor(236, 242, 250), QColor(120, 150, 200, 90)), "jpg");
    ok &= save(backgrounds, "Security red", std::bind(guilloche, _1, _2, QColor(252, 238, 236), QColor(200, 110, 100, 90)), "jpg");
    ok &= save(backgrounds, "Sky gradient", std::bind(gradient, _1, _2, QColor(250, 252, 255), QColor(150, 190, 235)), "jpg");
    ok &= save(backgrounds, "Sand gradient", std::bind(gradient, _1, _2, QColor(255, 252, 240), QColor(230, 205, 150)), "jpg");
    ok &= save(backgrounds, "Grey stripes", std::bind(stripes, _1, _2, QColor(244, 244, 244), QColor(226, 226, 226)), "jpg");
    ok &= save(backgrounds, "Violet glow", std::bind(glow, _1, _2, QColor(250, 244, 255), QColor(190, 160, 225)), "jpg");
    const struct {
        const char *name;
        QColor colour;
    } plain[] = {{"White", Qt::white}, {"Ivory", QColor(255, 250, 235)}, {"Light grey", QColor(220, 220, 220)},
                 {"Sky blue", QColor(190, 220, 250)}, {"Navy", QColor(20, 40, 100)}, {"Mint", QColor(200, 240, 210)},
                 {"Forest green", QColor(30, 100, 50)}, {"Lemon", QColor(255, 245, 170)}, {"Orange", QColor(250, 170, 70)},
                 {"Rose", QColor(250, 205, 215)}, {"Red", QColor(190, 30, 40)}, {"Black", Qt::black}};
    for (const auto &c : plain)
        ok &= save(colours, QLatin1String(c.name), [&](QPainter &p, const QSize &s) { p.fillRect(QRect(QPoint(0, 0), s), c.colour); }, "png");
    return ok ? 0 : 1;
}
