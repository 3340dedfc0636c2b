#include "image/effects/ConvolutionEffect.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace clipvane {

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

int ConvolutionEffect::RowGroup() const {
    // Large enough that the boundary rows are a small part of the image,
    // small enough that the groups even out across threads.
    return int(std::clamp<int64_t>(int64_t(4) * size, 32, 1 << 20));
}

void ConvolutionEffect::Begin(PixelImage& image) {
    ready = false;
    source.reset();
    windows.clear();
    boundaryRows.clear();
    if (!valid || image.Depth() < 24) return;
    half = size > 0 ? size / 2 : 0;
    rowCount = std::max(size, 0);
    imageHeight = image.Height();
    imageWidth = image.Width();
    pixelBytes = image.Depth() / 8;
    const int64_t wide = int64_t(imageWidth) + 2 * int64_t(half);
    if (wide > INT32_MAX) return;
    wideBytes = size_t(wide) * size_t(pixelBytes);
    const int group = RowGroup();
    const size_t rowBytes = size_t(imageWidth) * size_t(pixelBytes);
    const int saved = std::max(rowCount - 1, 0);
    const int64_t boundaries = (int64_t(imageHeight) - 1) / group;
    try {
        windows.resize(size_t(boundaries + 1));
        boundaryRows.resize(size_t(boundaries) * size_t(saved) * rowBytes);
    } catch (const std::bad_alloc&) {
        windows.clear();
        boundaryRows.clear();
        return;
    }
    uint8_t* d = boundaryRows.data();
    for (int64_t k = 1; k <= boundaries; ++k)
        for (int i = 0; i < saved; ++i, d += rowBytes) {
            const int64_t r = k * group - half + i;
            std::memcpy(d, image.Row(int(std::clamp<int64_t>(r, 0, imageHeight - 1))), rowBytes);
        }
    ready = true;
}

void ConvolutionEffect::End(PixelImage&) {
    windows.clear();
    windows.shrink_to_fit();
    boundaryRows.clear();
    boundaryRows.shrink_to_fit();
}

void ConvolutionEffect::FillSlot(PixelImage& image, Window& w, int r, int groupFirst) {
    // Original row r (unclamped) into its ring slot: from the image when it is
    // in the group (the group reaches it only after its current row, since
    // the window moves on one row at a time), else from the rows saved at the
    // group's boundary.
    const int group = RowGroup();
    const int groupEnd = int(std::min<int64_t>(int64_t(groupFirst) + group, imageHeight));
    const int clamped = std::clamp(r, 0, imageHeight - 1);
    const size_t rowBytes = size_t(imageWidth) * size_t(pixelBytes);
    const size_t boundaryBytes = size_t(rowCount - 1) * rowBytes;
    const uint8_t* s;
    if (clamped >= groupFirst && clamped < groupEnd)
        s = image.Row(clamped);
    else if (clamped < groupFirst)  // above the group: saved at its first row
        s = boundaryRows.data() + size_t(groupFirst / group - 1) * boundaryBytes +
            size_t(r - (groupFirst - half)) * rowBytes;
    else  // below the group: saved at the next group's first row
        s = boundaryRows.data() + size_t(groupEnd / group - 1) * boundaryBytes +
            size_t(r - (groupEnd - half)) * rowBytes;
    uint8_t* d = w.ring.data() + size_t(r - (groupFirst - half)) % size_t(rowCount) * wideBytes;
    const size_t bpp = size_t(pixelBytes);
    for (int x = 0; x < half; ++x, d += bpp) std::memcpy(d, s, bpp);
    std::memcpy(d, s, rowBytes);
    d += rowBytes;
    const uint8_t* last = s + rowBytes - bpp;
    for (int x = 0; x < half; ++x, d += bpp) std::memcpy(d, last, bpp);
}

const uint8_t* const* ConvolutionEffect::Rows(PixelImage& image, int y) {
    const int group = RowGroup();
    Window& w = windows[size_t(y / group)];
    if (w.y == y) return w.rows.data();
    const int first = y - y % group;
    if (w.y != y - 1 || w.ring.size() != size_t(rowCount) * wideBytes) {
        w.ring.assign(size_t(rowCount) * wideBytes, 0);
        w.rows.assign(size_t(rowCount), nullptr);
        for (int i = 0; i < rowCount; ++i) FillSlot(image, w, y - half + i, first);
    } else if (rowCount > 0) {
        FillSlot(image, w, y - half + rowCount - 1, first);
    }
    for (int i = 0; i < rowCount; ++i)
        w.rows[size_t(i)] = w.ring.data() + size_t(y - half + i - (first - half)) % size_t(rowCount) * wideBytes;
    w.y = y;
    return w.rows.data();
}

void ConvolutionEffect::Release(int y) {
    const int group = RowGroup();
    if (y % group != group - 1 && y != imageHeight - 1) return;
    windows[size_t(y / group)] = Window();
}

void ConvolutionEffect::ConvolvePixel(const uint8_t* const* rows, int x, uint8_t* pixel) const {
    const int step = pixelBytes;
    for (int c = 0; c < 3; ++c) {
        int64_t s = 0;
        for (int i = 0; i < size; ++i) {
            const uint8_t* p = rows[i] + size_t(x) * step + c;
            for (int j = 0; j < size; ++j) s += int64_t(p[size_t(j) * step]) * kernel[size_t(i) * size + j];
        }
        const int64_t v = s / divisor + offset;
        pixel[c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

void ConvolutionEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    if (!ready) return;
    ConvolvePixel(Rows(image, y), x, pixel);
    if (x == imageWidth - 1) Release(y);
}

namespace {

// The three 3 x 3 row kernels. Sums stay within the lane type for the
// kernels FastRow admits; a power-of-two divisor is a shift that rounds
// toward zero like the division.
template <class Lane, bool kShift>
inline __attribute__((always_inline)) void Convolve3(const uint8_t* __restrict r0, const uint8_t* __restrict r1,
                                                     const uint8_t* __restrict r2, size_t n, size_t step,
                                                     const int32_t* k, int32_t divisor, int shift, int32_t offset,
                                                     uint8_t* __restrict out) {
    const Lane k0 = Lane(k[0]), k1 = Lane(k[1]), k2 = Lane(k[2]), k3 = Lane(k[3]), k4 = Lane(k[4]), k5 = Lane(k[5]),
               k6 = Lane(k[6]), k7 = Lane(k[7]), k8 = Lane(k[8]);
    const Lane mask = Lane((1 << shift) - 1), off = Lane(offset), div = Lane(divisor);
    constexpr int kSignShift = int(sizeof(Lane)) * 8 - 1;
    for (size_t i = 0; i < n; ++i) {
        const Lane s = Lane(k0 * r0[i] + k1 * r0[i + step] + k2 * r0[i + 2 * step] + k3 * r1[i] + k4 * r1[i + step] +
                            k5 * r1[i + 2 * step] + k6 * r2[i] + k7 * r2[i + step] + k8 * r2[i + 2 * step]);
        Lane q;
        if constexpr (kShift)
            q = Lane((s + ((s >> kSignShift) & mask)) >> shift);
        else
            q = Lane(s / div);
        const Lane v = Lane(q + off);
        out[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

// The four variants as plain functions, each built for AVX2 as well. Under
// ThreadSanitizer the AVX2 clones are left out: their resolver runs while the
// program is loaded, before the sanitizer's runtime is ready, and crashes.
#if defined(__SANITIZE_THREAD__)
#define CLIPVANE_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CLIPVANE_CLONES
#endif
#endif
#ifndef CLIPVANE_CLONES
#define CLIPVANE_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#define CONVOLVE3_VARIANT(name, Lane, kShift)                                                                         \
    CLIPVANE_CLONES void name(const uint8_t* __restrict r0, const uint8_t* __restrict r1,                             \
                              const uint8_t* __restrict r2, size_t n, size_t step, const int32_t* k, int32_t divisor, \
                              int shift, int32_t offset, uint8_t* __restrict out) {                                   \
        Convolve3<Lane, kShift>(r0, r1, r2, n, step, k, divisor, shift, offset, out);                                 \
    }
CONVOLVE3_VARIANT(Convolve3Short, int16_t, true)
CONVOLVE3_VARIANT(Convolve3ShortDivide, int16_t, false)
CONVOLVE3_VARIANT(Convolve3Wide, int32_t, true)
CONVOLVE3_VARIANT(Convolve3WideDivide, int32_t, false)
#undef CONVOLVE3_VARIANT
#undef CLIPVANE_CLONES

}  // namespace

bool ExpandedCopy(const PixelImage& image, int margin, PixelImage& out) {
    // The same pixels as a copy followed by Expand(true, margin x 4), in one pass.
    if (margin <= 0) {
        out = image;
        return !out.IsEmpty();
    }
    const int64_t w = int64_t(image.Width()) + 2 * int64_t(margin), h = int64_t(image.Height()) + 2 * int64_t(margin);
    if (w > INT32_MAX || h > INT32_MAX || image.Depth() < 8) return false;
    if (!out.Create(int(w), int(h), image.Depth())) return false;
    out.CopyPalette(image);
    out.originX = image.originX - margin;
    out.originY = image.originY - margin;
    out.frameDelay = image.frameDelay;
    const int bpp = image.Depth() / 8, W = image.Width(), H = image.Height();
    for (int y = 0; y < int(h); ++y) {
        const uint8_t* s = image.Row(std::clamp(y - margin, 0, H - 1));
        uint8_t* d = out.Row(y);
        for (int x = 0; x < margin; ++x, d += bpp) std::memcpy(d, s, size_t(bpp));
        std::memcpy(d, s, size_t(W) * bpp);
        d += size_t(W) * bpp;
        const uint8_t* last = s + size_t(W - 1) * bpp;
        for (int x = 0; x < margin; ++x, d += bpp) std::memcpy(d, last, size_t(bpp));
    }
    return true;
}

bool ConvolutionEffect::FastRow(PixelImage& image, const uint8_t* const* rows, uint8_t* row, int width) {
    if (size != 3) return false;
    int64_t weight = 0;
    for (int32_t v : kernel) weight += std::abs(int64_t(v));
    const int64_t maxSum = weight * 255;
    const int step = image.Depth() / 8;
    const size_t n = size_t(width) * size_t(step);
    // Straight into a 24-bit row (the window holds the original pixels); a
    // 32-bit row goes through a buffer that keeps the image's own alpha.
    std::vector<uint8_t> buffer(step == 4 ? n : 0);
    const bool pow2 = std::has_single_bit(uint32_t(divisor));
    const int shift = pow2 ? std::countr_zero(uint32_t(divisor)) : 0;
    const uint8_t *r0 = rows[0], *r1 = rows[1], *r2 = rows[2];
    uint8_t* out = step == 4 ? buffer.data() : row;
    const int32_t* k = kernel.data();
    // 16-bit lanes when every partial sum, the quotient, the offset and the
    // divisor (or the rounding mask of its shift) fit.
    if (maxSum + 16384 < 32768 && offset >= -16384 && offset <= 16384) {
        if (pow2 && shift <= 14)
            Convolve3Short(r0, r1, r2, n, size_t(step), k, divisor, shift, offset, out);
        else if (pow2)
            Convolve3Wide(r0, r1, r2, n, size_t(step), k, divisor, shift, offset, out);
        else if (divisor <= 32767)
            Convolve3ShortDivide(r0, r1, r2, n, size_t(step), k, divisor, shift, offset, out);
        else
            Convolve3WideDivide(r0, r1, r2, n, size_t(step), k, divisor, shift, offset, out);
    } else if (maxSum < (int64_t(1) << 30) && offset >= -(1 << 29) && offset <= (1 << 29)) {
        if (pow2)
            Convolve3Wide(r0, r1, r2, n, size_t(step), k, divisor, shift, offset, out);
        else
            Convolve3WideDivide(r0, r1, r2, n, size_t(step), k, divisor, shift, offset, out);
    } else {
        return false;
    }
    if (step == 4) {
        // Keep the image's own alpha.
        for (int x = 0; x < width; ++x) {
            uint32_t d, s;
            std::memcpy(&d, row + size_t(x) * 4, 4);
            std::memcpy(&s, out + size_t(x) * 4, 4);
            d = (d & 0xFF000000u) | (s & 0x00FFFFFFu);
            std::memcpy(row + size_t(x) * 4, &d, 4);
        }
    }
    return true;
}

void ConvolutionEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (!ready) return;
    const uint8_t* const* rows = Rows(image, y);
    if (!FastRow(image, rows, row, width)) {
        const int step = image.Depth() / 8;
        for (int x = 0; x < width; ++x) ConvolvePixel(rows, x, row + size_t(x) * step);
    }
    Release(y);
}

}  // namespace clipvane
