#pragma once
// Halftone: an ordered dither of the grey level against the 8 x 8 Bayer matrix.
#include "image/ImageEffect.h"

namespace clipvane {

class HalftoneEffect : public SourceEffect {
public:
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    // Each pixel alone, with the threshold of its position.
    bool IndependentRows() const override { return true; }
};

// Threshold matrix, values 0..63, indexed [y mod 8][x mod 8].
extern const uint8_t kBayer8[8][8];

}  // namespace clipvane
