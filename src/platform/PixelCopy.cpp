#include "platform/PixelCopy.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "image/PixelImage.h"

namespace clipvane {

namespace {

void CopyRowPortable(const uint8_t* s, uint8_t* d, int width) {
    // Four-byte stores that overlap by one byte; the last pixel is written
    // with three so nothing past the row is touched.
    int i = 0;
    for (; i + 1 < width; ++i, s += 4, d += 3) std::memcpy(d, s, 4);
    std::memcpy(d, s, 3);
}

#if defined(__x86_64__) || defined(__i386__)
// Sixteen pixels per step: four shuffles drop the padding bytes.
__attribute__((target("ssse3"))) void CopyRowSsse3(const uint8_t* s, uint8_t* d, int width) {
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int i = 0;
    for (; i + 16 <= width; i += 16, s += 64, d += 48) {
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)), pack);
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16)), pack);
        const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32)), pack);
        const __m128i e = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 48)), pack);
        // 12 bytes each: a | b<<12 | c<<24 | e<<36 across three 16-byte stores.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(a, _mm_slli_si128(b, 12)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32), _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(e, 4)));
    }
    if (i < width) CopyRowPortable(s, d, width - i);
}

bool HaveSsse3() {
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

}  // namespace

void CopyXRowsTo24(const uint8_t* src, size_t srcStride, int width, int height, PixelImage& image, int x, int y) {
    if (width <= 0 || height <= 0) return;
#if defined(__x86_64__) || defined(__i386__)
    const bool simd = HaveSsse3();
#else
    const bool simd = false;
#endif
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = src + size_t(r) * srcStride;
        uint8_t* d = image.PixelAddress(x, y + r);
#if defined(__x86_64__) || defined(__i386__)
        if (simd) {
            CopyRowSsse3(s, d, width);
            continue;
        }
#endif
        CopyRowPortable(s, d, width);
    }
}

bool CropImage(const PixelImage& source, const Rect& rect, PixelImage& out) {
    if (rect.IsEmpty() || source.IsEmpty() || source.Depth() < 24) return false;
    PixelImage result;
    if (!result.Create(rect.Width(), rect.Height(), source.Depth())) return false;
    const Rect inside = rect.Intersected(Rect{0, 0, source.Width(), source.Height()});
    if (!inside.IsEmpty()) {
        const size_t bytes = size_t(inside.Width()) * size_t(source.Depth() / 8);
        for (int y = inside.top; y < inside.bottom; ++y) {
            std::memcpy(result.PixelAddress(inside.left - rect.left, y - rect.top), source.PixelAddress(inside.left, y),
                        bytes);
        }
    }
    out = std::move(result);
    return true;
}

}  // namespace clipvane
