#pragma once
// Quarter turns. Begin re-creates the image with width and height exchanged;
// each pixel is then copied from the source taken before.
#include "image/ImageEffect.h"

namespace clipvane {

class QuarterTurnEffect : public SourceEffect {
public:
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 8; }
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Rows read the copy taken in Begin; a band of kTurnBand rows is turned
    // at its first row.
    bool IndependentRows() const override { return true; }
    int RowGroup() const override { return kTurnBand; }
    static constexpr int kTurnBand = 32;

protected:
    explicit QuarterTurnEffect(bool clockwise) : clockwise(clockwise) {}

private:
    // Source pixel of new pixel (x, y).
    const uint8_t* From(int x, int y) const;

    bool clockwise;
    bool ready = false;
};

// Clockwise as seen on screen: the old left edge becomes the top.
class Rotate90Effect : public QuarterTurnEffect {
public:
    Rotate90Effect() : QuarterTurnEffect(true) {}
};

// Counter-clockwise.
class Rotate270Effect : public QuarterTurnEffect {
public:
    Rotate270Effect() : QuarterTurnEffect(false) {}
};

}  // namespace clipvane
