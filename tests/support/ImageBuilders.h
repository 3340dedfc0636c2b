#pragma once
// Small images that several test areas build by hand.
#include "image/PixelImage.h"

namespace cvtest {

// A zero-filled 16-bit image in the 5-6-5 layout (bit-field masks F800,
// 07E0, 001F); empty when it cannot be created.
inline clipvane::PixelImage Make565(int width, int height) {
    clipvane::BitmapInfoHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 16;
    h.biCompression = clipvane::kBiBitfields;
    const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    clipvane::PixelImage img;
    img.CreateFromHeader(h, masks);
    return img;
}

}  // namespace cvtest
