#pragma once
// Mosaic: blocks of block x block pixels, aligned to the top-left corner,
// each filled with its alpha-weighted mean colour. 32-bit images only.
#include "image/ImageEffect.h"

namespace clipvane {

class MosaicEffect : public SourceEffect {
public:
    explicit MosaicEffect(int block);
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() == 32; }
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // A row reads only rows of its own block row: the block's unprocessed
    // rows for the mean, its processed top row for the copies.
    bool IndependentRows() const override { return true; }
    int RowGroup() const override { return block; }

private:
    int32_t block;
};

}  // namespace clipvane
