#pragma once
// What the layout designer sees of the main window: the program folder,
// the card table's fields, the sides' layout types and the card face.
#include "layout/designer/DesignerEnvironment.h"

class TForm1;

namespace vellora {

// The free texts and field items of one side of the card face (0 front,
// 1 back) as the designer compares them.
CardFaceSnapshot CardFaceOf(const TForm1 &form, int side);
// The designer's view of the main window; it reads the window live.
DesignerEnvironment DesignerEnvironmentFor(TForm1 &form);
// Makes it the environment of every designer created without one.
void InstallDesignerEnvironment(TForm1 &form);

}  // namespace vellora
