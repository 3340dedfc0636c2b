#include "image/effects/Noise.h"

#include <algorithm>

namespace clipvane {

namespace {

uint8_t AddClamped(uint8_t v, int64_t offset) {
    const int64_t s = v + offset;
    return uint8_t(s < 0 ? 0 : s > 255 ? 255 : s);
}

// Half away from zero in 64 bits: the amount is unbounded.
int64_t RoundWide(double v) { return v > 0 ? int64_t(v + 0.5) : int64_t(v - 0.5); }

}  // namespace

int ColourNoiseEffect::Offset() { return int(RoundWide((random.Next() * 3.051850947599719e-5 - 0.5) * amount)); }

void ColourNoiseEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    const int b = Offset();
    const int g = Offset();
    const int r = Offset();
    pixel[0] = AddClamped(pixel[0], b);
    pixel[1] = AddClamped(pixel[1], g);
    pixel[2] = AddClamped(pixel[2], r);
}

void ColourNoiseEffect::ProcessRow(PixelImage& image, int, uint8_t* row, int width) {
    const int step = image.Depth() / 8;
    for (int x = 0; x < width; ++x, row += step) {
        row[0] = AddClamped(row[0], Offset());
        row[1] = AddClamped(row[1], Offset());
        row[2] = AddClamped(row[2], Offset());
    }
}

GreyNoiseEffect::GreyNoiseEffect(int amount, uint32_t seed) : RandomEffect(seed), amount(std::clamp(amount, 0, 100)) {}

void GreyNoiseEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    // Four uniform draws scaled to mean 0 and standard deviation 1.
    const int sum = random.Next() + random.Next() + random.Next() + random.Next();
    const double g = sum * 5.28596089837e-5 - 3.46410161514;
    const int c = int(g * amount * 1.27);
    pixel[0] = AddClamped(pixel[0], c);
    pixel[1] = AddClamped(pixel[1], c);
    pixel[2] = AddClamped(pixel[2], c);
}

}  // namespace clipvane
