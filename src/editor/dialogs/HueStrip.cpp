#include "editor/dialogs/HueStrip.h"

#include <algorithm>
#include <cmath>

namespace clipvane {

namespace {
constexpr int kLow = 33;
constexpr int kHigh = 254;
}  // namespace

QRgb HueStripColor(int x) {
    x = std::clamp(x, 0, kHueStripWidth - 1);
    // Cyan is hue 180 degrees; the strip covers one turn from there.
    const double hue = std::fmod(180.0 + 360.0 * x / kHueStripWidth, 360.0);
    const int sector = int(hue / 60.0);
    const double frac = hue / 60.0 - sector;
    const int rising = kLow + int(std::lround((kHigh - kLow) * frac));
    const int falling = kHigh - int(std::lround((kHigh - kLow) * frac));
    switch (sector) {
    case 0: return qRgb(kHigh, rising, kLow);    // red to yellow
    case 1: return qRgb(falling, kHigh, kLow);   // yellow to green
    case 2: return qRgb(kLow, kHigh, rising);    // green to cyan
    case 3: return qRgb(kLow, falling, kHigh);   // cyan to blue
    case 4: return qRgb(rising, kLow, kHigh);    // blue to magenta
    default: return qRgb(kHigh, kLow, falling);  // magenta to red
    }
}

QImage HueStrip() {
    QImage strip(kHueStripWidth, kHueStripHeight, QImage::Format_RGB888);
    for (int x = 0; x < kHueStripWidth; ++x) {
        const QRgb c = HueStripColor(x);
        for (int y = 0; y < kHueStripHeight; ++y) strip.setPixel(x, y, c);
    }
    return strip;
}

}  // namespace clipvane
