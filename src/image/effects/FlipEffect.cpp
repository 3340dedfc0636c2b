#include "image/effects/FlipEffect.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

namespace {

void SwapBytes(uint8_t* a, uint8_t* b, size_t n) { std::swap_ranges(a, a + n, b); }

template <int kBytes>
void ReverseRow(uint8_t* row, int width) {
    uint8_t* a = row;
    uint8_t* b = row + size_t(width - 1) * kBytes;
    for (int x = 0; x < width / 2; ++x, a += kBytes, b -= kBytes) {
        uint8_t t[kBytes];
        std::memcpy(t, a, kBytes);
        std::memcpy(a, b, kBytes);
        std::memcpy(b, t, kBytes);
    }
}

}  // namespace

void FlipHorizontalEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    if (x < image.Width() / 2)
        SwapBytes(pixel, image.PixelAddress(image.Width() - 1 - x, y), size_t(image.Depth() / 8));
}

void FlipHorizontalEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    switch (image.Depth()) {
    case 32: ReverseRow<4>(row, width); break;
    case 24: ReverseRow<3>(row, width); break;
    case 16: ReverseRow<2>(row, width); break;
    case 8: ReverseRow<1>(row, width); break;
    default: ImageEffect::ProcessRow(image, y, row, width); break;
    }
}

void FlipVerticalEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    if (y < image.Height() / 2)
        SwapBytes(pixel, image.PixelAddress(x, image.Height() - 1 - y), size_t(image.Depth() / 8));
}

void FlipVerticalEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (image.Depth() < 8) {
        ImageEffect::ProcessRow(image, y, row, width);
        return;
    }
    if (y < image.Height() / 2)
        SwapBytes(row, image.Row(image.Height() - 1 - y), size_t(width) * size_t(image.Depth() / 8));
}

}  // namespace clipvane
