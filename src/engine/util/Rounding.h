#pragma once
// The rounding rules used across the program: Round is to the nearest
// integer with halves to even; Trunc cuts toward zero; div truncates.
#include <cmath>

namespace vellora {

// std::nearbyint in the default rounding mode rounds halves to even.
inline int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// a * b / c rounded to the nearest integer, halves away from zero.
inline int MulDivRound(int a, int b, int c)
{
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

}  // namespace vellora
