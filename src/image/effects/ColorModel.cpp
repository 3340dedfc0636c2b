#include "image/effects/ColorModel.h"

#include <algorithm>

namespace clipvane {

Hsl RgbToHsl(int blue, int green, int red) {
    const int mx = std::max({blue, green, red});
    const int mn = std::min({blue, green, red});
    Hsl out;
    out.l = (mx + mn) * 0.00196078431372549;  // / 510
    if (mx == mn) return out;
    const double m = mx / 255.0, n = mn / 255.0, d = m - n;
    out.s = out.l < 0.5 ? d / (m + n) : d / (2 - m - n);
    const double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
    double h;
    if (mx == red)
        h = (g - b) / d;
    else if (mx == green)
        h = (b - r) / d + 2;
    else
        h = (r - g) / d + 4;
    h = h * 0.16666666666666666;
    if (h < 0) h = h + 1;
    out.h = h;
    return out;
}

void HslToRgb(double h, double l, double s, uint8_t bgr[3]) {
    if (s < 1.1920929e-7) {
        bgr[0] = bgr[1] = bgr[2] = uint8_t(ClampTrunc255(l * 255));
        return;
    }
    const double m2 = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double m1 = 2 * l - m2;
    const double t = h * 6;
    // One wrap only: hues scaled above 1 by the hue effect pass through as given.
    auto channel = [m1, m2](double u) {
        if (u > 6)
            u -= 6;
        else if (u < 0)
            u += 6;
        if (u < 1) return m1 + u * (m2 - m1);
        if (u < 3) return m2;
        if (u < 4) return m1 + (m2 - m1) * (4 - u);
        return m1;
    };
    bgr[2] = uint8_t(ClampTrunc255(channel(t + 2) * 255));
    bgr[1] = uint8_t(ClampTrunc255(channel(t) * 255));
    bgr[0] = uint8_t(ClampTrunc255(channel(t - 2) * 255));
}

}  // namespace clipvane
