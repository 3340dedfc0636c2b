#include <cstring>

#include "imagefile/AtomicFile.h"
#include "imagefile/Handlers.h"
#include "imagefile/IsolatedDecoder.h"
#include "imagefile/Limits.h"
#include "imagefile/Pcx.h"

namespace clipvane {

namespace {

constexpr size_t kHeader = 128;

// Run-length codes one plane of a scan line: a run of 2 to 63 equal bytes, or
// a single byte with both top bits set, becomes a count byte 0xC0 | n and the
// value; any other single byte stands for itself.
void EncodePlane(const uint8_t* in, size_t n, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < n) {
        const uint8_t v = in[i];
        size_t run = 1;
        while (run < 63 && i + run < n && in[i + run] == v) ++run;
        if (run > 1 || v >= 0xC0) out.push_back(uint8_t(0xC0 | run));
        out.push_back(v);
        i += run;
    }
}

uint16_t DotsPerInch(int32_t pelsPerMeter) {
    if (pelsPerMeter <= 0) return 96;
    const int64_t dpi = (int64_t(pelsPerMeter) * 254 + 5000) / 10000;
    return uint16_t(dpi > 0xFFFF ? 0xFFFF : dpi);
}

// False when the header cannot be right, or (with the reason noted) when a
// file of `fileSize` bytes cannot hold the scan lines it describes: raw, or
// at best 63 bytes for every two coded ones, in any layout.
bool ScanLinesFit(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (headSize < kHeader || head[0] != 0x0A || head[2] > 1 || head[65] < 1) return false;
    const int xmin = ReadLe16(head + 4), ymin = ReadLe16(head + 6);
    const int xmax = ReadLe16(head + 8), ymax = ReadLe16(head + 10);
    if (xmax < xmin || ymax < ymin) return false;
    if (!PixelStorageAllowed(xmax - xmin + 1, ymax - ymin + 1, 32)) return false;
    const uint64_t total = uint64_t(ReadLe16(head + 66)) * head[65] * uint64_t(ymax - ymin + 1);
    const uint64_t least = head[2] == 1 ? (total + 62) / 63 * 2 : total;
    if (fileSize < kHeader + least) {
        NoteFileError("the file is shorter than the rows its header describes");
        return false;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePcx(const PixelImage& source) {
    if (source.IsEmpty()) return {};
    const int width = source.Width(), height = source.Height();
    if (width > 0xFFFF || height > 0xFFFF) return {};
    const bool indexed = source.Depth() <= 8;

    PixelImage converted;
    const PixelImage* image = &source;
    if (!indexed && source.Depth() != 24) {
        converted.Copy(source);
        converted.ConvertTo(24);
        if (converted.Depth() != 24) return {};
        image = &converted;
    }

    const int planes = indexed ? 1 : 3;
    const size_t lineBytes = size_t(width) + (width & 1);  // even per plane

    std::vector<uint8_t> out(kHeader, 0);
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    PutLe16(&out[8], uint32_t(width - 1));
    PutLe16(&out[10], uint32_t(height - 1));
    PutLe16(&out[12], DotsPerInch(source.Info().biXPelsPerMeter));
    PutLe16(&out[14], DotsPerInch(source.Info().biYPelsPerMeter));
    out[65] = uint8_t(planes);
    PutLe16(&out[66], uint32_t(lineBytes));
    PutLe16(&out[68], 1);
    out.reserve(kHeader + size_t(height) * lineBytes * planes / 2 + 769);

    std::vector<uint8_t> plane(lineBytes, 0);
    for (int y = 0; y < height; ++y) {
        if (indexed) {
            for (int x = 0; x < width; ++x) plane[size_t(x)] = uint8_t(image->GetPixel(x, y));
            EncodePlane(plane.data(), lineBytes, out);
            continue;
        }
        const uint8_t* row = image->Row(y);
        for (int c = 0; c < 3; ++c) {
            // Planes are red, green, blue; pixels are stored blue, green, red.
            const uint8_t* src = row + (2 - c);
            for (int x = 0; x < width; ++x) plane[size_t(x)] = src[size_t(x) * 3];
            EncodePlane(plane.data(), lineBytes, out);
        }
    }

    if (indexed) {
        out.push_back(0x0C);
        const auto& pal = image->Palette();
        for (size_t i = 0; i < 256; ++i) {
            const RgbQuad q = i < pal.size() ? pal[i] : RgbQuad{};
            out.push_back(q.rgbRed);
            out.push_back(q.rgbGreen);
            out.push_back(q.rgbBlue);
        }
    }
    return out;
}

PcxResult DecodePcx(const uint8_t* bytes, size_t size, PixelImage& out) {
    if (!bytes || size < kHeader || bytes[0] != 0x0A || bytes[2] > 1) return PcxResult::kRefused;
    const int bits = bytes[3];
    const int planes = bytes[65];
    const int xmin = ReadLe16(bytes + 4), ymin = ReadLe16(bytes + 6);
    const int xmax = ReadLe16(bytes + 8), ymax = ReadLe16(bytes + 10);
    const size_t lineBytes = ReadLe16(bytes + 66);
    if (xmax < xmin || ymax < ymin || planes < 1) return PcxResult::kRefused;
    if (bits != 8 || (planes != 1 && planes != 3 && planes != 4)) return PcxResult::kOtherLayout;
    const int width = xmax - xmin + 1, height = ymax - ymin + 1;
    if (lineBytes < size_t(width)) return PcxResult::kRefused;
    const int depth = planes == 1 ? 8 : planes * 8;
    if (!PixelStorageAllowed(width, height, depth) || !ScanLinesFit(bytes, size, size)) return PcxResult::kRefused;

    PixelImage image;
    if (!image.Create(width, height, depth)) return PcxResult::kRefused;
    const bool coded = bytes[2] == 1;
    const uint8_t* p = bytes + kHeader;
    const uint8_t* end = bytes + size;
    // A run may go on past the end of a plane or a scan line: carry it over.
    uint8_t runValue = 0;
    size_t runLeft = 0;
    std::vector<uint8_t> line(lineBytes * size_t(planes));
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < line.size();) {
            if (runLeft) {
                const size_t n = runLeft < line.size() - i ? runLeft : line.size() - i;
                std::memset(&line[i], runValue, n);
                i += n;
                runLeft -= n;
                continue;
            }
            if (p >= end) return PcxResult::kRefused;
            const uint8_t c = *p++;
            if (coded && c >= 0xC0) {
                if (p >= end) return PcxResult::kRefused;
                runValue = *p++;
                runLeft = c & 0x3F;
            } else {
                line[i++] = c;
            }
        }
        uint8_t* row = image.Row(y);
        if (planes == 1) {
            std::memcpy(row, line.data(), size_t(width));
            continue;
        }
        // Planes are red, green, blue (and alpha); pixels blue, green, red, alpha.
        static const int kByte[4] = {2, 1, 0, 3};
        for (int c = 0; c < planes; ++c) {
            const uint8_t* src = &line[size_t(c) * lineBytes];
            for (int x = 0; x < width; ++x) row[size_t(x) * size_t(planes) + size_t(kByte[c])] = src[x];
        }
    }
    if (planes == 1 && size >= kHeader + 769 && bytes[size - 769] == 0x0C) {
        const uint8_t* pal = bytes + size - 768;
        RgbQuad entries[256];
        for (int i = 0; i < 256; ++i) entries[i] = RgbQuad{pal[3 * i + 2], pal[3 * i + 1], pal[3 * i], 0};
        image.SetPalette(0, 256, entries);
    }
    out = std::move(image);
    return PcxResult::kDecoded;
}

bool PcxHandler::HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    return ScanLinesFit(head, headSize, fileSize);
}

bool PcxHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    auto image = std::make_unique<PixelImage>();
    switch (DecodePcx(bytes, size, *image)) {
    case PcxResult::kDecoded: frames.push_back(std::move(image)); return true;
    case PcxResult::kOtherLayout: return DecodeIsolated(nullptr, bytes, size, frames);
    default: return false;
    }
}

bool PcxHandler::SaveFile(const std::string& path, int) {
    const PixelImage* image = Target();
    if (!image) return false;
    const std::vector<uint8_t> data = EncodePcx(*image);
    if (data.empty()) return false;
    OutputFile out(path);
    out.Write(data.data(), data.size());
    return out.Close();
}

}  // namespace clipvane
