#pragma once
// Small builders shared by the document tests.
#include <cstdint>
#include <memory>

#include "annotation/AnnotationObject.h"
#include "image/Effect.h"
#include "image/PixelImage.h"

namespace clipvane::test {

// A 32-bit (or 24-bit) image filled with one blue, green, red, alpha colour.
inline PixelImage Solid(int w, int h, int depth, uint8_t b, uint8_t g, uint8_t r, uint8_t a = 255) {
    PixelImage image;
    image.Create(w, h, depth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            p[0] = b;
            p[1] = g;
            p[2] = r;
            if (depth == 32) p[3] = a;
        }
    return image;
}

// Pixel (x, y) of a 24- or 32-bit image as 0xAARRGGBB (alpha 0 at 24 bits).
inline uint32_t Px(const PixelImage& image, int x, int y) {
    const uint8_t* p = image.PixelAddress(x, y);
    const uint32_t a = image.Depth() == 32 ? p[3] : 0;
    return a << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

inline bool SamePixels(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (Px(a, x, y) != Px(b, x, y)) return false;
    return true;
}

// Adds a constant to the blue byte of every pixel (24 bits and up).
class AddBlueEffect : public ImageEffect {
public:
    explicit AddBlueEffect(int amount) : amount_(amount) {}
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 24; }
    void ProcessPixel(PixelImage&, int, int, uint8_t* pixel) override { pixel[0] = uint8_t(pixel[0] + amount_); }

private:
    int amount_;
};

inline std::unique_ptr<LineObject> MakeLine(int x1, int y1, int x2, int y2, int width = 2) {
    auto line = std::make_unique<LineObject>();
    line->x1 = x1;
    line->y1 = y1;
    line->x2 = x2;
    line->y2 = y2;
    line->width = width;
    return line;
}

inline std::unique_ptr<ShapeObject> MakeShape(int l, int t, int r, int b) {
    auto shape = std::make_unique<ShapeObject>();
    shape->left = l;
    shape->top = t;
    shape->right = r;
    shape->bottom = b;
    return shape;
}

inline std::unique_ptr<HighlightObject> MakeHighlight(int l, int t, int r, int b, int transparency) {
    auto h = std::make_unique<HighlightObject>();
    h->left = l;
    h->top = t;
    h->right = r;
    h->bottom = b;
    h->transparency = transparency;
    return h;
}

}  // namespace clipvane::test
