#pragma once
// Hue, lightness and saturation as doubles in 0..1, the colour model of the
// hue/saturation and colour-tone effects. The arithmetic follows a fixed
// order of double operations; results are bit-for-bit reproducible.
#include <cstdint>

namespace clipvane {

struct Hsl {
    double h = 0;
    double l = 0;
    double s = 0;
};

Hsl RgbToHsl(int blue, int green, int red);

// Writes blue, green, red bytes into bgr[0..2].
void HslToRgb(double h, double l, double s, uint8_t bgr[3]);

// Clamp255(trunc(v)) without converting an out-of-range double to int.
inline int ClampTrunc255(double v) { return v <= 0 ? 0 : v >= 255 ? 255 : int(v); }

}  // namespace clipvane
