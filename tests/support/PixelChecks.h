#pragma once
// Reading and comparing the pixels of test results.
#include <cstdint>
#include <cstring>

#include "image/PixelImage.h"

namespace clipvane::test {

// Blue, green, red (and alpha) of pixel (x, y) of a 24- or 32-bit image as
// 0xAARRGGBB; alpha 0 at 24 bits.
inline uint32_t At(const PixelImage& img, int x, int y) {
    uint32_t v = 0;
    std::memcpy(&v, img.PixelAddress(x, y), size_t(img.Depth() / 8));
    return v;
}

// Same size, depth and meaningful row bytes (row padding is not compared).
inline bool SamePixels(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    const size_t rowBytes = (size_t(a.Width()) * size_t(a.Depth()) + 7) / 8;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), rowBytes) != 0) return false;
    return true;
}

}  // namespace clipvane::test
