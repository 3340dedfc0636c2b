#pragma once
// Convolution with a size x size integer kernel over an edge-replicated copy;
// each colour channel becomes Clamp255(sum / divisor + offset). Alpha is kept.
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
    // Reads the copy taken in Begin only.
    bool IndependentRows() const override { return true; }

private:
    bool FastRow(PixelImage& image, int y, uint8_t* row, int width);

    std::vector<int32_t> kernel;
    int32_t size;
    int32_t divisor;
    int32_t offset;
    bool valid = false;  // the kernel has size x size values
    bool ready = false;  // Begin made the expanded copy
};

// `out` = `image` with `margin` pixels added on every side that repeat the
// edge pixels: the same as a copy expanded with replication, built in one
// pass. False (out untouched or empty) when it cannot be made.
bool ExpandedCopy(const PixelImage& image, int margin, PixelImage& out);

// The "Blur" command: 1 2 1 / 2 4 2 / 1 2 1, divisor 16, offset 0.
ConvolutionEffect MakeBlurEffect();

}  // namespace clipvane
