#include "imagefile/PngChunks.h"

#include <libdeflate.h>

#include <cstring>
#include <memory>

namespace clipvane {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

}  // namespace

bool InsertPngChunks(std::vector<uint8_t>& png, const char type[4], const uint8_t* data, size_t size, size_t piece) {
    if (piece == 0 || piece > kMaxChunkLength) piece = kPngChunkPiece;
    // Find IEND by walking the list: its bytes could also occur inside IDAT.
    size_t at = sizeof kSignature, iend = 0;
    bool found = false;
    if (png.size() < at || std::memcmp(png.data(), kSignature, at) != 0) return false;
    while (png.size() - at >= 12) {
        const uint32_t length = Be32(&png[at]);
        if (length > kMaxChunkLength || png.size() - at - 12 < length) return false;
        if (std::memcmp(&png[at + 4], "IEND", 4) == 0) {
            iend = at;
            found = true;
            break;
        }
        at += 12 + size_t(length);
    }
    if (!found) return false;
    const size_t pieces = size == 0 ? 1 : (size + piece - 1) / piece;
    std::vector<uint8_t> chunks(size + 12 * pieces);
    uint8_t* out = chunks.data();
    size_t done = 0;
    for (size_t i = 0; i < pieces; ++i) {
        const size_t n = size - done < piece ? size - done : piece;
        PutBe32(out, uint32_t(n));
        std::memcpy(out + 4, type, 4);
        if (n) std::memcpy(out + 8, data + done, n);
        PutBe32(out + 8 + n, libdeflate_crc32(0, out + 4, n + 4));
        out += 12 + n;
        done += n;
    }
    png.insert(png.begin() + std::ptrdiff_t(iend), chunks.begin(), chunks.end());
    return true;
}

PngChunkSearch FindPngChunks(const ByteReader& read, uint64_t fileSize, const char type[4], uint64_t maxTotal,
                             std::vector<uint8_t>& data, std::string& why) {
    data.clear();
    uint8_t head[8];
    if (fileSize < 8 || !read(0, head, 8) || std::memcmp(head, kSignature, 8) != 0) return PngChunkSearch::kAbsent;
    bool seen = false;
    auto damaged = [&](const std::string& reason) {
        data.clear();
        if (!seen) return PngChunkSearch::kAbsent;  // the file's own damage, not ours
        why = reason;
        return PngChunkSearch::kDamaged;
    };
    uint64_t at = 8;
    for (;;) {
        if (fileSize - at < 12 || !read(at, head, 8)) return damaged("the file ends before its last chunk");
        const uint32_t length = Be32(head);
        const bool ours = std::memcmp(head + 4, type, 4) == 0;
        seen |= ours;
        if (length > kMaxChunkLength) return damaged("a chunk claims a length of more than 2 GiB");
        if (fileSize - at - 12 < length) return damaged("the file ends inside a chunk");
        if (std::memcmp(head + 4, "IEND", 4) == 0) break;
        if (ours) {
            if (maxTotal - data.size() < length || data.size() > maxTotal)
                return damaged("the data is larger than " + std::to_string(maxTotal) + " bytes");
            const size_t start = data.size();
            data.resize(start + length);
            uint8_t crc[4];
            if (!read(at + 8, data.data() + start, length) || !read(at + 8 + length, crc, 4))
                return damaged("the file could not be read");
            uint32_t sum = libdeflate_crc32(0, head + 4, 4);
            // Only with data: a null buffer (an empty first chunk) restarts the sum at 0.
            if (length) sum = libdeflate_crc32(sum, data.data() + start, length);
            if (sum != Be32(crc)) return damaged("a chunk's CRC does not match its data");
        }
        at += 12 + uint64_t(length);
    }
    return seen ? PngChunkSearch::kFound : PngChunkSearch::kAbsent;
}

PngChunkSearch FindPngChunks(const uint8_t* file, size_t fileSize, const char type[4], uint64_t maxTotal,
                             std::vector<uint8_t>& data, std::string& why) {
    const ByteReader read = [file, fileSize](uint64_t offset, void* out, size_t size) {
        if (offset > fileSize || fileSize - offset < size) return false;
        if (size) std::memcpy(out, file + offset, size);
        return true;
    };
    return FindPngChunks(read, fileSize, type, maxTotal, data, why);
}

uint32_t ZlibCrc32(const void* data, size_t size, uint32_t crc) { return libdeflate_crc32(crc, data, size); }

std::vector<uint8_t> ZlibCompress(const uint8_t* data, size_t size, int level) {
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(level), libdeflate_free_compressor);
    if (!compressor) return {};
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), size));
    const size_t n = libdeflate_zlib_compress(compressor.get(), data, size, out.data(), out.size());
    if (n == 0) return {};
    out.resize(n);
    return out;
}

bool ZlibDecompress(const uint8_t* data, size_t size, uint8_t* out, size_t outSize) {
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!decompressor) return false;
    size_t inUsed = 0;
    // Exactly outSize bytes, and the whole input consumed: a stream that is
    // shorter, longer or followed by anything is refused.
    return libdeflate_zlib_decompress_ex(decompressor.get(), data, size, out, outSize, &inUsed, nullptr) ==
               LIBDEFLATE_SUCCESS &&
           inUsed == size;
}

}  // namespace clipvane
