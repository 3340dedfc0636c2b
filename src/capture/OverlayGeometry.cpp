#include "capture/OverlayGeometry.h"

#include <algorithm>

namespace clipvane {

bool BoxAtBottomRight(int x, int y, int screenW, int screenH, int boxH, bool current) {
    return BoxAtBottomRight(x, y, screenW, screenH, kInfoBoxWidth, boxH, current);
}

bool BoxAtBottomRight(int x, int y, int screenW, int screenH, int boxW, int boxH, bool current) {
    bool bottomRight = current;
    if (x <= boxW || y <= boxH) bottomRight = true;
    if (screenW - x <= boxW || screenH - y <= boxH) bottomRight = false;
    return bottomRight;
}

Rect InfoBoxRect(bool bottomRight, int screenW, int screenH, int boxH) {
    return InfoBoxRect(bottomRight, screenW, screenH, kInfoBoxWidth, boxH);
}

Rect InfoBoxRect(bool bottomRight, int screenW, int screenH, int boxW, int boxH) {
    if (!bottomRight) return Rect{0, 0, boxW, boxH};
    return Rect{screenW - boxW, screenH - boxH, screenW, screenH};
}

Rect FixedRectUnclamped(int x, int y, int w, int h) { return Rect{x - w / 2, y - h / 2, x + w / 2, y + h / 2}; }

Rect FixedRectAt(int x, int y, int w, int h, int screenW, int screenH) {
    Rect r = FixedRectUnclamped(x, y, w, h);
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, screenW);
    r.bottom = std::min(r.bottom, screenH);
    return r;
}

Rect NormalisedRect(int x0, int y0, int x1, int y1) {
    return Rect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

void SizeLabelOrigin(const Rect& band, int textW, int textH, int* x, int* y) {
    const int cx = band.left + (band.Width() - textW) / 2;
    const int cy = band.top + (band.Height() - textH) / 2;
    if (cx < band.left || cy < band.top) {
        *x = band.left - textW;
        *y = band.top - textH;
    } else {
        *x = cx;
        *y = cy;
    }
}

void WindowGrid::Build(const std::vector<TopWindow>& windows, int screenW, int screenH) {
    cols_ = std::max(0, screenW / 3);
    rows_ = std::max(0, screenH / 3);
    windows_ = windows;
    cells_.assign(size_t(cols_) * size_t(rows_), -1);
    // Paint from the bottom window up so each cell ends with the topmost.
    for (int w = int(windows_.size()) - 1; w >= 0; --w) {
        const Rect& f = windows_[size_t(w)].frame;
        // Cells whose sample point (3i, 3j) lies inside [left, right) x [top, bottom).
        const int i0 = std::max(0, (std::max(f.left, 0) + 2) / 3), i1 = std::min(cols_, (f.right + 2) / 3);
        const int j0 = std::max(0, (std::max(f.top, 0) + 2) / 3), j1 = std::min(rows_, (f.bottom + 2) / 3);
        for (int j = j0; j < j1; ++j) {
            std::fill(cells_.begin() + ptrdiff_t(j) * cols_ + i0,
                      cells_.begin() + ptrdiff_t(j) * cols_ + std::max(i0, i1), w);
        }
    }
}

int WindowGrid::IndexAt(int x, int y) const {
    if (x < 0 || y < 0) return -1;
    const long index = long(cols_) * (y / 3) + x / 3;
    return index < long(cols_) * rows_ ? int(index) : -1;
}

const TopWindow* WindowGrid::WindowAt(int x, int y) const {
    const int index = IndexAt(x, y);
    if (index < 0) return nullptr;
    const int w = cells_[size_t(index)];
    return w < 0 ? nullptr : &windows_[size_t(w)];
}

}  // namespace clipvane
