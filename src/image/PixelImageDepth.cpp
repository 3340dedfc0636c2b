// Depth conversions of a PixelImage: between 24 and 32 bits in place, and
// from any depth to 24 or 32 bits through a new image.
#include <sys/mman.h>

#include <climits>
#include <cstring>
#include <thread>
#include <vector>

#include "image/ConvertedCopy.h"
#include "image/PixelImage.h"

namespace clipvane {

namespace {

// Storage rows first..last-1 from 32 to 24 bits within the storage, lowest
// address first: row r moves to r x newStride, over rows it has read or
// rows before it.
void NarrowRows(uint8_t* bits, int64_t first, int64_t last, int w, int64_t oldStride, int64_t newStride) {
    for (int64_t r = first; r < last; ++r) {
        const uint8_t* sp = bits + r * oldStride;
        uint8_t* d = bits + r * newStride;
        for (int x = 0; x < w; ++x, sp += 4, d += 3) {
            const uint8_t b = sp[0], g = sp[1], red = sp[2];
            d[0] = b;
            d[1] = g;
            d[2] = red;
        }
        // Row padding is zero, as in a new image; it lies in this row's
        // old pixels, which are all read.
        std::memset(d, 0, size_t(newStride - int64_t(w) * 3));
    }
}

// All h storage rows from 32 to 24 bits in place, on up to `threads`
// threads. Rows a..b-1 whose new places all lie below row a's old place
// (b x newStride <= a x oldStride) overwrite none of each other's pixels,
// so such a wave is split among the threads; the first rows go in order,
// and each wave reaches oldStride / newStride times as far as the last.
void NarrowInPlace(uint8_t* bits, int64_t h, int w, int64_t oldStride, int64_t newStride, int threads) {
    if (threads <= 1 || h < 2) {
        NarrowRows(bits, 0, h, w, oldStride, newStride);
        return;
    }
    int64_t a = newStride == oldStride ? 0 : std::max<int64_t>(h / 32, 1);
    NarrowRows(bits, 0, a, w, oldStride, newStride);
    while (a < h) {
        // At least one row, which alone is safe in order.
        const int64_t b = newStride == oldStride ? h : std::min(h, std::max(a * oldStride / newStride, a + 1));
        const int parts = int(std::min<int64_t>(threads, b - a));
        std::vector<std::thread> workers;
        int64_t first = a;
        for (int i = 0; i < parts - 1; ++i) {
            const int64_t last = a + (b - a) * (i + 1) / parts;
            try {
                workers.emplace_back([=] { NarrowRows(bits, first, last, w, oldStride, newStride); });
            } catch (const std::system_error&) {
                break;  // no thread to be had: this thread takes the rest
            }
            first = last;
        }
        NarrowRows(bits, first, b, w, oldStride, newStride);
        for (std::thread& t : workers) t.join();
        a = b;
    }
}

}  // namespace

bool PixelImage::ConvertInPlace(int depth) {
    // Between 24 and 32 bits the storage is resized and the pixels are moved
    // within it: no second image, no fresh pages to fault in. Growing walks
    // from the last byte down and shrinking from the first byte up, so that a
    // pixel is read before anything is written over it (a 32-bit row is never
    // shorter than a 24-bit one).
    const int from = Depth();
    if (!((from == 24 && depth == 32) || (from == 32 && depth == 24))) return false;
    const int w = Width(), h = Height();
    const int64_t oldStride = stride_, newStride = StrideFor(w, depth);
    if (newStride > INT_MAX || uint64_t(newStride) * uint64_t(h) > uint64_t(PTRDIFF_MAX) / 2) return false;
    const size_t newBytes = size_t(newStride) * size_t(h);
    uint8_t* bits = bits_;
    if (depth == 32) {
        void* grown = mremap(bits_, mapped_, newBytes, MREMAP_MAYMOVE);
        if (grown == MAP_FAILED) return false;
        bits = static_cast<uint8_t*>(grown);
        for (int64_t r = h - 1; r >= 0; --r) {
            const uint8_t* sp = bits + r * oldStride + int64_t(w - 1) * 3;
            uint8_t* d = bits + r * newStride + int64_t(w - 1) * 4;
            for (int x = w - 1; x >= 0; --x, sp -= 3, d -= 4) {
                const uint8_t b = sp[0], g = sp[1], red = sp[2];
                d[0] = b;
                d[1] = g;
                d[2] = red;
                d[3] = 255;
            }
        }
    } else {
        NarrowInPlace(bits, h, w, oldStride, newStride, ConversionThreads(int64_t(w) * h));
        void* shrunk = mremap(bits_, mapped_, newBytes, 0);
        if (shrunk == MAP_FAILED) {
            // Keep the longer mapping; its tail is unused.
            std::memset(bits + newBytes, 0, mapped_ - newBytes);
        } else {
            mapped_ = newBytes;
        }
    }
    if (depth == 32) mapped_ = newBytes;
    bits_ = bits;
    stride_ = int(newStride);
    // The header, masks and palette of a newly created image of this depth.
    info_ = {};
    info_.biSize = 40;
    info_.biWidth = w;
    info_.biHeight = h;
    info_.biPlanes = 1;
    info_.biBitCount = uint16_t(depth);
    info_.biCompression = kBiRgb;
    redMask_ = 0x7C00;
    greenMask_ = 0x03E0;
    blueMask_ = 0x001F;
    uint8_t* row = bits_ + size_t(h - 1) * size_t(newStride);
    for (int y = 0; y < h; ++y, row -= newStride) rows_[y] = row;
    return true;
}

void PixelImage::ConvertTo(int depth) {
    if (IsEmpty() || depth == Depth() || (depth != 24 && depth != 32)) return;
    if (ConvertInPlace(depth)) return;
    PixelImage s;
    s.TakeFrom(*this);
    if (!Create(s.Width(), s.Height(), depth)) {
        TakeFrom(s);  // refused: put the original back
        return;
    }
    originX = s.originX;
    originY = s.originY;
    frameDelay = s.frameDelay;
    const int w = s.Width(), h = s.Height(), sd = s.Depth(), step = depth / 8;
    for (int y = 0; y < h; ++y) {
        uint8_t* d = rows_[y];
        const uint8_t* sp = s.rows_[y];
        switch (sd) {
        case 1:
        case 4:
        case 8:
            for (int x = 0; x < w; ++x, d += step) {
                const RgbQuad& q = s.palette_[s.GetPixel(x, y)];
                d[0] = q.rgbBlue;
                d[1] = q.rgbGreen;
                d[2] = q.rgbRed;
            }
            break;
        case 16:
            for (int x = 0; x < w; ++x, d += step, sp += 2) {
                const uint32_t word = uint32_t(sp[0]) | (uint32_t(sp[1]) << 8);
                if (s.greenMask_ == 0x07E0) {
                    d[2] = uint8_t((word >> 8) & 0xF8);
                    d[1] = uint8_t((word >> 3) & 0xFC);
                } else {
                    // 5-5-5, also the reading for any other mask layout.
                    d[2] = uint8_t((word >> 7) & 0xF8);
                    d[1] = uint8_t((word >> 2) & 0xF8);
                }
                d[0] = uint8_t((word << 3) & 0xF8);
            }
            break;
        default:
            if (depth == 32) {  // 24 to 32: the opaque alpha is written in the same pass
                for (int x = 0; x < w; ++x, d += 4, sp += 3) {
                    d[0] = sp[0];
                    d[1] = sp[1];
                    d[2] = sp[2];
                    d[3] = 255;
                }
            } else {
                for (int x = 0; x < w; ++x, d += 3, sp += 4) {
                    d[0] = sp[0];
                    d[1] = sp[1];
                    d[2] = sp[2];
                }
            }
        }
    }
    if (depth == 32 && sd < 24) SetAlpha(255);
}

}  // namespace clipvane
