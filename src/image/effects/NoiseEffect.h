#pragma once
// The random filters. Each effect object owns its generator, seeded once at
// construction (from the clock unless a seed is given), so one object applied
// to two images continues its sequence rather than repeating it.
//
// Every pixel draws the same number of random numbers, so the numbers of row
// y are those the row-order run draws after y x width x DrawsPerPixel: each
// row starts its own generator there (RowGenerator), rows run on several
// threads, and the bytes are those of the row-order run.
#include "image/ImageEffect.h"

namespace clipvane {

class RandomEffect : public SourceEffect {
public:
    RandomEffect(uint32_t seed, int drawsPerPixel) : random(seed), draws_(drawsPerPixel) {}
    void Seed(uint32_t seed) { random.Seed(seed); }
    // Notes where the sequence stands for this image.
    void Begin(PixelImage& image) override;
    // The generator goes on after the image's last draw, as in row order.
    void End(PixelImage& image) override;
    bool IndependentRows() const override { return true; }

protected:
    // The generator as the row-order run has it at the start of row y.
    RandomGenerator RowGenerator(int y, int width) const;

    // Used by ProcessPixel, which runs in row order only.
    RandomGenerator random;

private:
    const int draws_;
    uint32_t start_ = 0;
    int64_t pixels_ = 0;
};

// Each channel gets its own offset in -amount/2..+amount/2.
class ColorNoiseEffect : public RandomEffect {
public:
    explicit ColorNoiseEffect(int amount, uint32_t seed = TimeSeed()) : RandomEffect(seed, 3), amount(amount) {}
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;

private:
    int Offset(RandomGenerator& generator) const;
    int32_t amount;
};

// One roughly normal offset per pixel, the same for all three channels.
class GreyNoiseEffect : public RandomEffect {
public:
    explicit GreyNoiseEffect(int amount, uint32_t seed = TimeSeed());
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;

private:
    void Apply(RandomGenerator& generator, uint8_t* pixel) const;
    int32_t amount;
};

}  // namespace clipvane
