#include "image/effects/HueSaturationEffect.h"

#include <algorithm>
#include <cstring>

#include "image/effects/ColorModel.h"

namespace clipvane {

HueSaturationEffect::HueSaturationEffect(int huePercent, int saturationPercent)
    : huePercent(std::max(huePercent, 0)), saturationPercent(std::max(saturationPercent, 0)) {}

void HueSaturationEffect::Map(const uint8_t* in, uint8_t out[3]) const {
    Hsl c = RgbToHsl(in[0], in[1], in[2]);
    if (huePercent != 100) c.h = huePercent * c.h * 0.01;
    if (saturationPercent != 100) c.s = saturationPercent * c.s * 0.01;
    HslToRgb(c.h, c.l, c.s, out);
}

void HueSaturationEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    uint8_t out[3];
    Map(pixel, out);
    std::memcpy(pixel, out, 3);
}

void HueSaturationEffect::ProcessRow(PixelImage& image, int, uint8_t* row, int width) {
    // The result depends on the colour alone; neighbouring pixels of a photo
    // or a screenshot often share it, so the last answer is kept.
    const int step = image.Depth() / 8;
    uint8_t lastIn[3] = {0, 0, 0}, lastOut[3];
    Map(lastIn, lastOut);
    for (int x = 0; x < width; ++x, row += step) {
        if (row[0] != lastIn[0] || row[1] != lastIn[1] || row[2] != lastIn[2]) {
            std::memcpy(lastIn, row, 3);
            Map(lastIn, lastOut);
        }
        std::memcpy(row, lastOut, 3);
    }
}

}  // namespace clipvane
