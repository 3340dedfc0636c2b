#pragma once
// Where the image sits in an editor view, and the conversions between zoomed
// and image pixels. Tools read this from their host to turn view points into
// zoomed image pixels (view point plus scroll) and image pixels.
#include "image/Bitmap.h"

namespace clipvane {

// Zoomed length of an image length: truncate(f x n + 0.5).
inline int ZoomedLength(int n, float f) { return int(f * float(n) + 0.5f); }

// Image coordinate of a zoomed coordinate: truncate(z / f + 0.5).
inline int ImageCoord(int zoomed, float f) { return f > 0 ? int(float(zoomed) / f + 0.5f) : 0; }

inline Rect ScaleRect(const Rect& r, float f) {
    return {int(float(r.left) * f + 0.5f), int(float(r.top) * f + 0.5f), int(float(r.right) * f + 0.5f),
            int(float(r.bottom) * f + 0.5f)};
}
inline Rect ZoomedToImage(const Rect& r, float f) { return f > 0 ? ScaleRect(r, 1.0f / f) : Rect{}; }
inline Rect ImageToZoomed(const Rect& r, float f) { return ScaleRect(r, f); }

struct ViewMetrics {
    int imageWidth = 0;  // image pixels
    int imageHeight = 0;
    float factor = 1.0f;  // zoom
    int scrollX = 0;      // scroll position in zoomed pixels
    int scrollY = 0;
    bool horizontalScroll = false;  // the view can scroll that way
    bool verticalScroll = false;

    int ZoomedWidth() const { return ZoomedLength(imageWidth, factor); }
    // The image pixel under a view point (view point plus scroll, unzoomed);
    // not clamped to the image.
    int ImageX(int vx) const { return ImageCoord(vx + scrollX, factor); }
    int ImageY(int vy) const { return ImageCoord(vy + scrollY, factor); }
    int ZoomedHeight() const { return ZoomedLength(imageHeight, factor); }
};

}  // namespace clipvane
