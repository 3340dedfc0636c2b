#pragma once
// Zoom levels of the editor view and the conversions between client, zoomed
// and image pixels. Plain arithmetic so that it can be tested on its own.
#include "image/Bitmap.h"

namespace clipvane {

inline constexpr int kZoomLevels = 10;
inline constexpr int kZoomActualIndex = 4;
// The image is drawn this many pixels in from the view's top-left corner.
inline constexpr int kViewMargin = 5;

// Factor of a zoom index; 0 outside 0..9.
inline float ZoomFactor(int index) {
    static constexpr float kTable[kZoomLevels] = {0.1f, 0.25f, 0.5f, 0.75f, 1.0f,
                                                  1.5f, 2.0f,  4.0f, 6.0f,  8.0f};
    return index >= 0 && index < kZoomLevels ? kTable[index] : 0.0f;
}

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

// Scroll range of the view for an image at a zoom: the zoomed size plus the
// margin on both sides.
struct ScrollExtent {
    int width = 0;
    int height = 0;
};
inline ScrollExtent ScrollRange(int imageWidth, int imageHeight, float f) {
    return {ZoomedLength(imageWidth, f) + 2 * kViewMargin, ZoomedLength(imageHeight, f) + 2 * kViewMargin};
}

// Percentage shown in the status bar for a zoom index: truncate(f x 100).
inline int ZoomPercent(int index) { return int(ZoomFactor(index) * 100.0f); }

}  // namespace clipvane
