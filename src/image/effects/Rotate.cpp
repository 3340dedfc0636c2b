#include "image/effects/Rotate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cv {

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
    uint8_t out[4];
    SampleBilinear(sx - ix, sy - iy, bytes == 4, top, top + bytes, below, below + bytes, out);
    std::memcpy(pixel, out, size_t(bytes));
}

void RotateEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    double sx, sy;
    if (ready && MapToSource(x, y, sx, sy)) Sample(image, sx, sy, pixel);
}

void RotateEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (!ready) return;
    const int bytes = image.Depth() / 8;
    for (int x = 0; x < width; ++x, row += bytes) {
        double sx, sy;
        if (MapToSource(x, y, sx, sy)) Sample(image, sx, sy, row);
    }
}

}  // namespace cv
