#pragma once
// Small helpers for the effect tests: images from literal pixels, photo-like
// test images, and the plain pixel-by-pixel application that optimised row
// paths are checked against.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "image/Effect.h"
#include "image/PixelImage.h"

namespace clipvane::test {

// Pixels row by row as 0xAARRGGBB (alpha ignored at 24 bits).
inline PixelImage MakeImage(int w, int h, int depth, std::initializer_list<uint32_t> pixels) {
    PixelImage img;
    EXPECT_TRUE(img.Create(w, h, depth));
    EXPECT_EQ(pixels.size(), size_t(w) * size_t(h));
    auto it = pixels.begin();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, ++it) std::memcpy(img.PixelAddress(x, y), &*it, size_t(depth / 8));
    return img;
}

inline PixelImage Uniform(int w, int h, int depth, uint32_t argb) {
    PixelImage img;
    EXPECT_TRUE(img.Create(w, h, depth));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) std::memcpy(img.PixelAddress(x, y), &argb, size_t(depth / 8));
    return img;
}

// Blue, green, red (and alpha) of pixel (x, y) as 0xAARRGGBB; alpha 0 at 24 bits.
inline uint32_t At(const PixelImage& img, int x, int y) {
    uint32_t v = 0;
    std::memcpy(&v, img.PixelAddress(x, y), size_t(img.Depth() / 8));
    return v;
}

// A photo-like picture: smooth gradients, flat patches of a few colours (so
// that equal colours and grey-level ties are common) and some noise; alpha
// varies at 32 bits.
PixelImage PhotoLike(int w, int h, int depth, uint32_t seed);

// The effect sequence of ApplyEffect with ProcessPixel called for every
// pixel, as the unoptimised framework would.
void ApplyPlain(PixelImage& image, ImageEffect& effect);

bool SamePixels(const PixelImage& a, const PixelImage& b);

}  // namespace clipvane::test
