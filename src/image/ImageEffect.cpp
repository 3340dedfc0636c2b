#include "image/ImageEffect.h"

#include <ctime>

namespace clipvane {

void ImageEffect::ProcessRow(PixelImage& image, int y, uint8_t* /*row*/, int width) {
    for (int x = 0; x < width; ++x) ProcessPixel(image, x, y, image.PixelAddress(x, y));
}

bool SourceEffect::CanApply(const PixelImage& image) const { return !image.IsEmpty() && image.Depth() >= 24; }

void SourceEffect::TakeSource(const PixelImage* image) {
    if (!image) return;
    source = std::make_unique<PixelImage>(*image);
}

LookupEffect::LookupEffect(int channels)
    : red((channels & 1) != 0), green((channels & 2) != 0), blue((channels & 4) != 0) {}

void LookupEffect::Begin(PixelImage& /*image*/) {
    for (int level = 0; level < 256; ++level) table[level] = MapLevel(level);
}

void LookupEffect::ProcessPixel(PixelImage& /*image*/, int /*x*/, int /*y*/, uint8_t* pixel) {
    if (blue) pixel[0] = uint8_t(table[pixel[0]]);
    if (green) pixel[1] = uint8_t(table[pixel[1]]);
    if (red) pixel[2] = uint8_t(table[pixel[2]]);
}

void LookupEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    const int depth = image.Depth();
    if (depth != 24 && depth != 32) {
        ImageEffect::ProcessRow(image, y, row, width);
        return;
    }
    // Byte tables let the compiler keep the loop tight; the values are the
    // same because MapLevel answers 0..255.
    uint8_t t[256];
    for (int i = 0; i < 256; ++i) t[i] = uint8_t(table[i]);
    const int step = depth / 8;
    uint8_t* p = row;
    if (red && green && blue) {
        for (int x = 0; x < width; ++x, p += step) {
            p[0] = t[p[0]];
            p[1] = t[p[1]];
            p[2] = t[p[2]];
        }
        return;
    }
    for (int x = 0; x < width; ++x, p += step) {
        if (blue) p[0] = t[p[0]];
        if (green) p[1] = t[p[1]];
        if (red) p[2] = t[p[2]];
    }
}

uint32_t TimeSeed() { return uint32_t(std::time(nullptr)); }

}  // namespace clipvane
