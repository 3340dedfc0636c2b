#pragma once
// "3D Grid": each cell x cell tile gets a darker line on its second row and
// second-to-last column and a lighter one on its second column and
// second-to-last row.
#include "image/ImageEffect.h"

namespace clipvane {

class GridEffect : public SourceEffect {
public:
    GridEffect(int cell, int depth);
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    // Each pixel alone, with the offset of its position.
    bool IndependentRows() const override { return true; }

    // The offset added at (x, y): -depth, 0 or +depth.
    int64_t Offset(int x, int y) const;

private:
    int32_t cell;
    int32_t depth;
};

}  // namespace clipvane
