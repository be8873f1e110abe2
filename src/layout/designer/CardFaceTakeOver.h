#pragma once
// The take-over of card-face edits into a custom layout file when the main
// window closes (and when Export Project saves): the operator may have
// changed free texts, fonts and alignment on the card face, which live
// only there until the side's layout file is rewritten.
#include "layout/designer/DesignerEnvironment.h"
#include "layout/file/CardSide.h"

namespace vellora {

enum class TakeOverResult {
    NoFile,      // the side has no layout file: nothing to compare
    Unreadable,  // the file could not be read whole: it is left alone
    Same,        // the card face shows what the file holds
    KeptFile,    // they differ and the operator kept the file
    Written,     // they differ and the card face was written into the file
    WriteFailed, // as Written, but the file could not be written (reported)
};

// For a side whose layout type is 6: loads the side's file into a designer
// that is never shown; when the card face differs from it, asks
// Literals67 (front) or Literals68 (back), Yes keeping the file; on No
// takes the card face over and writes the file as the designer's OK does.
// A file that cannot be read whole is never rewritten: what follows the
// faulty line would be lost.
TakeOverResult TakeOverCardFaceEdits(const DesignerEnvironment &environment, CardSide side,
                                     const CardFaceSnapshot &face);

}  // namespace vellora
