#include "imagefile/DibReader.h"

#include <cstring>
#include <vector>

#include "image/PixelImage.h"
#include "imagefile/Limits.h"

namespace clipvane {

namespace {

constexpr size_t kFileHeader = 14;

bool KnownInfoHeaderSize(uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

bool MasksUnderstood(int depth, const uint32_t masks[3]) {
    if (depth == 32) return masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
    if (depth == 16)
        return masks[2] == 0x001F &&
               ((masks[0] == 0x7C00 && masks[1] == 0x03E0) || (masks[0] == 0xF800 && masks[1] == 0x07E0));
    return false;
}

// The bare bitmap at `dib` (`size` bytes); `pixelOffset` is where a file
// header says the rows start (relative to `dib`), 0 when there is none.
bool ReadDib(const uint8_t* dib, size_t size, uint64_t pixelOffset, PixelImage& image) {
    if (size < 4) return false;
    const uint32_t headerSize = ReadLe32(dib);
    if (!KnownInfoHeaderSize(headerSize) || size < headerSize) return false;
    const int64_t width = int32_t(ReadLe32(dib + 4));
    const int64_t height = int32_t(ReadLe32(dib + 8));
    const uint16_t planes = ReadLe16(dib + 12);
    const int depth = ReadLe16(dib + 14);
    const uint32_t compression = ReadLe32(dib + 16);
    const uint32_t sizeImage = ReadLe32(dib + 20);
    const uint32_t colorsUsed = ReadLe32(dib + 32);

    // Top-down (negative height) bitmaps are refused like empty ones.
    if (width <= 0 || height <= 0 || planes != 1) return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
    if (compression != kBiRgb && !(compression == kBiBitfields && (depth == 16 || depth == 32))) return false;
    if (!PixelStorageAllowed(width, height, depth)) return false;

    uint64_t tableStart = headerSize;
    uint32_t masks[3] = {0, 0, 0};
    if (compression == kBiBitfields) {
        // The masks follow a plain 40-byte header and sit inside the larger ones.
        if (headerSize == 40) tableStart += 12;
        if (size < 40 + 12) return false;
        for (int i = 0; i < 3; ++i) masks[i] = ReadLe32(dib + 40 + 4 * i);
        if (!MasksUnderstood(depth, masks)) return false;
    }
    uint64_t tableEntries = colorsUsed;
    if (depth <= 8) {
        // The whole table or nothing: a shorter one would leave pixels
        // pointing past it.
        const uint32_t full = 1u << depth;
        if (colorsUsed != 0 && colorsUsed != full) return false;
        tableEntries = full;
    }
    const uint64_t tableEnd = tableStart + tableEntries * 4;
    if (tableEnd > size) return false;
    const uint64_t pixelStart = pixelOffset != 0 ? pixelOffset : tableEnd;
    if (pixelStart < tableEnd || pixelStart > size) return false;
    const uint64_t need = uint64_t(StrideFor(width, depth)) * uint64_t(height);
    const uint64_t have = size - pixelStart;
    if (have < need) return false;
    if (sizeImage != 0 && (sizeImage < need || sizeImage > have)) return false;

    BitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = int32_t(width);
    h.biHeight = int32_t(height);
    h.biPlanes = 1;
    h.biBitCount = uint16_t(depth);
    h.biCompression = depth == 16 ? compression : kBiRgb;
    PixelImage out;
    if (!out.CreateFromHeader(h, masks)) return false;
    if (depth <= 8) {
        std::vector<RgbQuad> palette(tableEntries);
        std::memcpy(palette.data(), dib + tableStart, size_t(tableEntries) * 4);
        out.SetPalette(0, int(tableEntries), palette.data());
    }
    std::memcpy(out.Bits(), dib + pixelStart, size_t(need));
    if (depth != 32) {
        out.ConvertTo(32);
        if (out.Depth() != 32) return false;
        out.SetAlpha(255);
    } else if (compression == kBiBitfields) {
        out.SetAlpha(255);
    }
    image = std::move(out);
    return true;
}

}  // namespace

bool ReadDibFromMemory(const uint8_t* data, size_t size, PixelImage& image) {
    if (!data) return false;
    if (size >= kFileHeader && data[0] == 'B' && data[1] == 'M') {
        // A BMP file: its total size may not promise more than there is, and
        // its pixel offset must lie past the info header and colour table.
        const uint32_t fileSize = ReadLe32(data + 2);
        const uint32_t offset = ReadLe32(data + 10);
        if (fileSize > size || offset <= kFileHeader) return false;
        return ReadDib(data + kFileHeader, size - kFileHeader, offset - kFileHeader, image);
    }
    return ReadDib(data, size, 0, image);
}

}  // namespace clipvane
