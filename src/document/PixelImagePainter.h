#pragma once
// Painting a PixelImage with QPainter without copying its pixels: the stored
// rows are wrapped in a QImage (bottom row first, so it shows the image upside
// down) and the painter's transform turns it the right way up.
//
// The image is painted as an opaque copy, like a device-independent bitmap
// blitted with SRCCOPY: the fourth byte of a 32-bit image is not alpha here
// (a new document keeps its alpha bytes at 0 and must still show). Into a
// target with an alpha channel a 32-bit image is painted from an opaque copy
// of the painted part, because Qt would carry the fourth byte across. Scaling is
// nearest-neighbour, so an enlarged image shows each pixel as a solid block.
#include <QRect>

#include "document/QImageBridge.h"

#include "image/PixelImage.h"

class QPainter;

namespace clipvane {

// Paints the whole image with its top-left pixel at (x, y). Nothing for an
// empty image.
void Draw(QPainter& painter, const PixelImage& image, int x, int y);

// Paints the `source` rectangle of the image (top-down pixel coordinates,
// exclusive right and bottom) stretched into `dest`. Nothing for an empty
// image or an empty rectangle.
void StretchDraw(QPainter& painter, const PixelImage& image, const Rect& dest, const Rect& source);

// StretchDraw with the whole image as source.
void StretchDrawAll(QPainter& painter, const PixelImage& image, const Rect& dest);

// For an image whose fourth byte is real alpha (a transparent document): a
// 32-bit image is blended over what the painter shows, its fourth byte as
// straight alpha. Other depths are painted as StretchDraw does.
void StretchDrawBlended(QPainter& painter, const PixelImage& image, const Rect& dest, const Rect& source);
void StretchDrawAllBlended(QPainter& painter, const PixelImage& image, const Rect& dest);

// The light grey and white checkerboard shown under transparent pixels:
// squares of kCheckerSquare device pixels, counted from `area`'s top-left.
inline constexpr int kCheckerSquare = 8;
void PaintCheckerboard(QPainter& painter, const QRect& area);

}  // namespace clipvane
