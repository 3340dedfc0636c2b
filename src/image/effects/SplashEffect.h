#pragma once
// Splash: every pixel takes the colour of a random source pixel at most
// spread / 2 away in each direction.
#include "image/effects/NoiseEffect.h"

namespace clipvane {

class SplashEffect : public RandomEffect {
public:
    explicit SplashEffect(int spread, uint32_t seed = TimeSeed());
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    // Reads only the copy taken in Begin.
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;

private:
    void Apply(RandomGenerator& generator, int x, int y, uint8_t* pixel, size_t bytes) const;
    int32_t spread;
};

}  // namespace clipvane
