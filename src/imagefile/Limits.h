#pragma once
// Limits shared by the readers.
#include <cstdint>

#include "image/PixelImage.h"
#include "image/PixelLimit.h"
#include "imagefile/FileError.h"

namespace clipvane {

// True when a width x height image at `depth` bits fits the pixel count of
// PixelLimit.h (at most four bytes a pixel, so 1 GiB of rows at the default
// limit); checked before anything is allocated. A refusal notes the size and
// the limit as the reason.
inline bool PixelStorageAllowed(int64_t width, int64_t height, int depth) {
    if (width <= 0 || height <= 0 || depth <= 0 || width > (int64_t(1) << 31) || height > (int64_t(1) << 31))
        return false;
    if (!PixelCountAllowed(width, height)) {
        NoteFileError(PixelCountMessage(width, height));
        return false;
    }
    return true;
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
