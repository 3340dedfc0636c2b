#include "image/effects/HalftoneEffect.h"

namespace clipvane {

const uint8_t kBayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},    {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};

void HalftoneEffect::ProcessPixel(PixelImage&, int x, int y, uint8_t* pixel) {
    const int g = (pixel[2] * 30 + pixel[1] * 59 + pixel[0] * 11) / 400;
    const uint8_t v = kBayer8[y % 8][x % 8] < g ? 255 : 0;
    pixel[0] = pixel[1] = pixel[2] = v;
}

}  // namespace clipvane
