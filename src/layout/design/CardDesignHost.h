#pragma once
// What the card design dialog needs of the main window: the settings it
// edits and the card face it brings up to date. The main window supplies an
// implementation; the dialog knows nothing else of it.
#include <QSize>
#include <QString>
#include <QStringList>

namespace vellora {

class Settings;

class CardDesignHost {
public:
    virtual ~CardDesignHost() = default;

    // The program folder with a trailing '/'.
    virtual QString appFolder() const = 0;
    // Both settings records, as held for the whole run.
    virtual Settings &settings() = 0;
    // Size of the front card panel as it stands.
    virtual QSize frontPanelSize() const = 0;
    // Names of all card-table fields in table order.
    virtual QStringList cardFieldNames() const = 0;

    // The colour or the monochrome marker of the title bar.
    virtual void showPrinterMarker(bool colour) = 0;
    // Lays a side out with its layout type (quick layouts as chosen in the
    // dialog, which may ask about the standard fonts; 6 the side's file).
    virtual void applyLayout(int side, int layoutType) = 0;
    // A quick-layout side's background (an empty path hides it; a path
    // naming no readable file is cleared from the settings).
    virtual void showBackground(int side, const QString &path) = 0;
    // Both card panels shown and placed, the back as double-sided printing
    // shows it.
    virtual void arrangeCardPanels() = 0;
    virtual void hideBackPanel() = 0;
    // The back's first photo takes the front's picture and scaling.
    virtual void copyPhotoToBack() = 0;
    // After the settings changed: the stripe panel, the field items laid out
    // again, the card table refreshed.
    virtual void refreshCardFace() = 0;
};

}  // namespace vellora
