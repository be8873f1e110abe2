#include "app/startup/SplashForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace vellora {

QPixmap DrawSplashPicture()
{
    QPixmap pm(TSplashForm::Width, TSplashForm::Height);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, pm.height());
    sky.setColorAt(0, QColor(24, 62, 112));
    sky.setColorAt(1, QColor(10, 28, 56));
    p.fillRect(pm.rect(), sky);

    // A small identity card with a portrait on the left.
    const QRectF card(20, 24, 120, 80);
    p.setPen(QPen(QColor(210, 220, 235), 1.5));
    p.setBrush(QColor(250, 250, 252));
    p.drawRoundedRect(card, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 150, 190));
    p.drawEllipse(QRectF(34, 38, 26, 26));
    QPainterPath shoulders;
    shoulders.addRoundedRect(QRectF(28, 64, 38, 30), 12, 12);
    p.drawPath(shoulders);
    p.setBrush(QColor(190, 200, 215));
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(76, 44 + i * 14, 52 - i * 10, 6), 3, 3);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(card.left(), card.bottom() - 14, card.width(), 6));

    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(156, 22, 200, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vellora ID"));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(13);
    p.setFont(sub);
    p.setPen(QColor(190, 210, 235));
    p.drawText(QRectF(158, 68, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Photo identity cards"));
    p.drawText(QRectF(158, 88, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 3.0.5"));
    return pm;
}

}  // namespace vellora

TSplashForm::TSplashForm(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(vellora::DrawSplashPicture())
{
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(Width, Height);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    qApp->installEventFilter(this);
}

TSplashForm::~TSplashForm() { qApp->removeEventFilter(this); }

bool TSplashForm::otherWindowShown() const
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && !w->testAttribute(Qt::WA_DontShowOnScreen) &&
            w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup)
            return true;
    return false;
}

bool TSplashForm::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && watched != this && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->isWindow()) {
        if (type == QEvent::Show && isVisible() && otherWindowShown()) {
            m_steppedAside = true;
            hide();
        } else if (type == QEvent::Hide && m_steppedAside) {
            // Deferred: the window being hidden still counts as visible here.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_steppedAside && !otherWindowShown()) {
                        m_steppedAside = false;
                        show();
                        repaint();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TSplashForm::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, m_picture);
}
