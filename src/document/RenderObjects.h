#pragma once
// Drawing annotation objects into a raster image. Each object is drawn on its
// own transparent 32-bit bitmap with QPainter, optionally given a drop
// shadow, and composited onto the target with strength 100 - transparency.
#include <QImage>

#include "annotation/AnnotationObject.h"
#include "image/PixelImage.h"

class QPainter;

namespace clipvane {

// Shadow of every shadowed object: blur 10, opaque black, strength 75, 5 pixels
// right and down.
inline constexpr int kShadowBlur = 10;
inline constexpr int kShadowStrength = 75;

// An object drawn on its own: the 32-bit straight-alpha bitmap (shadow
// included) and the target position of its top-left pixel.
struct RenderedObject {
    PixelImage image;
    int x = 0;
    int y = 0;
};

// Draws one object. False when it has nothing to draw (empty bitmap, a stamp
// without picture); `out` is then empty.
bool RenderObject(const AnnotationObject& object, RenderedObject& out);

// Draws every object into `target` in list order. A target that is not 32
// bits per pixel is converted to 32 bits before the first object is drawn,
// so the objects are never silently dropped; with nothing to draw it keeps
// its depth. An empty target stays empty.
void RenderObjects(PixelImage& target, const ObjectList& objects);

// Whether drawing `objects` over `under` gives the pixels of `flattened`
// (24 or 32 bits, the same size) as a save writes them: the colour bytes,
// and alpha too when `alpha`. An editable file whose objects do not give its
// own picture was not written by a save, and its objects are not trusted.
bool ObjectsReproduce(const PixelImage& under, const ObjectList& objects, const PixelImage& flattened, bool alpha);

// Replaces `image` by the pixels of `bitmap` (top row first, min(source,
// image) bytes of each row). Mono and Indexed8 keep their palette, RGB555 and
// RGB16 become 16 bits with their masks, BGR888 and RGB888 24 bits, ARGB32
// keeps its bytes (premultiplied ones are unpremultiplied first), RGB32 gets
// alpha 255. False, `image` unchanged, for a null bitmap or any other format.
bool BitmapToPixelImage(const QImage& bitmap, PixelImage& image);

// The handles of `selected` (nothing when null): 8 x 8 white circles with a
// black outline, at the shifted coordinates of a shadowed object, in image
// pixels.
void DrawSelectionMarks(QPainter& painter, const AnnotationObject* selected);

}  // namespace clipvane
