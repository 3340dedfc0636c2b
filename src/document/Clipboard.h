#pragma once
// Captures and images to the clipboard.
namespace clipvane {

class PixelImage;

// Puts a 24- or 32-bit image on the clipboard as "image/png", "image/bmp"
// (a BMP file: file header, the image's 40-byte header and its rows as
// stored) and Qt's own image. The formats are encoded only when another
// program asks for them. Images without pixels or under 24 bits are refused
// (false).
bool CopyImageToClipboard(const PixelImage& image);

}  // namespace clipvane
