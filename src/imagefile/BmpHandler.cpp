// BMP files in the device-independent bitmap layout: a 14-byte file header,
// an info header, the palette or colour masks, and the rows bottom-up.
#include <cstring>
#include <vector>

#include "imagefile/AtomicFile.h"
#include "imagefile/Handlers.h"
#include "imagefile/Limits.h"

namespace clipvane {

namespace {

constexpr size_t kFileHeader = 14;

bool KnownInfoHeaderSize(uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

// The rows the header describes against the file's size: they must all be
// there but for at most the last one (some writers leave out its padding, or
// more; the missing bytes are left as created). `head` is the file's start, `fileSize` its whole length.
bool RowsFit(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (headSize < kFileHeader + 40) return false;
    const uint64_t offset = ReadLe32(head + 10);
    const int64_t width = int32_t(ReadLe32(head + 18)), height = int32_t(ReadLe32(head + 22));
    const int depth = ReadLe16(head + 28);
    if (width <= 0 || height <= 0 || depth == 0 || depth > 32) return false;
    if (!PixelStorageAllowed(width, height, depth)) return false;
    const uint64_t stride = uint64_t(StrideFor(width, depth));
    if (fileSize < offset || fileSize - offset + stride < stride * uint64_t(height)) {
        NoteFileError("the file is shorter than the rows its header describes");
        return false;
    }
    return true;
}

}  // namespace

bool BmpHandler::HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (headSize < kFileHeader + 40 || ReadLe16(head) != 0x4D42 || ReadLe32(head + 10) >= fileSize) return false;
    const uint32_t compression = ReadLe32(head + 30);
    return KnownInfoHeaderSize(ReadLe32(head + kFileHeader)) &&
           (compression == kBiRgb || compression == kBiBitfields) && RowsFit(head, headSize, fileSize);
}

bool BmpHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    if (!bytes || size <= kFileHeader) return false;
    if (ReadLe16(bytes) != 0x4D42) return false;
    const uint32_t offset = ReadLe32(bytes + 10);
    if (offset >= size) return false;
    if (size < kFileHeader + 4) return false;
    const uint32_t headerSize = ReadLe32(bytes + kFileHeader);
    if (!KnownInfoHeaderSize(headerSize) || size - kFileHeader < headerSize) return false;

    BitmapInfoHeader h;
    std::memcpy(&h, bytes + kFileHeader, sizeof h);
    const int depth = h.biBitCount;
    // Bottom-up rows only; top-down (negative height) and compressed bitmaps
    // are refused, as are bit-field masks at depths that cannot carry them.
    if (h.biWidth <= 0 || h.biHeight <= 0) return false;
    if (h.biCompression != kBiRgb && h.biCompression != kBiBitfields) return false;
    if (h.biCompression == kBiBitfields && depth != 16 && depth != 32) return false;
    if (!PixelStorageAllowed(h.biWidth, h.biHeight, depth) || !RowsFit(bytes, size, size)) return false;

    // Masks sit right after the first 40 bytes: inside the larger headers,
    // after the plain one.
    uint32_t masks[3] = {0, 0, 0};
    if (h.biCompression == kBiBitfields) {
        if (size < kFileHeader + 40 + 12) return false;
        for (int i = 0; i < 3; ++i) masks[i] = ReadLe32(bytes + kFileHeader + 40 + 4 * i);
        // 32-bit pixels are kept in blue, green, red, alpha byte order; 16-bit
        // masks must each be non-empty, within the 16 bits and apart.
        if (depth == 32 && (masks[0] != 0x00FF0000 || masks[1] != 0x0000FF00 || masks[2] != 0x000000FF)) return false;
        if (depth == 16 && !ValidMasks16(masks)) {
            NoteFileError("its colour masks are not valid for 16-bit pixels");
            return false;
        }
    }

    // Palette: 2^depth entries after the info header; a file that lists fewer
    // colours (colours-used) stores only those, the rest stay black.
    std::vector<RgbQuad> palette;
    const size_t paletteStart = kFileHeader + headerSize;
    if (depth <= 8) {
        const uint32_t full = 1u << depth;
        const uint32_t count = (h.biClrUsed > 0 && h.biClrUsed < full) ? h.biClrUsed : full;
        if (size - paletteStart < size_t(count) * 4) return false;
        palette.assign(full, RgbQuad{});
        std::memcpy(palette.data(), bytes + paletteStart, size_t(count) * 4);
    }

    auto image = std::make_unique<PixelImage>();
    h.biSize = 40;
    if (!image->CreateFromHeader(h, masks)) return false;
    if (depth <= 8) image->SetPalette(0, int(palette.size()), palette.data());
    const size_t want = image->ByteCount();
    const size_t have = size - offset;
    std::memcpy(image->Bits(), bytes + offset, have < want ? have : want);
    frames.push_back(std::move(image));
    return true;
}

bool BmpHandler::SaveFile(const std::string& path, int) {
    const PixelImage* image = Target();
    if (!image) return false;
    // Header and palette, or header and masks for bit-field images only.
    std::vector<uint8_t> info = image->BuildBitmapInfo();
    if (image->Depth() > 8 && image->Info().biCompression != kBiBitfields) info.resize(40);
    const uint64_t pixels = image->ByteCount();
    const uint64_t total = pixels + kFileHeader + info.size();
    if (total > 0xFFFFFFFFu) return false;
    uint8_t header[kFileHeader] = {};
    PutLe16(header, 0x4D42);
    PutLe32(header + 2, uint32_t(total));
    PutLe32(header + 10, uint32_t(total - pixels));
    OutputFile out(path);
    out.Write(header, sizeof header);
    out.Write(info.data(), info.size());
    out.Write(image->Bits(), pixels);
    return out.Close();
}

}  // namespace clipvane
