#include "image/effects/GridEffect.h"

#include <algorithm>

namespace clipvane {

GridEffect::GridEffect(int cell, int depth) : cell(std::max(cell, 1)), depth(depth) {}

int64_t GridEffect::Offset(int x, int y) const {
    // C remainders on purpose: (y - 1) % d is -1 at y = 0, so row 0 is never a line.
    const int64_t d = cell, X = x, Y = y;
    const bool xInner = X % d != 0 && (X + 1) % d != 0;
    const bool yInner = Y % d != 0 && (Y + 1) % d != 0;
    if ((Y - 1) % d == 0 && xInner) return -int64_t(depth);
    if ((Y + 2) % d == 0 && xInner) return depth;
    if ((X - 1) % d == 0 && yInner) return depth;
    if ((X + 2) % d == 0 && yInner) return -int64_t(depth);
    return 0;
}

void GridEffect::ProcessPixel(PixelImage&, int x, int y, uint8_t* pixel) {
    const int64_t offset = Offset(x, y);
    if (offset == 0) return;
    for (int c = 0; c < 3; ++c) {
        const int64_t v = pixel[c] + offset;
        pixel[c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

}  // namespace clipvane
