#include "image/effects/SplashEffect.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

SplashEffect::SplashEffect(int spread, uint32_t seed) : RandomEffect(seed, 2), spread(std::max(spread, 3)) {}

void SplashEffect::Begin(PixelImage& image) {
    RandomEffect::Begin(image);
    TakeSource(&image);
}

void SplashEffect::Apply(RandomGenerator& generator, int x, int y, uint8_t* pixel, size_t bytes) const {
    int64_t nx = generator.Next() % spread + int64_t(x) - spread / 2;
    int64_t ny = generator.Next() % spread + int64_t(y) - spread / 2;
    nx = std::clamp<int64_t>(nx, 0, source->Width() - 1);
    ny = std::clamp<int64_t>(ny, 0, source->Height() - 1);
    std::memcpy(pixel, source->PixelAddress(int(nx), int(ny)), bytes);
}

void SplashEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    Apply(random, x, y, pixel, size_t(image.Depth() / 8));
}

void SplashEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    RandomGenerator generator = RowGenerator(y, width);
    const size_t bytes = size_t(image.Depth() / 8);
    for (int x = 0; x < width; ++x, row += bytes) Apply(generator, x, y, row, bytes);
}

}  // namespace clipvane
