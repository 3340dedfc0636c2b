#pragma once
// Grey conversions: GreyEffect greys the colour bytes in place; GreyLevelEffect
// turns any image into an 8-bit image of grey-ramp indexes (oil paint uses it).
#include "image/ImageEffect.h"

namespace clipvane {

class GreyEffect : public SourceEffect {
public:
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    bool IndependentRows() const override { return true; }
};

class GreyLevelEffect : public SourceEffect {
public:
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty(); }
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    bool IndependentRows() const override { return true; }

private:
    bool ready = false;  // false when the 8-bit image could not be created
};

}  // namespace clipvane
