#include "support/ImageBuilders.h"

#include "image/ImageEffect.h"

namespace clipvane::test {

PixelImage PhotoLike(int w, int h, int depth, uint32_t seed) {
    PixelImage img;
    EXPECT_TRUE(img.Create(w, h, depth));
    RandomGenerator rng(seed);
    static const uint8_t patches[4][3] = {{20, 40, 200}, {200, 40, 20}, {128, 128, 128}, {250, 250, 250}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            const int zone = ((x / 7) + (y / 5)) % 6;
            if (zone < 4) {
                std::memcpy(p, patches[zone], 3);
            } else {
                p[0] = uint8_t((x * 255) / (w > 1 ? w - 1 : 1));
                p[1] = uint8_t((y * 255) / (h > 1 ? h - 1 : 1));
                p[2] = uint8_t((x + y) * 3 + rng.Next() % 17);
            }
            if (depth == 32) p[3] = uint8_t(rng.Next() % 4 == 0 ? rng.Next() % 256 : 255);
        }
    }
    return img;
}

}  // namespace clipvane::test
