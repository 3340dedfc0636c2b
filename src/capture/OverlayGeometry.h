#pragma once
// The selection overlay's geometry, kept apart from the widget so it can be
// tested without a screen: where the information box goes, the fixed
// rectangle at the cursor, the dragged rectangle, the size label's place and
// the window grid used to pick a window without the overlay covering it.
#include <vector>

#include "image/Bitmap.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

enum class OverlayMode { Region, WindowObject, FixedRect };

inline constexpr int kInfoBoxWidth = 190;
inline constexpr int kInfoBoxHeightRect = 320;    // Region and FixedRect
inline constexpr int kInfoBoxHeightWindow = 130;  // WindowObject
inline constexpr int kMagnifierBlock = 31;
inline constexpr int kMagnifierSize = 160;

// The box jumps to the bottom right near the top-left corner and back to the
// top left near the bottom-right corner (the second test wins); in between
// it stays where it was.
bool BoxAtBottomRight(int x, int y, int screenW, int screenH, int boxH, bool current);
// The same for a box `boxW` wide (a box grown to fit its text).
bool BoxAtBottomRight(int x, int y, int screenW, int screenH, int boxW, int boxH, bool current);
// The information box's rectangle for a side.
Rect InfoBoxRect(bool bottomRight, int screenW, int screenH, int boxH);
Rect InfoBoxRect(bool bottomRight, int screenW, int screenH, int boxW, int boxH);

// (x - w/2, y - h/2, x + w/2, y + h/2) with integer halves, each edge clamped
// to the screen on its own: near an edge the rectangle shrinks, it does not move.
Rect FixedRectAt(int x, int y, int w, int h, int screenW, int screenH);
// The same rectangle before clamping (the focus rectangle drawn around the cursor).
Rect FixedRectUnclamped(int x, int y, int w, int h);
// The rectangle spanned by two points, whichever way the drag went.
Rect NormalisedRect(int x0, int y0, int x1, int y1);

// Top-left of the "%dX%d" label: centred in `band`, or with its bottom-right
// corner at the band's top-left corner when it does not fit.
void SizeLabelOrigin(const Rect& band, int textW, int textH, int* x, int* y);

// Window handles sampled every 3 pixels: cell (i, j) holds the topmost
// window at screen point (3i, 3j).
class WindowGrid {
public:
    // `windows` topmost first, frames in screen coordinates.
    void Build(const std::vector<TopWindow>& windows, int screenW, int screenH);
    int Columns() const { return cols_; }
    int Rows() const { return rows_; }
    // (W div 3) x (y div 3) + (x div 3), or -1 when that lies outside the grid.
    int IndexAt(int x, int y) const;
    // The window at a screen point, or null.
    const TopWindow* WindowAt(int x, int y) const;

private:
    int cols_ = 0;
    int rows_ = 0;
    std::vector<TopWindow> windows_;
    std::vector<int> cells_;  // index into windows_, -1 for none
};

}  // namespace clipvane
