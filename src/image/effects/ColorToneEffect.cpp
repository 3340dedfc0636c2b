#include "image/effects/ColorToneEffect.h"

#include "image/effects/ColorModel.h"

namespace clipvane {

ColorToneEffect::ColorToneEffect(uint32_t colour) {
    const Hsl tone = RgbToHsl(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    for (int i = 0; i < 256; ++i) {
        uint8_t bgr[3];
        HslToRgb(tone.h, i * 0.00392156862745098, tone.s, bgr);
        blueTable[i] = i * bgr[0] / 255;
        greenTable[i] = i * bgr[1] / 255;
        redTable[i] = i * bgr[2] / 255;
    }
}

void ColorToneEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    const int k = GreyValue(pixel);
    pixel[0] = uint8_t(blueTable[k]);
    pixel[1] = uint8_t(greenTable[k]);
    pixel[2] = uint8_t(redTable[k]);
}

void ColorToneEffect::ProcessRow(PixelImage& image, int, uint8_t* row, int width) {
    const int step = image.Depth() / 8;
    for (int x = 0; x < width; ++x, row += step) {
        const int k = GreyValue(row);
        row[0] = uint8_t(blueTable[k]);
        row[1] = uint8_t(greenTable[k]);
        row[2] = uint8_t(redTable[k]);
    }
}

}  // namespace clipvane
