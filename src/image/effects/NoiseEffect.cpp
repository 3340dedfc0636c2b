#include "image/effects/NoiseEffect.h"

#include <algorithm>

namespace clipvane {

namespace {

uint8_t AddClamped(uint8_t v, int64_t offset) {
    const int64_t s = v + offset;
    return uint8_t(s < 0 ? 0 : s > 255 ? 255 : s);
}

// Half away from zero in 64 bits: the amount is unbounded.
int64_t RoundWide(double v) { return v > 0 ? int64_t(v + 0.5) : int64_t(v - 0.5); }

}  // namespace

void RandomEffect::Begin(PixelImage& image) {
    start_ = random.State();
    pixels_ = int64_t(image.Width()) * image.Height();
}

void RandomEffect::End(PixelImage& /*image*/) {
    random.Seed(start_);
    random.Jump(uint64_t(pixels_) * uint64_t(draws_));
}

RandomGenerator RandomEffect::RowGenerator(int y, int width) const {
    RandomGenerator generator(start_);
    generator.Jump(uint64_t(y) * uint64_t(width) * uint64_t(draws_));
    return generator;
}

int ColorNoiseEffect::Offset(RandomGenerator& generator) const {
    return int(RoundWide((generator.Next() * 3.051850947599719e-5 - 0.5) * amount));
}

void ColorNoiseEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    const int b = Offset(random);
    const int g = Offset(random);
    const int r = Offset(random);
    pixel[0] = AddClamped(pixel[0], b);
    pixel[1] = AddClamped(pixel[1], g);
    pixel[2] = AddClamped(pixel[2], r);
}

void ColorNoiseEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    RandomGenerator generator = RowGenerator(y, width);
    const int step = image.Depth() / 8;
    for (int x = 0; x < width; ++x, row += step) {
        row[0] = AddClamped(row[0], Offset(generator));
        row[1] = AddClamped(row[1], Offset(generator));
        row[2] = AddClamped(row[2], Offset(generator));
    }
}

GreyNoiseEffect::GreyNoiseEffect(int amount, uint32_t seed)
    : RandomEffect(seed, 4), amount(std::clamp(amount, 0, 100)) {}

void GreyNoiseEffect::Apply(RandomGenerator& generator, uint8_t* pixel) const {
    // Four uniform draws scaled to mean 0 and standard deviation 1.
    const int sum = generator.Next() + generator.Next() + generator.Next() + generator.Next();
    const double g = sum * 5.28596089837e-5 - 3.46410161514;
    const int c = int(g * amount * 1.27);
    pixel[0] = AddClamped(pixel[0], c);
    pixel[1] = AddClamped(pixel[1], c);
    pixel[2] = AddClamped(pixel[2], c);
}

void GreyNoiseEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) { Apply(random, pixel); }

void GreyNoiseEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    RandomGenerator generator = RowGenerator(y, width);
    const int step = image.Depth() / 8;
    for (int x = 0; x < width; ++x, row += step) Apply(generator, row);
}

}  // namespace clipvane
