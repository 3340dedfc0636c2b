#include "image/effects/GreyEffect.h"

#include <cstring>

namespace clipvane {

void GreyEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    pixel[0] = pixel[1] = pixel[2] = uint8_t(GreyValue(pixel));
}

void GreyEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (image.Depth() == 32) {
        // Whole words keep alpha in place and let the loop vectorise.
        for (int x = 0; x < width; ++x) {
            uint32_t v;
            std::memcpy(&v, row + size_t(x) * 4, 4);
            const uint32_t g = ((v >> 16 & 0xFF) * 30 + (v >> 8 & 0xFF) * 59 + (v & 0xFF) * 11) / 100;
            v = (v & 0xFF000000u) | g * 0x010101u;
            std::memcpy(row + size_t(x) * 4, &v, 4);
        }
        return;
    }
    if (image.Depth() != 24) {
        ImageEffect::ProcessRow(image, y, row, width);
        return;
    }
    for (int x = 0; x < width; ++x, row += 3) row[0] = row[1] = row[2] = uint8_t(GreyValue(row));
}

void GreyLevelEffect::Begin(PixelImage& image) {
    TakeSource(&image);
    if (source->Depth() <= 16) source->ConvertTo(24);
    ready = source->Depth() >= 24 && image.Create(image.Width(), image.Height(), 8);
}

void GreyLevelEffect::ProcessPixel(PixelImage&, int x, int y, uint8_t* pixel) {
    if (ready) *pixel = uint8_t(GreyValue(source->PixelAddress(x, y)));
}

void GreyLevelEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (!ready || image.Depth() != 8) return;
    const uint8_t* s = source->Row(y);
    const int step = source->Depth() / 8;
    for (int x = 0; x < width; ++x, s += step) row[x] = uint8_t(GreyValue(s));
}

}  // namespace clipvane
