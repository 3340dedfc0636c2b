#include "image/effects/EmbossEffect.h"

#include <cstring>

namespace clipvane {

namespace {

inline int Sum3(const uint8_t* p) { return p[0] + p[1] + p[2]; }

// 64 bits so that any strength clamps instead of overflowing.
inline uint8_t EmbossLevel(int64_t d, int64_t strength) {
    const int64_t v = d * strength / 3 + 128;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

void EmbossEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    uint8_t v = 128;
    if (x != image.Width() - 1) v = EmbossLevel(Sum3(pixel) - Sum3(image.PixelAddress(x + 1, y)), strength);
    pixel[0] = pixel[1] = pixel[2] = v;
}

void EmbossEffect::ProcessRow(PixelImage& image, int, uint8_t* row, int width) {
    if (width <= 0) return;
    // The row is still unprocessed, so the sums of the original pixels can be
    // taken first; each pixel then only needs its own and its neighbour's.
    const int step = image.Depth() / 8;
    std::vector<int32_t> sums(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) sums[size_t(x)] = Sum3(row + size_t(x) * step);
    auto write = [&](int x, uint8_t v) {
        uint8_t* p = row + size_t(x) * step;
        p[0] = p[1] = p[2] = v;
    };
    if (strength >= -(1 << 20) && strength <= (1 << 20)) {
        // |d x strength| < 2^31 here, so 32-bit arithmetic gives the same values.
        const int s = strength;
        for (int x = 0; x + 1 < width; ++x)
            write(x, uint8_t(Clamp255((sums[size_t(x)] - sums[size_t(x) + 1]) * s / 3 + 128)));
    } else {
        for (int x = 0; x + 1 < width; ++x) write(x, EmbossLevel(sums[size_t(x)] - sums[size_t(x) + 1], strength));
    }
    write(width - 1, 128);
}

}  // namespace clipvane
