#pragma once
// PixelImage <-> QImage for the capture code: the overlay's frozen screen,
// the magnifier and the clipboard.
#include <QImage>

namespace clipvane {

class PixelImage;

// A 24-bit image becomes Format_RGB32, a 32-bit one Format_ARGB32; other
// depths give a null image.
QImage ToQImage(const PixelImage& image);

}  // namespace clipvane
