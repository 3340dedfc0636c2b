#include "image/effects/RgbValueEffect.h"

namespace clipvane {

namespace {

// 64-bit sum: offsets are taken unchanged and may be near the int limits.
uint8_t AddClamped(uint8_t v, int32_t offset) {
    const int64_t s = int64_t(v) + offset;
    return uint8_t(s < 0 ? 0 : s > 255 ? 255 : s);
}

}  // namespace

void RgbValueEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    pixel[0] = AddClamped(pixel[0], blueOffset);
    pixel[1] = AddClamped(pixel[1], greenOffset);
    pixel[2] = AddClamped(pixel[2], redOffset);
}

}  // namespace clipvane
