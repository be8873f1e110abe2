#pragma once
// What the print preview, and the print jobs it hosts, read of the program:
// the card panels as they stand, where they sit, the side backgrounds, the
// front settings' print values and the current card's fields. The main
// window provides it; the preview keeps no card state of its own.
#include "print/CardSideModel.h"

#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace vellora {

// The values of the front settings record a print job reads.
struct CardPrintOptions {
    bool monoPrinter = false;
    bool doubleSided = false;
    bool stripeOn = false;
    std::array<bool, 3> trackUse{};
    std::array<int, 3> trackSource{};  // 0 static text, 1 linked card field, 2 separate data field
    std::array<QString, 3> trackValue;
};

struct PreviewSource {
    // The card panel of a side, composed into a model at the moment of asking.
    std::function<CardSideModel(CardSideId)> cardSide;
    // Where the side's card panel sits in the main window's card area.
    std::function<QRect(CardSideId)> panelGeometry;
    // ReadLayoutBackground of the side.
    std::function<QString(CardSideId)> background;
    std::function<CardPrintOptions()> options;
    // The current card's value of a field; nullopt when the table lacks it.
    std::function<std::optional<QString>(const QString &fieldName)> cardField;
    // The main window's frame geometry (the single-card preview takes it).
    std::function<QRect()> mainWindowGeometry;
};

}  // namespace vellora
