#include "image/effects/MosaicEffect.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

namespace {

// The mean of the block whose top-left pixel is (x, y), clipped to the image.
// It is computed when the row order reaches that pixel, before any pixel of
// the block has been written, so the image itself still holds the input
// there and no separate copy is needed.
void BlockValue(const PixelImage& image, int x, int y, int block, uint8_t out[4]) {
    const int right = int(std::min<int64_t>(int64_t(x) + block, image.Width()));
    const int bottom = int(std::min<int64_t>(int64_t(y) + block, image.Height()));
    // Integer sums are exact, and below 2^53 they convert to the same doubles
    // that a running double sum would hold.
    uint64_t sumB = 0, sumG = 0, sumR = 0, sumA = 0;
    for (int yy = y; yy < bottom; ++yy) {
        const uint8_t* p = image.PixelAddress(x, yy);
        for (int xx = x; xx < right; ++xx, p += 4) {
            const uint32_t a = p[3];
            sumB += p[0] * a;
            sumG += p[1] * a;
            sumR += p[2] * a;
            sumA += a;
        }
    }
    const double n = double(int64_t(right - x) * (bottom - y));
    out[3] = n == 0 ? 255 : uint8_t(double(sumA) / n);
    if (sumA == 0) {
        out[0] = out[1] = out[2] = 0;
        return;
    }
    out[0] = uint8_t(double(sumB) / double(sumA));
    out[1] = uint8_t(double(sumG) / double(sumA));
    out[2] = uint8_t(double(sumR) / double(sumA));
}

}  // namespace

MosaicEffect::MosaicEffect(int block) : block(std::max(block, 2)) {}

void MosaicEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    const int d = block;
    if (x % d != 0 || y % d != 0) {
        std::memcpy(pixel, image.PixelAddress(d * (x / d), d * (y / d)), 4);
        return;
    }
    uint8_t value[4];
    BlockValue(image, x, y, d, value);
    std::memcpy(pixel, value, 4);
}

void MosaicEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    const int d = block;
    if (y % d != 0) {
        // Every pixel copies the top row of its block, which is already final.
        std::memcpy(row, image.Row(d * (y / d)), size_t(width) * 4);
        return;
    }
    for (int x = 0; x < width; x += d) {
        uint8_t value[4];
        BlockValue(image, x, y, d, value);
        uint32_t v;
        std::memcpy(&v, value, 4);
        const int end = int(std::min<int64_t>(int64_t(x) + d, width));
        for (int xx = x; xx < end; ++xx) std::memcpy(row + size_t(xx) * 4, &v, 4);
        if (int64_t(x) + d > width) break;
    }
}

}  // namespace clipvane
