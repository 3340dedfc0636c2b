#pragma once
// PNG files as a list of chunks: private chunks added to the file the PNG
// encoder made, and found again in a file's bytes. Reading walks the chunk
// list through random reads and checks every length against what the file
// holds before anything is allocated, so a hostile file costs nothing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace clipvane {

// The most one chunk carries when data is split over several (PNG allows
// 2^31 - 1 bytes a chunk).
inline constexpr size_t kPngChunkPiece = size_t(1) << 30;

// Inserts `size` bytes of `data` before the IEND chunk of the PNG in `png`,
// as consecutive chunks of `type` of at most `piece` bytes each (one empty
// chunk for no data). False, `png` untouched, when it has no IEND chunk.
bool InsertPngChunks(std::vector<uint8_t>& png, const char type[4], const uint8_t* data, size_t size,
                     size_t piece = kPngChunkPiece);

// Reads exactly `size` bytes at `offset`; false when they are not there.
using ByteReader = std::function<bool(uint64_t offset, void* out, size_t size)>;

enum class PngChunkSearch {
    kAbsent,   // not a PNG, or no chunk of the type before the walk ended
    kFound,    // `data` holds every chunk of the type, joined in file order
    kDamaged,  // a chunk of the type is there but cannot be read whole; `why` says why
};

// Walks the chunk list of a PNG file of `fileSize` bytes up to IEND and joins
// the data of every chunk of `type`, checking each one's CRC. More than
// `maxTotal` bytes of them is damage too.
PngChunkSearch FindPngChunks(const ByteReader& read, uint64_t fileSize, const char type[4], uint64_t maxTotal,
                             std::vector<uint8_t>& data, std::string& why);
// The same over bytes in memory.
PngChunkSearch FindPngChunks(const uint8_t* file, size_t fileSize, const char type[4], uint64_t maxTotal,
                             std::vector<uint8_t>& data, std::string& why);

// CRC-32 as PNG and zlib compute it, continued from `crc`.
uint32_t ZlibCrc32(const void* data, size_t size, uint32_t crc = 0);

// zlib streams (RFC 1950) through libdeflate. Compress gives an empty vector
// only when memory runs out; Decompress is true only when the stream
// inflates to exactly `outSize` bytes.
std::vector<uint8_t> ZlibCompress(const uint8_t* data, size_t size, int level = 6);
bool ZlibDecompress(const uint8_t* data, size_t size, uint8_t* out, size_t outSize);

}  // namespace clipvane
