#pragma once
namespace vellora {
// Layout and settings files name Windows faces; Linux has metric twins or
// near relatives. The names in files stay as they are; only drawing uses
// the substitutes.
void InstallFontSubstitutes();
}
