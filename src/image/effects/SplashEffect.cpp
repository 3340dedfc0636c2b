#include "image/effects/SplashEffect.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

SplashEffect::SplashEffect(int spread, uint32_t seed) : RandomEffect(seed), spread(std::max(spread, 3)) {}

void SplashEffect::Begin(PixelImage& image) { TakeSource(&image); }

void SplashEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    int64_t nx = random.Next() % spread + int64_t(x) - spread / 2;
    int64_t ny = random.Next() % spread + int64_t(y) - spread / 2;
    nx = std::clamp<int64_t>(nx, 0, source->Width() - 1);
    ny = std::clamp<int64_t>(ny, 0, source->Height() - 1);
    std::memcpy(pixel, source->PixelAddress(int(nx), int(ny)), size_t(image.Depth() / 8));
}

}  // namespace clipvane
