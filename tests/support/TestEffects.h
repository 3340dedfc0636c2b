#pragma once
// Effects for tests: a trivial per-pixel effect and the plain pixel-by-pixel
// application that the optimised row paths are checked against.
#include <cstdint>

#include "image/ImageEffect.h"
#include "image/PixelImage.h"

namespace clipvane::test {

// Adds a constant to the blue byte of every pixel (24 bits and up).
class AddBlueEffect : public ImageEffect {
public:
    explicit AddBlueEffect(int amount) : amount_(amount) {}
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 24; }
    void ProcessPixel(PixelImage&, int, int, uint8_t* pixel) override { pixel[0] = uint8_t(pixel[0] + amount_); }

private:
    int amount_;
};

// The effect sequence of ApplyEffect with ProcessPixel called for every
// pixel, as the unoptimised framework would.
inline void ApplyPlain(PixelImage& image, ImageEffect& effect) {
    if (!effect.CanApply(image)) return;
    effect.Begin(image);
    if (effect.Mode() == ImageEffect::kWholeImage) {
        effect.ProcessImage(image, nullptr);
    } else {
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) effect.ProcessPixel(image, x, y, image.PixelAddress(x, y));
    }
    effect.End(image);
}

}  // namespace clipvane::test
