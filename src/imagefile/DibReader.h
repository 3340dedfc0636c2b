#pragma once
// Bitmaps as other programs put them on the clipboard: a whole BMP file or a
// bare device-independent bitmap (info header, colour table or masks, rows).
#include <cstddef>
#include <cstdint>

namespace clipvane {

class PixelImage;

// Decodes `size` bytes at `data` into a 32-bit `image`: depths 1, 4, 8, 16,
// 24 and 32, uncompressed or with bit-field masks (5-5-5 and 5-6-5 at 16
// bits, blue-green-red at 32), bottom-up rows only. Pixels read from fewer
// than 32 bits, and 32-bit bit-field pixels, become opaque; a plain 32-bit
// bitmap keeps its fourth bytes as alpha. Refused (false, `image` untouched):
// a colour table shorter or longer than the depth allows, size fields that
// promise more than the data holds or less than the rows need, zero or
// negative sizes, more pixels than the readers' limit, and every other
// layout. Never reads outside the `size` bytes.
bool ReadDibFromMemory(const uint8_t* data, size_t size, PixelImage& image);

}  // namespace clipvane
