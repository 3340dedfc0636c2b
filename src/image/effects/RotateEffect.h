#pragma once
// Rotation by a whole-degree angle, clockwise on screen. The image grows to
// hold the turned picture; corners outside it stay zero (transparent black).
#include "image/ImageEffect.h"

namespace clipvane {

struct IntPoint {
    int x = 0;
    int y = 0;
    bool operator==(const IntPoint&) const = default;
};

// Turns (x, y) clockwise (y axis down) by theta radians about (cx, cy),
// rounding each coordinate half away from zero.
IntPoint RotatePoint(int x, int y, double cx, double cy, double theta);

class RotateEffect : public SourceEffect {
public:
    explicit RotateEffect(int degrees);
    bool CanApply(const PixelImage& image) const override;
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Rows read the copy taken in Begin; a band of kRotateBand rows is worked
    // at its first row.
    bool IndependentRows() const override { return true; }
    int RowGroup() const override { return kRotateBand; }
    static constexpr int kRotateBand = 32;

    // Where pixel (x, y) of the turned image comes from; false outside the
    // source. Valid after Begin.
    virtual bool MapToSource(int x, int y, double& sx, double& sy) const;

    int NewWidth() const { return newWidth; }
    int NewHeight() const { return newHeight; }

private:
    void Sample(const PixelImage& image, double sx, double sy, uint8_t* pixel) const;

    double forward;
    double backward;
    int32_t newWidth = 0;
    int32_t newHeight = 0;
    double backSin = 0;
    double backCos = 1;
    bool ready = false;
};

}  // namespace clipvane
