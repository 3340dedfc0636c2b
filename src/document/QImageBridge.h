#pragma once
// The one bridge between PixelImage and QImage. WrapStoredRows lends the
// stored rows to Qt without copying them, for painting (PixelImagePainter);
// ToQImage makes an ordinary top-down copy to hand to other Qt code (the
// overlay's frozen screen, the magnifier, the clipboard); FromQImage takes a
// picture Qt decoded (the clipboard's) back.
#include <QImage>

namespace clipvane {

class PixelImage;

// A QImage over `image`'s storage, bottom row first (upside down), valid while
// `image` keeps its storage. 32 bits wrap as RGB32 (fourth byte ignored on
// every conversion path), 24 as BGR888, 16 as RGB555 or RGB16 by the green
// mask, 8 as Indexed8 with the palette, 1 as Mono. Null for an empty image
// and for 4 bits, which Qt has no format for.
QImage WrapStoredRows(const PixelImage& image);

// A top-down copy: a 24-bit image becomes Format_RGB32, a 32-bit one
// Format_ARGB32 (the fourth byte as alpha); other depths give a null image.
QImage ToQImage(const PixelImage& image);

// A 32-bit copy of any QImage, its alpha kept (opaque for formats without
// one). False, `image` untouched, for a null QImage or refused storage.
bool FromQImage(const QImage& picture, PixelImage& image);

}  // namespace clipvane
