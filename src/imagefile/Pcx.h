#pragma once
// PCX (ZSoft, version 5) encoding: 24-bit images as three run-length coded
// colour planes, palette images as one 8-bit plane with the 256-colour
// palette after the pixels. Other depths are first converted: 1 and 4 bits to
// 8-bit indexes, 16 and 32 bits to 24-bit colour (alpha is dropped).
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

// The whole file; empty for an empty image or one wider or taller than the
// format's 16-bit coordinates allow.
std::vector<uint8_t> EncodePcx(const PixelImage& image);

enum class PcxResult { kDecoded, kRefused, kOtherLayout };

// Decodes 8-bit PCX files of 1 plane (with the 256-colour palette at the
// end, or a grey ramp without one), 3 planes (24-bit) and 4 planes (32-bit),
// run-length coded or not. Malformed files are refused; other valid layouts
// (1, 2 and 4 bits per pixel) give kOtherLayout and `image` is untouched.
PcxResult DecodePcx(const uint8_t* bytes, size_t size, PixelImage& image);

}  // namespace clipvane
