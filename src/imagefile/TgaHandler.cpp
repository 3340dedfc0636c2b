// Truevision TGA: an 18-byte header, an id field, an optional colour map and
// the pixel rows, raw or run-length coded.
#include <bit>
#include <cstring>
#include <vector>

#include "imagefile/AtomicFile.h"
#include "imagefile/Handlers.h"
#include "imagefile/Limits.h"

namespace clipvane {

namespace {

constexpr size_t kHeader = 18;
constexpr char kId[] = "Vantile -- TGA";
constexpr size_t kIdLength = sizeof kId - 1;

// Decodes one run-length coded row of `width` pixels. False when a packet
// crosses the row's end or the data runs out.
bool DecodeRunLengthRow(const uint8_t*& p, const uint8_t* end, uint8_t* row, int width, int pixelBytes) {
    int x = 0;
    while (x < width) {
        if (p >= end) return false;
        const int c = *p++;
        const int count = (c & 0x7F) + 1;
        if (count > width - x) return false;
        if (c & 0x80) {
            if (end - p < pixelBytes) return false;
            for (int i = 0; i < count; ++i, ++x) std::memcpy(row + size_t(x) * pixelBytes, p, size_t(pixelBytes));
            p += pixelBytes;
        } else {
            const size_t n = size_t(count) * size_t(pixelBytes);
            if (size_t(end - p) < n) return false;
            std::memcpy(row + size_t(x) * pixelBytes, p, n);
            p += n;
            x += count;
        }
    }
    return true;
}

// Top five bits of a channel under `mask` (its lowest run of set bits).
// Every shift stays below 32 whatever the mask, even one reaching bit 31.
uint32_t FiveBits(uint32_t word, uint32_t mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::countr_one(mask >> shift);
    const uint32_t v = (word & mask) >> shift;
    return (bits >= 5 ? v >> (bits - 5) : v << (5 - bits)) & 0x1F;
}

void RepackTo555(const uint8_t* row, int width, uint32_t red, uint32_t green, uint32_t blue, uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        const uint32_t w = ReadLe16(row + 2 * x);
        PutLe16(out + 2 * x, (FiveBits(w, red) << 10) | (FiveBits(w, green) << 5) | FiveBits(w, blue));
    }
}

// The least a file with this header can hold: the header, id and colour map,
// then every row, raw or at best run-length coded (128 pixels per packet).
// False, with the reason noted, when `fileSize` is below that or the size is
// past the limits.
bool BodyFits(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (headSize < kHeader) return false;
    const int width = ReadLe16(head + 12), height = ReadLe16(head + 14);
    const int depth = head[16] == 15 ? 16 : head[16];
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
    if (!PixelStorageAllowed(width, height, depth)) return false;
    const uint64_t pixelBytes = uint64_t(depth / 8);
    const bool runLength = head[2] == 9 || head[2] == 10 || head[2] == 11;
    const uint64_t row = runLength ? (uint64_t(width) + 127) / 128 * (1 + pixelBytes) : uint64_t(width) * pixelBytes;
    const uint64_t map = head[1] == 1 ? uint64_t(ReadLe16(head + 5)) * (head[7] == 32 ? 4 : 3) : 0;
    if (fileSize < kHeader + head[0] + map + row * uint64_t(height)) {
        NoteFileError("the file is shorter than the rows its header describes");
        return false;
    }
    return true;
}

}  // namespace

bool TgaHandler::HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    return BodyFits(head, headSize, fileSize);
}

bool TgaHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    if (!bytes || size < kHeader) return false;
    const int idLength = bytes[0];
    const int mapType = bytes[1];
    const int imageType = bytes[2];
    const int mapFirst = ReadLe16(bytes + 3);
    const int mapLength = ReadLe16(bytes + 5);
    const int mapEntryBits = bytes[7];
    const int width = ReadLe16(bytes + 12);
    const int height = ReadLe16(bytes + 14);
    const int fileDepth = bytes[16];
    const int descriptor = bytes[17];

    if (mapEntryBits == 15 || mapEntryBits == 16) return false;
    const int depth = fileDepth == 15 ? 16 : fileDepth;
    // Pixels narrower than a byte have no TGA layout.
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
    if (!PixelStorageAllowed(width, height, depth) || !BodyFits(bytes, size, size)) return false;

    const uint8_t* p = bytes + kHeader;
    const uint8_t* end = bytes + size;
    if (size_t(end - p) < size_t(idLength)) return false;
    p += idLength;

    std::vector<RgbQuad> palette;
    if (mapType == 1) {
        if (mapFirst + mapLength > 256) return false;
        const size_t entryBytes = mapEntryBits == 32 ? 4 : 3;
        if (size_t(end - p) < entryBytes * size_t(mapLength)) return false;
        palette.assign(256, RgbQuad{});
        for (int i = 0; i < mapLength; ++i, p += entryBytes) {
            RgbQuad& q = palette[size_t(mapFirst + i)];
            q.rgbBlue = p[0];
            q.rgbGreen = p[1];
            q.rgbRed = p[2];
            if (entryBytes == 4) q.rgbReserved = p[3];
        }
    }

    auto image = std::make_unique<PixelImage>();
    if (!image->Create(width, height, depth)) return false;
    if (!palette.empty() && depth <= 8) image->SetPalette(0, 256, palette.data());

    const int pixelBytes = depth / 8;
    const size_t rowBytes = size_t(width) * size_t(pixelBytes);
    const bool runLength = imageType == 9 || imageType == 10 || imageType == 11;
    const bool topFirst = descriptor & 0x20;
    for (int i = 0; i < height; ++i) {
        uint8_t* row = image->Row(topFirst ? i : height - 1 - i);
        if (runLength) {
            if (!DecodeRunLengthRow(p, end, row, width, pixelBytes)) return false;
        } else {
            if (size_t(end - p) < rowBytes) return false;
            std::memcpy(row, p, rowBytes);
            p += rowBytes;
        }
    }
    frames.push_back(std::move(image));
    return true;
}

bool TgaHandler::SaveFile(const std::string& path, int param) {
    const PixelImage* image = Target();
    if (!image) return false;
    const int depth = image->Depth();
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return false;
    // -1 raw, 1 run-length coded; nothing else describes a whole file.
    if (param != -1 && param != 1) return false;
    const bool runLength = param == 1;
    const int width = image->Width(), height = image->Height();
    if (width > 0xFFFF || height > 0xFFFF) return false;

    uint8_t header[kHeader] = {};
    header[0] = uint8_t(kIdLength);
    header[1] = depth == 8 ? 1 : 0;
    header[2] = uint8_t(runLength ? (depth == 8 ? 9 : 10) : (depth == 8 ? 1 : 2));
    PutLe16(header + 5, 256);
    header[7] = 24;
    PutLe16(header + 12, uint32_t(width));
    PutLe16(header + 14, uint32_t(height));
    header[16] = uint8_t(depth);
    header[17] = 0x20;

    OutputFile out(path);
    out.Write(header, sizeof header);
    out.Write(kId, kIdLength);
    if (depth == 8) {
        uint8_t map[256 * 3];
        const auto& pal = image->Palette();
        for (size_t i = 0; i < 256; ++i) {
            map[i * 3] = pal[i].rgbBlue;
            map[i * 3 + 1] = pal[i].rgbGreen;
            map[i * 3 + 2] = pal[i].rgbRed;
        }
        out.Write(map, sizeof map);
    }
    const size_t pixelBytes = size_t(depth / 8);
    const size_t rowBytes = size_t(width) * pixelBytes;
    std::vector<uint8_t> coded;
    if (runLength) coded.resize(2 * rowBytes + 4096);
    // TGA's 16-bit pixels are 5-5-5; other layouts are repacked row by row.
    const bool repack =
        depth == 16 && (image->RedMask() != 0x7C00 || image->GreenMask() != 0x03E0 || image->BlueMask() != 0x001F);
    std::vector<uint8_t> packed(repack ? rowBytes : 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = image->Row(y);
        if (repack) {
            RepackTo555(row, width, image->RedMask(), image->GreenMask(), image->BlueMask(), packed.data());
            row = packed.data();
        }
        if (!runLength) {
            if (!out.Write(row, rowBytes)) break;
            continue;
        }
        // Run packets only: each run of up to 128 equal pixels is one count
        // byte and one pixel; a pixel unlike its successor is a run of 1.
        size_t n = 0;
        int x = 0;
        while (x < width) {
            const uint8_t* px = row + size_t(x) * pixelBytes;
            int run = 1;
            while (run < 128 && x + run < width && std::memcmp(px, px + size_t(run) * pixelBytes, pixelBytes) == 0)
                ++run;
            coded[n++] = uint8_t((run - 1) | 0x80);
            std::memcpy(&coded[n], px, pixelBytes);
            n += pixelBytes;
            x += run;
        }
        if (!out.Write(coded.data(), n)) break;
    }
    return out.Close();
}

}  // namespace clipvane
