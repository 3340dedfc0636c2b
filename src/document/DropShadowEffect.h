#pragma once
// The drop shadow of annotation objects: the image is enlarged, a blurred,
// offset copy of its alpha in the shadow colour goes underneath, and the
// image itself is composited back over it.
#include <cstdint>

#include "image/ImageEffect.h"

namespace clipvane {

class DropShadowEffect : public ImageEffect {
public:
    // `blur` is at least 2; `strength` percent is clamped to 1..100; the
    // colour is given as blue, green and red bytes.
    DropShadowEffect(int blur, uint8_t blue, uint8_t green, uint8_t red, int strength, int offsetX, int offsetY);

    bool CanApply(const PixelImage& image) const override;
    int Mode() const override { return kWholeImage; }
    void ProcessImage(PixelImage& image, ProgressReporter* progress) override;

private:
    int blur_;
    uint8_t colour_[3];
    int strength_;
    int offsetX_;
    int offsetY_;
};

// The box blur of the shadow: every output pixel is the alpha-weighted mean
// colour and the mean alpha of the `box` x `box` window whose top-left is
// box / 2 pixels up and left of it (pixels outside the image are transparent).
class ShadowBlurEffect : public ImageEffect {
public:
    explicit ShadowBlurEffect(int box) : box_(box) {}
    bool CanApply(const PixelImage& image) const override;
    int Mode() const override { return kWholeImage; }
    void ProcessImage(PixelImage& image, ProgressReporter* progress) override;

private:
    int box_;
};

}  // namespace clipvane
