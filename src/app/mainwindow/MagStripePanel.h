#pragma once
// The magnetic stripe panel (magpanel): one row per track that is both used
// and shown, floating in the card area's bottom right corner whatever part
// of the cards is scrolled into view. It is given the card area's viewport
// and the data source, and owns its controls.
#include <array>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace vellora {
class DataSource;
class DBEdit;
struct SettingsRecord;
}

// The magnetic stripe panel's controls of one track.
struct MagTrackControls {
    QLabel *label = nullptr;             // maglabel1..3
    QLineEdit *staticBox = nullptr;      // magedit1..3
    vellora::DBEdit *dataBox = nullptr;  // dbmagstripe1..3
};

class MagStripePanel {
public:
    MagStripePanel(QWidget *viewport, vellora::DataSource *dataSource);

    QFrame *panel() const { return m_panel; }
    // track: 1..3.
    const MagTrackControls &track(int track) const { return m_tracks[std::size_t(track - 1)]; }

    // The rows the front record's stripe settings ask for: a static text,
    // a linked card field (shown, never edited) or the track's own field
    // (typed here). Hidden when the stripe is off or no track is shown.
    void layout(const vellora::SettingsRecord &record);
    // Back into the visible area's bottom right corner.
    void position();

private:
    QWidget *m_viewport = nullptr;
    QFrame *m_panel = nullptr;
    QGroupBox *m_group = nullptr;
    std::array<MagTrackControls, 3> m_tracks{};
};
