#include "image/effects/FillEffect.h"

#include <cstring>

namespace clipvane {

void FillEffect::ProcessPixel(PixelImage& image, int, int, uint8_t* pixel) {
    pixel[0] = uint8_t(colour);
    pixel[1] = uint8_t(colour >> 8);
    pixel[2] = uint8_t(colour >> 16);
    if (alpha != -1 && image.Depth() == 32) pixel[3] = uint8_t(Clamp255(alpha));
}

void FillEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (image.Depth() != 32 || alpha == -1) {
        ImageEffect::ProcessRow(image, y, row, width);
        return;
    }
    const uint32_t v = (colour & 0xFFFFFFu) | uint32_t(Clamp255(alpha)) << 24;
    for (int x = 0; x < width; ++x) std::memcpy(row + size_t(x) * 4, &v, 4);
}

}  // namespace clipvane
