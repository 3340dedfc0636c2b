#pragma once
// PNG encoding with libdeflate: palette images (1, 4, 8 bits) as indexed
// PNG, 24- and 32-bit as RGB, 16-bit converted to RGB first. The fourth byte
// of a 32-bit image is not written: the program never shows it as alpha (a
// new image keeps it 0), so the file looks as the image does on screen.
// An image whose pixels are all grey (blue = green = red) is written as a
// one-channel grey PNG (grey and alpha when its alpha is written), which
// decodes to the same pixels.
//
// The rows are filtered and compressed in pieces of about kPngPieceBytes on
// as many threads as the effects use (SetEffectThreads); the pieces join into
// one zlib stream, and each goes out as its own IDAT chunk as soon as it and
// those before it are done. The bytes do not depend on the thread count.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

// About 3 MiB of filtered rows a piece: a 1920 x 1080 capture is two even
// pieces, and fewer restarts of the match window keep files small.
inline constexpr size_t kPngPieceBytes = size_t(3) << 20;

// Receives the file's bytes in order; false stops the encoding.
using PngSink = std::function<bool(const uint8_t* data, size_t size)>;

// Writes the whole file to `sink`; false when the image is empty, cannot be
// encoded or the sink refused.
bool WritePng(const PixelImage& image, bool withAlpha, const PngSink& sink);
// WritePng into a new file at `path` (through OutputFile: every write checked).
bool WritePngFile(const PixelImage& image, bool withAlpha, const std::string& path);

// The whole file; empty when the image is empty or cannot be encoded.
std::vector<uint8_t> EncodePng(const PixelImage& image);
// The same, but a 32-bit image is written as RGBA with its fourth byte as
// straight alpha (for documents whose alpha is real, AlphaFiles.h).
std::vector<uint8_t> EncodePngWithAlpha(const PixelImage& image);
// EncodePng or EncodePngWithAlpha.
std::vector<uint8_t> EncodePngImage(const PixelImage& image, bool withAlpha);

// Decodes a PNG file held in memory into `image` (left as it was on
// failure): palette images keep their indexes (2-bit ones widened to 8 bits)
// unless a transparency chunk makes them 32-bit; everything else becomes
// 24-bit, or 32-bit with straight alpha when the file has alpha or
// transparency. 16-bit samples keep their high byte. The size is checked
// against the pixel limit before anything is allocated.
bool DecodePng(const uint8_t* bytes, size_t size, PixelImage& image);
// The same, reading the open file `fd` from its start in blocks.
bool DecodePngFile(int fd, PixelImage& image);

// For tests: the filtered bytes per piece (0 restores kPngPieceBytes), so
// that small images are split too.
void SetPngPieceBytes(size_t bytes);

}  // namespace clipvane
