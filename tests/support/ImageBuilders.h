#pragma once
// Images that the tests build by hand: from literal pixels, of one colour,
// gradients, photo-like pictures and the 16-bit 5-6-5 layout.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

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

// A 24- or 32-bit image of one 0xAARRGGBB colour.
inline PixelImage Uniform(int w, int h, int depth, uint32_t argb) {
    PixelImage img;
    EXPECT_TRUE(img.Create(w, h, depth));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) std::memcpy(img.PixelAddress(x, y), &argb, size_t(depth / 8));
    return img;
}

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

// A 24- or 32-bit image whose pixel (x, y) has blue x, green y, red x + y
// (mod 256), opaque at 32 bits.
inline PixelImage Gradient(int w, int h, int depth = 32) {
    PixelImage image;
    image.Create(w, h, depth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x + y);
            if (depth == 32) p[3] = 255;
        }
    return image;
}

// A photo-like picture: smooth gradients, flat patches of a few colours (so
// that equal colours and grey-level ties are common) and some noise; alpha
// varies at 32 bits.
PixelImage PhotoLike(int w, int h, int depth, uint32_t seed);

// A zero-filled 16-bit image in the 5-6-5 layout (bit-field masks F800,
// 07E0, 001F); empty when it cannot be created.
inline PixelImage Make565(int width, int height) {
    BitmapInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 16;
    h.biCompression = kBiBitfields;
    const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    PixelImage img;
    img.CreateFromHeader(h, masks);
    return img;
}

}  // namespace clipvane::test
