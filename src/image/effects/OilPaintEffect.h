#pragma once
// Oil paint: each pixel takes the colour of the most frequent grey level in
// the window of 2 x radius + 1 pixels around it; ties go to the level that
// first reaches the winning count in row-by-row, left-to-right order.
#include <vector>

#include "image/ImageEffect.h"

namespace clipvane {

class OilPaintEffect : public SourceEffect {
public:
    explicit OilPaintEffect(int radius);
    void Begin(PixelImage& image) override;
    // The plain window count, one window per pixel.
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    // The same answer with a histogram that slides along the row.
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Reads the copies taken in Begin only.
    bool IndependentRows() const override { return true; }

private:
    int32_t radius;
    int32_t window;
    PixelImage grey;
    bool ready = false;  // false when the expanded copies could not be made
    // Size of the counts-of-counts table of the sliding path; 0 for the plain count.
    size_t countCells = 0;
};

}  // namespace clipvane
