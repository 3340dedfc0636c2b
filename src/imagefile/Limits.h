#pragma once
// Limits shared by the readers.
#include <cstdint>

#include "image/PixelImage.h"

namespace clipvane {

// No reader allocates more pixel storage than this for one frame.
inline constexpr uint64_t kMaxPixelBytes = uint64_t(1) << 30;

// True when a width x height image at `depth` bits fits the limit (its rows
// and the table of row addresses); checked before anything is allocated.
inline bool PixelStorageAllowed(int64_t width, int64_t height, int depth) {
    if (width <= 0 || height <= 0 || depth <= 0 || width > (int64_t(1) << 31) || height > (int64_t(1) << 31))
        return false;
    return uint64_t(StrideFor(width, depth)) * uint64_t(height) + uint64_t(height) * sizeof(void*) <= kMaxPixelBytes;
}

inline uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

}  // namespace clipvane
