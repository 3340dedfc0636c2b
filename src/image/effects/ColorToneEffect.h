#pragma once
// Colour tone: the grey image tinted with one colour's hue and saturation.
#include "image/ImageEffect.h"

namespace clipvane {

class ColorToneEffect : public SourceEffect {
public:
    // `colour` has blue in the low byte, then green, then red.
    explicit ColorToneEffect(uint32_t colour);
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Each pixel alone.
    bool IndependentRows() const override { return true; }

private:
    int32_t redTable[256];
    int32_t greenTable[256];
    int32_t blueTable[256];
};

}  // namespace clipvane
