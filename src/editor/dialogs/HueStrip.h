#pragma once
// The colour strip of the "Color Tone" dialog: 260 x 28 pixels of fully
// saturated hues (one channel at 33, one at 254 in every colour) running from
// cyan on the left through blue, magenta, red, yellow and green back towards
// cyan.
#include <QImage>

namespace clipvane {

inline constexpr int kHueStripWidth = 260;
inline constexpr int kHueStripHeight = 28;

QImage HueStrip();
// The strip's colour at column x (clamped to the strip).
QRgb HueStripColor(int x);

}  // namespace clipvane
