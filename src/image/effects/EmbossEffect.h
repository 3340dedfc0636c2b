#pragma once
// Emboss: each pixel becomes the grey of the difference between its own
// channel sum and that of its right-hand neighbour (not yet processed).
#include <vector>

#include "image/ImageEffect.h"

namespace clipvane {

class EmbossEffect : public SourceEffect {
public:
    explicit EmbossEffect(int strength) : strength(strength) {}
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // A pixel reads its right neighbour in its own row only.
    bool IndependentRows() const override { return true; }

private:
    int32_t strength;
};

}  // namespace clipvane
