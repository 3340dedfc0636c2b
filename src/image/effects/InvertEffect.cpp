#include "image/effects/InvertEffect.h"

#include <cstring>

namespace clipvane {

void InvertEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    // 255 - v is v XOR 0xFF, so whole pixels flip with one mask that leaves
    // alpha and disabled channels alone.
    const uint32_t mask = (blue ? 0xFFu : 0u) | (green ? 0xFF00u : 0u) | (red ? 0xFF0000u : 0u);
    if (image.Depth() == 32) {
        for (int x = 0; x < width; ++x) {
            uint32_t v;
            std::memcpy(&v, row + size_t(x) * 4, 4);
            v ^= mask;
            std::memcpy(row + size_t(x) * 4, &v, 4);
        }
    } else if (image.Depth() == 24) {
        const uint8_t m[3] = {uint8_t(mask), uint8_t(mask >> 8), uint8_t(mask >> 16)};
        const size_t n = size_t(width) * 3;
        for (size_t i = 0; i < n; i += 3) {
            row[i] ^= m[0];
            row[i + 1] ^= m[1];
            row[i + 2] ^= m[2];
        }
    } else {
        LookupEffect::ProcessRow(image, y, row, width);
    }
}

}  // namespace clipvane
