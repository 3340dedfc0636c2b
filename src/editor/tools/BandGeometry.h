#pragma once
// The rubber band of the band tools (Crop, Text, Shape, Highlight, Stamp):
// which part of the band a press grabs, and where a drag puts it. All values
// are zoomed image pixels; the view converts to image pixels afterwards.
#include "image/Bitmap.h"

namespace clipvane {

enum class BandMode { New = 0, Move = 1, TopLeft = 2, BottomLeft = 3, TopRight = 4, BottomRight = 5 };

// Handle squares are this far from a corner on each side.
inline constexpr int kBandHandleReach = 8;
// A dragged corner keeps at least this distance from the opposite edges.
inline constexpr int kBandMinimumSide = 8;
// Bands narrower or shorter than this are dropped when drawn.
inline constexpr int kBandVisibleSide = 4;

// What a press at point (x, y) grabs: a corner square (tested top-left,
// bottom-left, top-right, bottom-right), the band itself, or nothing (New).
BandMode HitBand(const Rect& band, int x, int y);

struct BandDrag {
    BandMode mode = BandMode::New;
    Rect pressBand;  // band at the press
    int pressX = 0;  // press point in view pixels, clamped to the zoomed image
                     // (view pixel + scroll within 0..zoomed size)
    int pressY = 0;
    int pressScrollX = 0;  // scroll position at the press
    int pressScrollY = 0;
    int zoomedWidth = 0;  // zoomed image size
    int zoomedHeight = 0;
};

// The band after the pointer moved to view point (vx, vy). A result that
// would leave the zoomed image is refused: `current` comes back unchanged.
Rect DragBand(const BandDrag& drag, const Rect& current, int vx, int vy);

}  // namespace clipvane
