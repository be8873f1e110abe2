#include "app/mainwindow/MagStripePanel.h"

#include "store/DataSource.h"
#include "store/Settings.h"
#include "store/TrackKeyFilter.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using namespace vellora;

namespace {
constexpr int kRowHeight = 24;
constexpr int kFirstBoxTop = 16;
const char *const kSeparateTrackFields[3] = {"magstripe1", "magstripe2", "magstripe3"};
}  // namespace

MagStripePanel::MagStripePanel(QWidget *viewport, DataSource *dataSource) : m_viewport(viewport)
{
    m_panel = new QFrame(viewport);
    m_panel->setObjectName(QStringLiteral("magpanel"));
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setAutoFillBackground(true);
    m_group = new QGroupBox(QStringLiteral("Magnetic Stripe"), m_panel);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->move(3, 3);
    const char *labels[3] = {"Track 1 (Alpha)", "Track 2 (Numeric)", "Track 3 (Numeric)"};
    for (int t = 0; t < 3; ++t) {
        MagTrackControls &c = m_tracks[std::size_t(t)];
        c.label = new QLabel(QLatin1String(labels[t]), m_group);
        c.label->setObjectName(QStringLiteral("maglabel%1").arg(t + 1));
        c.label->hide();
        c.staticBox = new QLineEdit(m_group);
        c.staticBox->setObjectName(QStringLiteral("magedit%1").arg(t + 1));
        c.staticBox->setEnabled(false);
        c.staticBox->setFixedSize(227, 21);
        QPalette grey = c.staticBox->palette();
        grey.setColor(QPalette::Base, QColor(209, 209, 209));
        grey.setColor(QPalette::Disabled, QPalette::Base, QColor(209, 209, 209));
        grey.setColor(QPalette::Disabled, QPalette::Text, QColor(40, 40, 40));
        c.staticBox->setPalette(grey);
        c.staticBox->hide();
        c.dataBox = new DBEdit(m_group);
        c.dataBox->setObjectName(QStringLiteral("dbmagstripe%1").arg(t + 1));
        c.dataBox->setFixedSize(227, 21);
        c.dataBox->setDataSource(dataSource);
        TrackKeyEventFilter::install(c.dataBox, t + 1);
        c.dataBox->hide();
    }
    m_panel->hide();
}

void MagStripePanel::layout(const SettingsRecord &record)
{
    if (record.StripeOn == 0) {
        m_panel->hide();
        return;
    }
    int groupHeight = 22;
    int panelHeight = 25;
    int boxTop = kFirstBoxTop;
    bool anyShown = false;
    for (int t = 0; t < 3; ++t) {
        const TrackSettings &track = record.Track[std::size_t(t)];
        MagTrackControls &c = m_tracks[std::size_t(t)];
        const bool shown = track.show == 1 && track.use == 1;
        if (!shown) {
            c.label->hide();
            c.staticBox->hide();
            c.dataBox->hide();
            continue;
        }
        anyShown = true;
        c.label->show();
        groupHeight += kRowHeight;
        panelHeight += kRowHeight;
        c.label->move(c.label->x(), boxTop + 4);
        c.staticBox->move(c.staticBox->x(), boxTop);
        c.dataBox->move(c.dataBox->x(), boxTop);
        boxTop += kRowHeight;
        QPalette pal = c.dataBox->palette();
        switch (track.source) {
        case 0:  // static text
            c.staticBox->setText(track.value);
            c.staticBox->show();
            c.dataBox->hide();
            break;
        case 1:  // linked card field: shown, never edited here
            c.staticBox->hide();
            c.dataBox->setDataField(track.value);
            c.dataBox->setEnabled(false);
            pal.setColor(QPalette::Base, QColor(209, 209, 209));
            pal.setColor(QPalette::Disabled, QPalette::Base, QColor(209, 209, 209));
            pal.setColor(QPalette::Disabled, QPalette::Text, QColor(40, 40, 40));
            c.dataBox->setPalette(pal);
            c.dataBox->show();
            break;
        default:  // separate data field, typed here
            c.staticBox->hide();
            c.dataBox->setDataField(QLatin1String(kSeparateTrackFields[t]));
            c.dataBox->setEnabled(true);
            pal.setColor(QPalette::Base, Qt::white);
            pal.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
            c.dataBox->setPalette(pal);
            c.dataBox->show();
            break;
        }
    }
    m_group->resize(m_group->width(), groupHeight);
    m_panel->resize(m_panel->width(), panelHeight);
    position();
    if (!anyShown) {
        m_panel->hide();
        return;
    }
    m_panel->show();
    int widest = 0;
    for (MagTrackControls &c : m_tracks) {
        if (c.label->isHidden())
            continue;
        c.label->adjustSize();
        widest = std::max(widest, c.label->width());
    }
    m_group->resize(widest + m_tracks[0].dataBox->width() + 13, m_group->height());
    for (MagTrackControls &c : m_tracks) {
        c.label->setGeometry(5, c.label->y(), widest, c.label->height());
        c.staticBox->move(5 + widest + 3, c.staticBox->y());
        c.dataBox->move(5 + widest + 3, c.dataBox->y());
    }
    m_panel->resize(m_group->width() + 6, m_panel->height());
    position();
    m_panel->raise();
}

void MagStripePanel::position()
{
    // The visible card area: the scroll area's bevel is already outside it.
    const QSize area = m_viewport->size();
    m_panel->move(area.width() - m_panel->width() - 5, area.height() - m_panel->height() - 5);
}
