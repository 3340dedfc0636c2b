#pragma once
// The random filters. Each effect object owns its generator, seeded once at
// construction (from the clock unless a seed is given), so one object applied
// to two images continues its sequence rather than repeating it.
#include "image/ImageEffect.h"

namespace clipvane {

class RandomEffect : public SourceEffect {
public:
    explicit RandomEffect(uint32_t seed) : random(seed) {}
    void Seed(uint32_t seed) { random.Seed(seed); }

protected:
    RandomGenerator random;
};

// Each channel gets its own offset in -amount/2..+amount/2.
class ColourNoiseEffect : public RandomEffect {
public:
    explicit ColourNoiseEffect(int amount, uint32_t seed = TimeSeed()) : RandomEffect(seed), amount(amount) {}
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    // Sequential: the random numbers are drawn in row order.
    bool IndependentRows() const override { return false; }

private:
    int Offset();
    int32_t amount;
};

// One roughly normal offset per pixel, the same for all three channels.
class GreyNoiseEffect : public RandomEffect {
public:
    explicit GreyNoiseEffect(int amount, uint32_t seed = TimeSeed());
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    // Sequential: the random numbers are drawn in row order.
    bool IndependentRows() const override { return false; }

private:
    int32_t amount;
};

}  // namespace clipvane
