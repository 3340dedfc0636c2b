#pragma once
// Decoding through the FreeImage library, in the calling process. The program
// runs this only inside the short-lived decoder process (IsolatedDecoder.h):
// the library is not trusted with hostile files.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

// One decoded frame, valid during the sink call: the PixelImage header and
// masks, the palette (2^depth entries for depths up to 8, else empty), the
// frame delay and the pixel rows in PixelImage storage order (bottom row
// first, rows padded to four bytes).
struct DecodedFrame {
    BitmapInfoHeader header;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    std::vector<RgbQuad> palette;
    int32_t frameDelay = 0;
    const uint8_t* bits = nullptr;
    size_t byteCount = 0;
};

using FrameSink = std::function<bool(const DecodedFrame&)>;

// The library initialised for the lifetime of the object, with its messages
// (libtiff warnings and the like) silenced.
struct FreeImageScope {
    FreeImageScope();
    ~FreeImageScope();
    FreeImageScope(const FreeImageScope&) = delete;
    FreeImageScope& operator=(const FreeImageScope&) = delete;
};

// A PixelImage holding the frame; null when it cannot be created.
std::unique_ptr<PixelImage> ToPixelImage(const DecodedFrame& frame);

// False, with the reason noted, when `head` (the first `headSize` bytes of
// a file of `fileSize`) is a Photoshop header whose size is past the pixel
// limit or needs more bytes than the file has (even at the best compression
// the format allows); true for anything else. The library allocates the
// whole image from the header before it reads a row.
bool PsdHeaderAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize);

// Decodes the file at `path` (TIFF and GIF page by page) or, when `path` is
// null, the `size` bytes at `bytes` (first image only), passing each frame to
// `sink` in order; a sink that returns false stops the decoding. False when
// the format is unknown or the library cannot load it; true for a multi-page
// file even when no page converted.
bool DecodeWithFreeImage(const char* path, const uint8_t* bytes, size_t size, const FrameSink& sink);

}  // namespace clipvane
