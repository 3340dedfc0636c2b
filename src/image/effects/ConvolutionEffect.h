#pragma once
// Convolution with a size x size integer kernel over the image with its edge
// pixels repeated outward; each colour channel becomes
// Clamp255(sum / divisor + offset). Alpha is kept.
//
// No whole copy of the image is taken: rows go in groups of RowGroup() rows,
// each worked top to bottom with a rolling window of the original rows it
// still reads (the edges repeated), and Begin keeps, at every boundary between
// groups, the few original rows on either side that the neighbouring group may
// overwrite first.
#include <span>
#include <vector>

#include "image/ImageEffect.h"

namespace clipvane {

class ConvolutionEffect : public SourceEffect {
public:
    // `kernel` holds size x size values row by row; a shorter kernel makes
    // the effect do nothing.
    ConvolutionEffect(std::span<const int32_t> kernel, int size, int divisor, int offset);
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    void End(PixelImage& image) override;
    // A row reads only rows of its own group not yet processed, its group's
    // window and the boundary rows saved in Begin.
    bool IndependentRows() const override { return true; }
    int RowGroup() const override;

private:
    // The original rows y - size / 2 .. y - size / 2 + size - 1 (clamped to
    // the image) of the group's current row y, each widened by size / 2
    // repeated edge pixels on both sides, in a ring of `size` rows.
    struct Window {
        std::vector<uint8_t> ring;
        std::vector<const uint8_t*> rows;  // rows[i]: original row y - size / 2 + i
        int y = -1;
    };

    // The window of row y, moved on to it; rows of a group come in order.
    const uint8_t* const* Rows(PixelImage& image, int y);
    // Original row r, widened, into its slot of the window of the group that
    // starts at groupFirst.
    void FillSlot(PixelImage& image, Window& w, int r, int groupFirst);
    // Frees the window of row y's group after the group's last row.
    void Release(int y);
    void ConvolvePixel(const uint8_t* const* rows, int x, uint8_t* pixel) const;
    bool FastRow(PixelImage& image, const uint8_t* const* rows, uint8_t* row, int width);

    std::vector<int32_t> kernel;
    int32_t size;
    int32_t divisor;
    int32_t offset;
    bool valid = false;  // the kernel has size x size values
    bool ready = false;  // Begin saved the boundary rows

    int half = 0;                       // rows and columns read on each side
    int rowCount = 0;                   // rows read per output row: max(size, 0)
    int imageHeight = 0;                // of the image in Begin
    int imageWidth = 0;                 // in pixels
    int pixelBytes = 0;                 // 3 or 4
    size_t wideBytes = 0;               // one widened row
    std::vector<uint8_t> boundaryRows;  // per boundary b: rows b - half .. b - half + rowCount - 2
    std::vector<Window> windows;        // one per group
};

// `out` = `image` with `margin` pixels added on every side that repeat the
// edge pixels: the same as a copy expanded with replication, built in one
// pass. False (out untouched or empty) when it cannot be made.
bool ExpandedCopy(const PixelImage& image, int margin, PixelImage& out);

// The "Blur" command: 1 2 1 / 2 4 2 / 1 2 1, divisor 16, offset 0.
ConvolutionEffect MakeBlurEffect();

}  // namespace clipvane
