#pragma once
// Alpha compositing of 32-bit straight-alpha images ("over"), with the exact
// integer rule the object renderer has always used.
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

// Composites `source` onto `destination` with its top-left pixel at (x, y)
// and `strength` percent (clamped to 0..100). Nothing unless both images are
// 32 bits per pixel and they overlap.
void BlendImage(PixelImage& destination, const PixelImage& source, int x, int y, int strength);

// The same, restricted to the destination pixels inside `clip`. Every pixel
// depends only on itself and the source pixel over it, so blending an image
// in pieces gives the same bytes as blending it whole.
void BlendImageClipped(PixelImage& destination, const PixelImage& source, int x, int y, int strength, const Rect& clip);

// A run of pixels with non-zero alpha: row y, columns x0 .. x1 - 1.
struct AlphaRun {
    int y;
    int x0;
    int x1;
};

// The runs of a 32-bit image, top row first.
std::vector<AlphaRun> FindAlphaRuns(const PixelImage& image);

// BlendImageClipped for a destination whose pixels inside `clip` are all
// opaque, visiting only `runs` (those of `source`). On an opaque pixel a
// transparent source pixel changes nothing, so skipping it gives the same
// bytes; the result stays opaque.
void BlendRunsOntoOpaque(PixelImage& destination, const PixelImage& source, const std::vector<AlphaRun>& runs, int x,
                         int y, int strength, const Rect& clip);

// The pixel rule on one destination pixel `d` (blue, green, red, alpha) with
// source pixel `q` and effective alpha `a`.
inline void BlendPixel(uint8_t* d, const uint8_t* q, unsigned a) {
    const unsigned da = d[3];
    if (da == 0) {
        if (a == 0) {
            d[0] = d[1] = d[2] = 255;
            d[3] = 0;
        } else {
            d[0] = q[0];
            d[1] = q[1];
            d[2] = q[2];
            d[3] = uint8_t(a);
        }
        return;
    }
    if (a == 0) return;
    if (a == 255) {
        d[0] = q[0];
        d[1] = q[1];
        d[2] = q[2];
        d[3] = 255;
        return;
    }
    if (da == 255) {
        // With e = 255 * 255 the general rule's f is 65025 and every term
        // carries a factor 255: channel = (q * a + d * (255 - a)) / 255.
        const unsigned na = 255 - a;
        d[0] = uint8_t((q[0] * a + d[0] * na) / 255);
        d[1] = uint8_t((q[1] * a + d[1] * na) / 255);
        d[2] = uint8_t((q[2] * a + d[2] * na) / 255);
        return;
    }
    const unsigned c = 255 * a, e = 255 * da, k = a * da, f = c + e - k;
    d[0] = uint8_t((q[0] * c + (e - k) * d[0]) / f);
    d[1] = uint8_t((q[1] * c + (e - k) * d[1]) / f);
    d[2] = uint8_t((q[2] * c + (e - k) * d[2]) / f);
    d[3] = uint8_t(f / 255);
}

}  // namespace clipvane
