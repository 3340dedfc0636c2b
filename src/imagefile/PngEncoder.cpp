#include <libdeflate.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "imagefile/Limits.h"
#include "imagefile/Png.h"

namespace clipvane {

namespace {

constexpr int kDeflateLevel = 6;
constexpr size_t kMaxChunk = size_t(1) << 30;

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size) {
    PutBe32(out, uint32_t(size));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size) out.insert(out.end(), data, data + size);
    PutBe32(out, libdeflate_crc32(0, out.data() + start, size + 4));
}

// Filters one row into `out` (filter type byte first), choosing among None,
// Sub, Up and Paeth the one with the smallest sum of absolute byte values
// (the usual heuristic). `prev` is the row above, all zero for the first row.
// The loop past the first pixel has no branches, so the compiler runs it on
// vector lanes.
void FilterRow(const uint8_t* row, const uint8_t* prev, size_t n, size_t bpp, uint8_t* out, uint8_t* scratch) {
    uint8_t* sub = scratch;
    uint8_t* up = scratch + n;
    uint8_t* paeth = scratch + 2 * n;
    // A byte's cost is its distance from 0 as a signed value: min(v, 256 - v).
    auto score = [](uint8_t v) { return uint32_t(v < uint8_t(-v) ? v : uint8_t(-v)); };
    uint64_t cost[4] = {0, 0, 0, 0};
    const size_t head = bpp < n ? bpp : n;
    for (size_t i = 0; i < head; ++i) {
        // No left neighbour: Sub keeps the byte, and Paeth predicts the byte above.
        const uint8_t x = row[i];
        sub[i] = x;
        up[i] = uint8_t(x - prev[i]);
        paeth[i] = up[i];
        cost[0] += score(x);
        cost[1] += score(x);
        cost[2] += score(up[i]);
        cost[3] += score(up[i]);
    }
    // Chunks keep the per-lane sums inside 32 bits.
    for (size_t start = head; start < n; start += 4096) {
        const size_t end = n - start > 4096 ? start + 4096 : n;
        uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
        for (size_t i = start; i < end; ++i) {
            const int a = row[i - bpp], b = prev[i], c = prev[i - bpp];
            const uint8_t x = row[i];
            const int pa = b > c ? b - c : c - b;                                // |p - a| with p = a + b - c
            const int pb = a > c ? a - c : c - a;                                // |p - b|
            const int pc = (a + b - 2 * c) < 0 ? 2 * c - a - b : a + b - 2 * c;  // |p - c|
            const int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            const uint8_t fs = uint8_t(x - a), fu = uint8_t(x - b), fp = uint8_t(x - pred);
            sub[i] = fs;
            up[i] = fu;
            paeth[i] = fp;
            c0 += score(x);
            c1 += score(fs);
            c2 += score(fu);
            c3 += score(fp);
        }
        cost[0] += c0;
        cost[1] += c1;
        cost[2] += c2;
        cost[3] += c3;
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (cost[k] < cost[best]) best = k;
    // PNG filter types: 0 None, 1 Sub, 2 Up, 4 Paeth.
    static const uint8_t kType[4] = {0, 1, 2, 4};
    const uint8_t* chosen[4] = {row, sub, up, paeth};
    out[0] = kType[best];
    std::memcpy(out + 1, chosen[best], n);
}

}  // namespace

std::vector<uint8_t> EncodePng(const PixelImage& source) { return EncodePngImage(source, false); }

std::vector<uint8_t> EncodePngWithAlpha(const PixelImage& source) { return EncodePngImage(source, true); }

std::vector<uint8_t> EncodePngImage(const PixelImage& source, bool withAlpha) {
    if (source.IsEmpty()) return {};
    PixelImage converted;
    const PixelImage* image = &source;
    if (source.Depth() == 16) {
        converted.Copy(source);
        converted.ConvertTo(24);
        if (converted.Depth() != 24) return {};
        image = &converted;
    }
    const int width = image->Width(), height = image->Height(), depth = image->Depth();
    const bool indexed = depth <= 8;
    // 32-bit pixels lose their fourth byte (RGB like 24-bit ones) unless it
    // is to be written as alpha.
    const bool alpha = withAlpha && depth == 32;
    const size_t channels = indexed ? 1 : alpha ? 4 : 3;
    const size_t sourceBytes = depth == 32 ? 4 : 3;
    // Indexed rows are stored exactly as PNG wants them, minus the padding.
    const size_t packedBytes = indexed ? (size_t(width) * size_t(depth) + 7) / 8 : size_t(width) * channels;
    const size_t bpp = indexed ? 1 : channels;

    std::vector<uint8_t> filtered((packedBytes + 1) * size_t(height));
    std::vector<uint8_t> line[2] = {std::vector<uint8_t>(packedBytes), std::vector<uint8_t>(packedBytes)};
    std::vector<uint8_t> scratch(packedBytes * 3);
    const std::vector<uint8_t> zeroRow(packedBytes, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* cur = line[y & 1].data();
        const uint8_t* src = image->Row(y);
        if (indexed) {
            std::memcpy(cur, src, packedBytes);
        } else {
            for (int x = 0; x < width; ++x, src += sourceBytes, cur += channels) {
                cur[0] = src[2];
                cur[1] = src[1];
                cur[2] = src[0];
                if (alpha) cur[3] = src[3];
            }
            cur = line[y & 1].data();
        }
        const uint8_t* prev = y ? line[(y - 1) & 1].data() : zeroRow.data();
        FilterRow(cur, prev, packedBytes, bpp, &filtered[size_t(y) * (packedBytes + 1)], scratch.data());
    }

    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(kDeflateLevel), libdeflate_free_compressor);
    if (!compressor) return {};
    std::vector<uint8_t> zdata(libdeflate_zlib_compress_bound(compressor.get(), filtered.size()));
    const size_t zsize =
        libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(), zdata.data(), zdata.size());
    if (zsize == 0) return {};
    std::vector<uint8_t>().swap(filtered);

    std::vector<uint8_t> out;
    out.reserve(zsize + 1024 + 3 * 256);
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.insert(out.end(), kSignature, kSignature + 8);
    uint8_t ihdr[13];
    const uint32_t w = uint32_t(width), h = uint32_t(height);
    const uint8_t be[8] = {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w),
                           uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h)};
    std::memcpy(ihdr, be, 8);
    ihdr[8] = uint8_t(indexed ? depth : 8);  // bits per sample
    ihdr[9] = indexed ? 3 : alpha ? 6 : 2;
    ihdr[10] = 0;  // deflate
    ihdr[11] = 0;  // adaptive filtering
    ihdr[12] = 0;  // not interlaced
    PutChunk(out, "IHDR", ihdr, sizeof ihdr);
    if (indexed) {
        const auto& pal = image->Palette();
        std::vector<uint8_t> plte;
        for (const RgbQuad& q : pal) {
            plte.push_back(q.rgbRed);
            plte.push_back(q.rgbGreen);
            plte.push_back(q.rgbBlue);
        }
        PutChunk(out, "PLTE", plte.data(), plte.size());
    }
    for (size_t at = 0; at < zsize; at += kMaxChunk) {
        const size_t n = zsize - at < kMaxChunk ? zsize - at : kMaxChunk;
        PutChunk(out, "IDAT", zdata.data() + at, n);
    }
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace clipvane
