#pragma once
// Files whose alpha channel is real. The program's images keep a fourth byte
// that is not alpha (a capture's, a new image's), and the ordinary save
// (SaveImageFile) writes them opaque. A document opened from a file with
// transparency keeps its alpha, and is written back here.
#include <string>

#include "image/PixelImage.h"

namespace clipvane {

// True when some pixel of a 32-bit image is not fully opaque and some is not
// fully transparent: a file whose alpha is all 0 (a 32-bit bitmap that never
// used its fourth byte) has no transparency worth showing.
bool HasTransparency(const PixelImage& image);

// True for the types whose writer keeps alpha here: PNG (RGBA), TIFF (RGBA)
// and GIF (one transparent palette index).
bool TypeKeepsAlpha(const std::string& path);

// Writes a 32-bit image with its fourth byte as alpha: PNG and TIFF as RGBA,
// GIF quantised to 255 colours with every pixel of alpha under 128 on the
// transparent index 255. Other types and depths go through SaveImageFile as
// before (opaque). Non-zero on success; atomic like SaveImageFile.
int SaveImageFileWithAlpha(const PixelImage& image, const std::string& path);

}  // namespace clipvane
