#pragma once
// Fill: every pixel gets one colour. With alpha -1, or below 32 bits, the
// alpha bytes are left alone.
#include "image/ImageEffect.h"

namespace clipvane {

class FillEffect : public SourceEffect {
public:
    // `colour` has blue in the low byte, then green, then red.
    FillEffect(uint32_t colour, int alpha) : colour(colour), alpha(alpha) {}
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    bool IndependentRows() const override { return true; }

private:
    uint32_t colour;
    int32_t alpha;
};

}  // namespace clipvane
