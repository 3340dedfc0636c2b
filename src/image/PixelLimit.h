#pragma once
// The one limit on image size, over the whole pipeline: every PixelImage
// creation (decoding, depth conversion, effects, resizes) and every reader
// checks the pixel count against it before allocating, so a file of a few
// bytes that claims a huge size is refused instead of taking gigabytes.
#include <cstdint>
#include <string>

namespace clipvane {

// 256 megapixels (16384 x 16384): 1 GiB at 32 bits per pixel.
inline constexpr uint64_t kDefaultMaxPixelCount = uint64_t(256) << 20;

// The limit in force for the whole process (the default until set).
uint64_t MaxPixelCount();
// Sets the limit; 0 restores the default. Safe from any thread.
void SetMaxPixelCount(uint64_t count);

// True when width x height (both positive) is within the limit.
bool PixelCountAllowed(int64_t width, int64_t height);

// "the image is W x H pixels (N megapixels), more than the limit of M
// megapixels" for a size that is refused (a phrase to follow a colon).
std::string PixelCountMessage(int64_t width, int64_t height);

}  // namespace clipvane
