#pragma once
// Mirror images in place: each pair of pixels is swapped once, so an odd
// middle column or row stays where it is.
#include "image/ImageEffect.h"

namespace clipvane {

class FlipHorizontalEffect : public SourceEffect {
public:
    // A row is reversed in itself.
    bool IndependentRows() const override { return true; }
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 8; }
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
};

class FlipVerticalEffect : public SourceEffect {
public:
    // Row y of the upper half swaps itself with its mirror row, whose own
    // turn does nothing, so every pair is touched by one row only.
    bool IndependentRows() const override { return true; }
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 8; }
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
};

}  // namespace clipvane
