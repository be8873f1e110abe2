// The magnetic stripe panel: one row per track that is both used and shown,
// in the card area's bottom right corner.
#include "app/mainwindow/TForm1.h"

#include "store/DataSource.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

using namespace vellora;

namespace {
constexpr int kRowHeight = 24;
constexpr int kFirstBoxTop = 16;
const char *const kSeparateTrackFields[3] = {"magstripe1", "magstripe2", "magstripe3"};
}  // namespace

void TForm1::LayoutMagPanel()
{
    const SettingsRecord &record = m_settings.front;
    if (record.StripeOn == 0) {
        m_magpanel->hide();
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
    m_magGroup->resize(m_magGroup->width(), groupHeight);
    m_magpanel->resize(m_magpanel->width(), panelHeight);
    PositionMagPanel();
    if (!anyShown) {
        m_magpanel->hide();
        return;
    }
    m_magpanel->show();
    int widest = 0;
    for (MagTrackControls &c : m_tracks) {
        if (c.label->isHidden())
            continue;
        c.label->adjustSize();
        widest = std::max(widest, c.label->width());
    }
    m_magGroup->resize(widest + m_tracks[0].dataBox->width() + 13, m_magGroup->height());
    for (MagTrackControls &c : m_tracks) {
        c.label->setGeometry(5, c.label->y(), widest, c.label->height());
        c.staticBox->move(5 + widest + 3, c.staticBox->y());
        c.dataBox->move(5 + widest + 3, c.dataBox->y());
    }
    m_magpanel->resize(m_magGroup->width() + 6, m_magpanel->height());
    PositionMagPanel();
    m_magpanel->raise();
}

void TForm1::PositionMagPanel()
{
    // The visible card area: the scroll area's bevel is already outside it.
    const QSize area = m_panel1->viewport()->size();
    m_magpanel->move(area.width() - m_magpanel->width() - 5, area.height() - m_magpanel->height() - 5);
}
