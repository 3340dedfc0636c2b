#pragma once
// Preparing a screenshot for recognition. Screen text is small, antialiased
// and often light on dark, and a screenshot is mostly flat colour: the text
// sits in regions found from the sharp edges glyphs make, each region is
// turned dark on light, scaled up when its text is small and binarised on its
// own, so one dark panel or one large heading does not decide for the rest.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Bitmap.h"

namespace clipvane {

class PixelImage;

// An 8-bit grey picture, rows top-down without padding.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    uint8_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// Luma of `area` (clipped) of a 24- or 32-bit image; other depths or an area
// outside the image give an empty image.
GreyImage GreyOf(const PixelImage& image, const Rect& area);

// The boxes of text found in `grey`: runs of strong edges joined along a line
// of text, each box a line (or a few touching lines) with a small margin,
// clipped to the picture. Top to bottom, then left to right.
std::vector<Rect> FindTextRegions(const GreyImage& grey);

// One region ready for the recogniser: dark text on white, scaled by `scale`,
// binarised, with a white border of `kRegionBorder` pixels.
struct PreparedRegion {
    Rect source;            // the region in the picture
    int scale = 1;          // prepared pixels per picture pixel
    bool inverted = false;  // the region was light text on dark
    GreyImage image;
};

inline constexpr int kRegionBorder = 8;

// The upscale factor for a region `height` pixels tall: small screen text is
// scaled so its lines reach a height the recogniser reads well.
int ScaleForRegion(int height);

// Prepares `region` of `grey`. `maxPixels` bounds the prepared size: a region
// that would pass it is scaled less.
PreparedRegion PrepareRegion(const GreyImage& grey, const Rect& region, uint64_t maxPixels);

// The threshold that best splits the histogram of `pixels` into two classes
// (Otsu): values above it are one class, the rest the other.
int OtsuThreshold(const uint32_t histogram[256]);

}  // namespace clipvane
