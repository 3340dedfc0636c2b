#pragma once
// The recovery entry: one document's unsaved state (image, objects with every
// member, title, path, modified flag) in a small binary file that survives a
// crash and is read back at the next start.
//
// Layout, little-endian: the 8-byte magic "CVRECOV\n", a 32-bit version, 32
// reserved bits, the 64-bit payload length, the payload, and the CRC-32 of
// everything before it. The reader checks every length against the bytes
// that remain before allocating, so damaged or hostile data is refused
// without a large allocation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "annotation/AnnotationObject.h"
#include "image/PixelImage.h"

namespace clipvane {

inline constexpr uint32_t kRecoveryVersion = 1;
inline constexpr size_t kRecoveryHeaderSize = 24;
// The largest entry the reader accepts from a file.
inline constexpr uint64_t kRecoveryMaxFileSize = uint64_t(2) << 30;

struct RecoveryEntry {
    PixelImage image;  // may be empty
    ObjectList objects;
    std::u16string title;
    std::u16string path;
    bool modified = true;
};

// CRC-32 (IEEE 802.3, reflected, as zlib computes it), continued from `crc`.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

// The whole entry as bytes.
std::vector<uint8_t> EncodeRecoveryEntry(const RecoveryEntry& entry);
// Reads an entry; false (and `out` unchanged) with the reason in `error` when
// the bytes are not one whole, valid entry.
bool DecodeRecoveryEntry(const uint8_t* data, size_t size, RecoveryEntry* out, std::string* error = nullptr);

// Writes the entry atomically: a reader sees the old file or the new one.
bool WriteRecoveryEntry(const std::string& path, const RecoveryEntry& entry);
bool ReadRecoveryEntry(const std::string& path, RecoveryEntry* out, std::string* error = nullptr);

}  // namespace clipvane
