#include "document/DropShadowEffect.h"

#include <algorithm>
#include <vector>

#include "document/BlendImage.h"

namespace clipvane {

DropShadowEffect::DropShadowEffect(int blur, uint8_t blue, uint8_t green, uint8_t red, int strength, int offsetX,
                                   int offsetY)
    : blur_(std::max(blur, 2)),
      colour_{blue, green, red},
      strength_(std::clamp(strength, 1, 100)),
      offsetX_(offsetX),
      offsetY_(offsetY) {}

bool DropShadowEffect::CanApply(const PixelImage& image) const { return !image.IsEmpty() && image.Depth() == 32; }

void DropShadowEffect::ProcessImage(PixelImage& image, ProgressReporter* /*progress*/) {
    const PixelImage source(image);
    const int w = source.Width(), h = source.Height();
    // Union of the image and the shadow rectangle (the image moved by the
    // offset and enlarged by the blur size on every side).
    const Rect shadow{offsetX_ - blur_, offsetY_ - blur_, w + offsetX_ + blur_, h + offsetY_ + blur_};
    const Rect u{std::min(0, shadow.left), std::min(0, shadow.top), std::max(w, shadow.right),
                 std::max(h, shadow.bottom)};
    PixelImage result;
    if (!result.Create(u.Width(), u.Height(), 32)) return;

    for (int y = 0; y < h; ++y) {
        const uint8_t* in = source.Row(y);
        uint8_t* out = result.Row(y + offsetY_ - u.top) + size_t(offsetX_ - u.left) * 4;
        for (int x = 0; x < w; ++x, in += 4, out += 4) {
            out[0] = colour_[0];
            out[1] = colour_[1];
            out[2] = colour_[2];
            out[3] = uint8_t(in[3] * strength_ / 100);
        }
    }
    ShadowBlurEffect blur(blur_);
    result.ApplyEffect(blur);
    BlendImage(result, source, -u.left, -u.top, 100);
    result.originX = image.originX + u.left;
    result.originY = image.originY + u.top;
    result.frameDelay = image.frameDelay;
    image = std::move(result);
}

bool ShadowBlurEffect::CanApply(const PixelImage& image) const {
    return !image.IsEmpty() && image.Depth() == 32 && box_ > 0;
}

void ShadowBlurEffect::ProcessImage(PixelImage& image, ProgressReporter* /*progress*/) {
    const int w = image.Width(), h = image.Height(), n = box_, half = box_ / 2;
    // The window of output (x, y) covers image columns x - half .. x - half + n - 1
    // and the same rows; pixels outside the image count as transparent.
    // Per column, sums over the window's rows, updated by running totals.
    struct Sums {
        uint64_t b = 0, g = 0, r = 0, a = 0;
    };
    const int cols = w + n;  // padded columns: index c is image column c - half
    std::vector<Sums> column(static_cast<size_t>(cols));
    const PixelImage source(image);

    auto addRow = [&](int row, int sign) {
        if (row < 0 || row >= h) return;
        const uint8_t* p = source.Row(row);
        for (int x = 0; x < w; ++x, p += 4) {
            const uint64_t a = p[3];
            if (a == 0) continue;
            Sums& s = column[size_t(x + half)];
            if (sign > 0) {
                s.b += p[0] * a;
                s.g += p[1] * a;
                s.r += p[2] * a;
                s.a += a;
            } else {
                s.b -= p[0] * a;
                s.g -= p[1] * a;
                s.r -= p[2] * a;
                s.a -= a;
            }
        }
    };

    // Rows of the first window: y - half .. y - half + n - 1 for y = 0.
    for (int row = -half; row < -half + n; ++row) addRow(row, +1);
    const uint64_t area = uint64_t(n) * uint64_t(n);
    for (int y = 0; y < h; ++y) {
        if (y > 0) {
            addRow(y - 1 - half, -1);
            addRow(y - half + n - 1, +1);
        }
        Sums s;
        for (int c = 0; c < n; ++c) {
            s.b += column[size_t(c)].b;
            s.g += column[size_t(c)].g;
            s.r += column[size_t(c)].r;
            s.a += column[size_t(c)].a;
        }
        uint8_t* out = image.Row(y);
        for (int x = 0; x < w; ++x, out += 4) {
            if (x > 0) {
                const Sums& leaving = column[size_t(x - 1)];
                const Sums& entering = column[size_t(x + n - 1)];
                s.b += entering.b - leaving.b;
                s.g += entering.g - leaving.g;
                s.r += entering.r - leaving.r;
                s.a += entering.a - leaving.a;
            }
            if (s.a == 0) {
                out[0] = out[1] = out[2] = 0;
            } else {
                out[0] = uint8_t(s.b / s.a);
                out[1] = uint8_t(s.g / s.a);
                out[2] = uint8_t(s.r / s.a);
            }
            out[3] = uint8_t(s.a / area);
        }
    }
}

}  // namespace clipvane
