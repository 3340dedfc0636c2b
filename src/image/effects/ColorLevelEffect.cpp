#include "image/effects/ColorLevelEffect.h"

#include <cmath>

namespace clipvane {

namespace {

// Low and high ends of one channel's histogram over bins first..last.
void FindLevels(const uint64_t hist[256], int first, int last, int32_t& low, int32_t& high) {
    uint64_t n = 0;
    for (int i = first; i <= last; ++i) n += hist[i];
    low = first;
    if (n == 0) {
        high = first;
        return;
    }
    high = last;
    const double total = double(n);
    uint64_t cum = 0;
    for (int i = first; i < last; ++i) {
        cum += hist[i];
        if (std::fabs(double(cum + hist[i + 1]) / total - 0.006) > std::fabs(double(cum) / total - 0.006)) {
            low = i + 1;
            break;
        }
    }
    cum = 0;
    for (int b = last; b > first; --b) {
        cum += hist[b];
        if (std::fabs(double(cum + hist[b - 1]) / total - 0.006) > std::fabs(double(cum) / total - 0.006)) {
            high = b - 1;
            break;
        }
    }
}

}  // namespace

ColorLevelEffect::ColorLevelEffect(bool automatic, int lowLevel, int highLevel, int channels)
    : automatic(automatic), red((channels & 1) != 0), green((channels & 2) != 0), blue((channels & 4) != 0) {
    low.fill(Clamp255(lowLevel));
    high.fill(Clamp255(highLevel));
}

int ColorLevelEffect::MapChannel(int c, int v) const {
    const int lo = low[size_t(c)], hi = high[size_t(c)];
    const double q = hi != lo ? double(v - lo) / (hi - lo) : double(v - lo);
    return Clamp255(RoundHalfAway(q * 255));
}

void ColorLevelEffect::Begin(PixelImage& image) {
    if (automatic && CanApply(image)) {
        uint64_t hist[3][256] = {};
        const int step = image.Depth() / 8;
        for (int y = 0; y < image.Height(); ++y) {
            const uint8_t* p = image.Row(y);
            for (int x = 0; x < image.Width(); ++x, p += step) {
                ++hist[0][p[0]];
                ++hist[1][p[1]];
                ++hist[2][p[2]];
            }
        }
        for (int c = 0; c < 3; ++c) FindLevels(hist[c], first, last, low[size_t(c)], high[size_t(c)]);
    }
    // Each channel's result depends on its level alone: one table per channel.
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) tables[c][v] = uint8_t(MapChannel(c, v));
}

void ColorLevelEffect::ProcessPixel(PixelImage&, int, int, uint8_t* pixel) {
    if (blue) pixel[0] = uint8_t(MapChannel(0, pixel[0]));
    if (green) pixel[1] = uint8_t(MapChannel(1, pixel[1]));
    if (red) pixel[2] = uint8_t(MapChannel(2, pixel[2]));
}

void ColorLevelEffect::ProcessRow(PixelImage& image, int, uint8_t* row, int width) {
    const int step = image.Depth() / 8;
    for (int x = 0; x < width; ++x, row += step) {
        if (blue) row[0] = tables[0][row[0]];
        if (green) row[1] = tables[1][row[1]];
        if (red) row[2] = tables[2][row[2]];
    }
}

}  // namespace clipvane
