#pragma once
// Hue and saturation scaled in HSL space; 100 percent keeps each (up to the
// truncation of the round trip).
#include "image/ImageEffect.h"

namespace clipvane {

class HueSaturationEffect : public SourceEffect {
public:
    HueSaturationEffect(int huePercent, int saturationPercent);
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Each pixel alone.
    bool IndependentRows() const override { return true; }

private:
    void Map(const uint8_t* in, uint8_t out[3]) const;

    int32_t huePercent;
    int32_t saturationPercent;
};

}  // namespace clipvane
