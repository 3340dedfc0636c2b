#include "image/effects/RotateEffect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace clipvane {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// RotatePoint with the sine and cosine already taken (they are the same
// doubles whether computed once or per call).
inline IntPoint Turn(int x, int y, double cx, double cy, double s, double c) {
    const double dx = x - cx, dy = cy - y;
    return {RoundHalfAway(cx + dy * s + dx * c), RoundHalfAway(cy - (dy * c - dx * s))};
}

}  // namespace

IntPoint RotatePoint(int x, int y, double cx, double cy, double theta) {
    return Turn(x, y, cx, cy, std::sin(theta), std::cos(theta));
}

RotateEffect::RotateEffect(int degrees) {
    int a = degrees % 360;
    if (a < 0) a += 360;
    forward = a * kRadiansPerDegree;
    backward = (360 - a) * kRadiansPerDegree;
}

bool RotateEffect::CanApply(const PixelImage& image) const {
    return !image.IsEmpty() && image.Depth() >= 24 && image.Width() > 1 && image.Height() > 1;
}

void RotateEffect::Begin(PixelImage& image) {
    const int W = image.Width(), H = image.Height(), depth = image.Depth();
    const double s = std::sin(forward), c = std::cos(forward);
    const IntPoint corners[4] = {Turn(0, 0, W * 0.5, H * 0.5, s, c), Turn(W, 0, W * 0.5, H * 0.5, s, c),
                                 Turn(0, H, W * 0.5, H * 0.5, s, c), Turn(W, H, W * 0.5, H * 0.5, s, c)};
    int minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const IntPoint& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    newWidth = maxX - minX;
    newHeight = maxY - minY;
    backSin = std::sin(backward);
    backCos = std::cos(backward);
    // The image itself becomes the source (moved, not copied) and is created
    // anew at the turned size.
    source = std::make_unique<PixelImage>(std::move(image));
    ready = image.Create(newWidth, newHeight, depth);
    if (!ready) {
        image = std::move(*source);
        source.reset();
    }
}

bool RotateEffect::MapToSource(int x, int y, double& sx, double& sy) const {
    const IntPoint p = Turn(x, y, (newWidth - 1) * 0.5, (newHeight - 1) * 0.5, backSin, backCos);
    const int W = source->Width(), H = source->Height();
    sx = p.x - (newWidth - W) * 0.5;
    sy = p.y - (newHeight - H) * 0.5;
    return sx >= 0 && sx <= W - 1 && sy >= 0 && sy <= H - 1;
}

void RotateEffect::Sample(const PixelImage& image, double sx, double sy, uint8_t* pixel) const {
    const int W = source->Width(), H = source->Height();
    sx = std::max(0.0, std::min(sx, W - 1.1));
    sy = std::max(0.0, std::min(sy, H - 1.1));
    const int ix = int(sx), iy = int(sy);
    const int bytes = image.Depth() / 8;
    const uint8_t* top = source->PixelAddress(ix, iy);
    const uint8_t* below = source->PixelAddress(ix, iy + 1);
    if (bytes == 4) {
        // All four bytes are written: sample straight into the pixel (a
        // buffer read back as one word stalls on store forwarding).
        SampleBilinear(sx - ix, sy - iy, true, top, top + 4, below, below + 4, pixel);
        return;
    }
    uint8_t out[4];
    SampleBilinear(sx - ix, sy - iy, false, top, top + 3, below, below + 3, out);
    std::memcpy(pixel, out, 3);
}

void RotateEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    double sx, sy;
    if (ready && MapToSource(x, y, sx, sy)) Sample(image, sx, sy, pixel);
}

void RotateEffect::ProcessRow(PixelImage& image, int y, uint8_t*, int width) {
    if (!ready) return;
    // A turned row walks diagonally through the source, a new source line
    // for nearly every pixel. Working in square tiles keeps the source lines
    // of a tile in the cache, so bands of kRotateBand rows are done at the first
    // row of the band. Each pixel is computed exactly as on its own.
    constexpr int kTileWidth = 64;
    if (y % kRotateBand != 0) return;
    const int y1 = std::min(y + kRotateBand, image.Height());
    const int bytes = image.Depth() / 8;
    for (int x0 = 0; x0 < width; x0 += kTileWidth) {
        const int x1 = std::min(x0 + kTileWidth, width);
        for (int yy = y; yy < y1; ++yy) {
            uint8_t* p = image.PixelAddress(x0, yy);
            for (int x = x0; x < x1; ++x, p += bytes) {
                double sx, sy;
                if (MapToSource(x, yy, sx, sy)) Sample(image, sx, sy, p);
            }
        }
    }
}

}  // namespace clipvane
