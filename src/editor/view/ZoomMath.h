#pragma once
// Zoom levels of the editor view, its margin and scroll range; the
// conversions between zoomed and image pixels are in ViewMetrics.h. Plain
// arithmetic so that it can be tested on its own.
#include "editor/tools/ViewMetrics.h"

namespace clipvane {

inline constexpr int kZoomLevels = 10;
inline constexpr int kZoomActualIndex = 4;
// The image is drawn this many pixels in from the view's top-left corner.
inline constexpr int kViewMargin = 5;

// Factor of a zoom index; 0 outside 0..9.
inline float ZoomFactor(int index) {
    static constexpr float kTable[kZoomLevels] = {0.1f, 0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 4.0f, 6.0f, 8.0f};
    return index >= 0 && index < kZoomLevels ? kTable[index] : 0.0f;
}

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
