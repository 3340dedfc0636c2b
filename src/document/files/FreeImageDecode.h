#pragma once
// Decoding through the FreeImage library, in the calling process. The program
// runs this only inside the short-lived decoder process (IsolatedDecoder.h):
// the library is not trusted with hostile files.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "image/PixelImage.h"

namespace cv {

using FrameSink = std::function<bool(std::unique_ptr<PixelImage>)>;

// Decodes the file at `path` (TIFF and GIF page by page) or, when `path` is
// null, the `size` bytes at `bytes` (first image only), passing each frame to
// `sink` in order; a sink that returns false stops the decoding. False when
// the format is unknown or the library cannot load it; true for a multi-page
// file even when no page converted.
bool DecodeWithFreeImage(const char* path, const uint8_t* bytes, size_t size, const FrameSink& sink);

}  // namespace cv
