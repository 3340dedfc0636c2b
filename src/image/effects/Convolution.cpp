#include "image/effects/Convolution.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace cv {

ConvolutionEffect::ConvolutionEffect(std::span<const int32_t> k, int size, int divisor, int offset)
    : size(size), divisor(std::max(divisor, 1)), offset(offset) {
    const int64_t cells = size > 0 ? int64_t(size) * size : 0;
    valid = int64_t(k.size()) >= cells;
    if (valid) kernel.assign(k.begin(), k.begin() + cells);
}

ConvolutionEffect MakeBlurEffect() {
    static const int32_t blur[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
    return ConvolutionEffect(blur, 3, 16, 0);
}

void ConvolutionEffect::Begin(PixelImage& image) {
    ready = false;
    if (!valid) return;
    TakeSource(&image);
    const int half = size > 0 ? size / 2 : 0;
    if (half > 0) source->Expand(true, half, half, half, half);
    ready = int64_t(source->Width()) == int64_t(image.Width()) + 2 * int64_t(half) &&
            int64_t(source->Height()) == int64_t(image.Height()) + 2 * int64_t(half);
}

void ConvolutionEffect::ProcessPixel(PixelImage&, int x, int y, uint8_t* pixel) {
    if (!ready) return;
    const int step = source->Depth() / 8;
    for (int c = 0; c < 3; ++c) {
        int64_t s = 0;
        for (int i = 0; i < size; ++i) {
            const uint8_t* p = source->PixelAddress(x, y + i) + c;
            for (int j = 0; j < size; ++j) s += int64_t(p[size_t(j) * step]) * kernel[size_t(i) * size + j];
        }
        const int64_t v = s / divisor + offset;
        pixel[c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

namespace {

// One output row of a 3 x 3 kernel, byte by byte (alpha bytes included; the
// caller keeps the image's own alpha). Sums fit in 32 bits for the kernels
// admitted by FastRow. A power-of-two divisor is a shift that rounds toward
// zero like the division.
template <bool kShift>
void Convolve3(const uint8_t* __restrict r0, const uint8_t* __restrict r1, const uint8_t* __restrict r2, size_t n,
               size_t step, const int32_t* k, int32_t divisor, int shift, int32_t offset, uint8_t* __restrict out) {
    const int32_t k0 = k[0], k1 = k[1], k2 = k[2], k3 = k[3], k4 = k[4], k5 = k[5], k6 = k[6], k7 = k[7], k8 = k[8];
    const int32_t mask = (1 << shift) - 1;
    for (size_t i = 0; i < n; ++i) {
        const int32_t s = k0 * r0[i] + k1 * r0[i + step] + k2 * r0[i + 2 * step] + k3 * r1[i] + k4 * r1[i + step] +
                          k5 * r1[i + 2 * step] + k6 * r2[i] + k7 * r2[i + step] + k8 * r2[i + 2 * step];
        int32_t q;
        if constexpr (kShift)
            q = (s + ((s >> 31) & mask)) >> shift;
        else
            q = s / divisor;
        const int32_t v = q + offset;
        out[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

}  // namespace

bool ConvolutionEffect::FastRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (size != 3 || source->Depth() != image.Depth()) return false;
    for (int32_t v : kernel)
        if (v < -4096 || v > 4096) return false;
    if (offset < -(1 << 20) || offset > (1 << 20)) return false;
    const int step = image.Depth() / 8;
    const size_t n = size_t(width) * size_t(step);
    buffer.resize(n);
    const bool pow2 = std::has_single_bit(uint32_t(divisor));
    const int shift = pow2 ? std::countr_zero(uint32_t(divisor)) : 0;
    const uint8_t *r0 = source->Row(y), *r1 = source->Row(y + 1), *r2 = source->Row(y + 2);
    if (pow2)
        Convolve3<true>(r0, r1, r2, n, size_t(step), kernel.data(), divisor, shift, offset, buffer.data());
    else
        Convolve3<false>(r0, r1, r2, n, size_t(step), kernel.data(), divisor, shift, offset, buffer.data());
    if (step == 4) {
        for (int x = 0; x < width; ++x) {
            uint32_t d, s;
            std::memcpy(&d, row + size_t(x) * 4, 4);
            std::memcpy(&s, buffer.data() + size_t(x) * 4, 4);
            d = (d & 0xFF000000u) | (s & 0x00FFFFFFu);
            std::memcpy(row + size_t(x) * 4, &d, 4);
        }
    } else {
        std::memcpy(row, buffer.data(), n);
    }
    return true;
}

void ConvolutionEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (!ready) return;
    if (!FastRow(image, y, row, width)) ImageEffect::ProcessRow(image, y, row, width);
}

}  // namespace cv
