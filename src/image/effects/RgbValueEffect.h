#pragma once
// Fixed offsets added to red, green and blue.
#include "image/ImageEffect.h"

namespace clipvane {

class RgbValueEffect : public SourceEffect {
public:
    RgbValueEffect(int redOffset, int greenOffset, int blueOffset)
        : redOffset(redOffset), greenOffset(greenOffset), blueOffset(blueOffset) {}
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    // Each pixel alone.
    bool IndependentRows() const override { return true; }

private:
    int32_t redOffset;
    int32_t greenOffset;
    int32_t blueOffset;
};

}  // namespace clipvane
