#pragma once
// Colour levels: each enabled channel is stretched from its own low..high to
// 0..255. In automatic mode Begin finds low and high from the histograms,
// cutting about 0.6 % of the pixels off each end.
#include <array>

#include "image/ImageEffect.h"

namespace clipvane {

class ColorLevelEffect : public SourceEffect {
public:
    // `channels`: bit 1 red, bit 2 green, bit 4 blue.
    ColorLevelEffect(bool automatic, int low, int high, int channels = 7);
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Each pixel alone, through tables made in Begin.
    bool IndependentRows() const override { return true; }

    // Index 0 blue, 1 green, 2 red; automatic mode fills them in Begin.
    int Low(int channel) const { return low[size_t(channel)]; }
    int High(int channel) const { return high[size_t(channel)]; }

private:
    int MapChannel(int channel, int v) const;

    std::array<int32_t, 3> low;
    std::array<int32_t, 3> high;
    int32_t first = 0;
    int32_t last = 255;
    bool automatic;
    bool red;
    bool green;
    bool blue;
    uint8_t tables[3][256] = {};
};

}  // namespace clipvane
