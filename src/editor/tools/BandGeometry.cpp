#include "editor/tools/BandGeometry.h"

#include <algorithm>

namespace clipvane {

namespace {

bool Near(int px, int py, int cx, int cy) {
    return px >= cx - kBandHandleReach && px < cx + kBandHandleReach && py >= cy - kBandHandleReach &&
           py < cy + kBandHandleReach;
}

}  // namespace

BandMode HitBand(const Rect& band, int x, int y) {
    if (Near(x, y, band.left, band.top)) return BandMode::TopLeft;
    if (Near(x, y, band.left, band.bottom)) return BandMode::BottomLeft;
    if (Near(x, y, band.right, band.top)) return BandMode::TopRight;
    if (Near(x, y, band.right, band.bottom)) return BandMode::BottomRight;
    if (x >= band.left && x < band.right && y >= band.top && y < band.bottom) return BandMode::Move;
    return BandMode::New;
}

Rect DragBand(const BandDrag& d, const Rect& current, int vx, int vy) {
    const int dx = vx - d.pressX;
    const int dy = vy - d.pressY;
    const Rect& p = d.pressBand;
    Rect r = p;
    switch (d.mode) {
    case BandMode::New: {
        // Clamped in zoomed image pixels, so that a scrolled view can still
        // reach the image's far edges.
        const int gx = std::clamp(vx, -d.pressScrollX, std::max(0, d.zoomedWidth) - d.pressScrollX);
        const int gy = std::clamp(vy, -d.pressScrollY, std::max(0, d.zoomedHeight) - d.pressScrollY);
        r = {std::min(d.pressX, gx) + d.pressScrollX, std::min(d.pressY, gy) + d.pressScrollY,
             std::max(d.pressX, gx) + d.pressScrollX, std::max(d.pressY, gy) + d.pressScrollY};
        break;
    }
    case BandMode::Move: r = {p.left + dx, p.top + dy, p.right + dx, p.bottom + dy}; break;
    case BandMode::TopLeft:
        r.left = p.left + dx;
        r.top = p.top + dy;
        if (r.right - r.left < kBandMinimumSide) r.left = r.right - kBandMinimumSide;
        if (r.bottom - r.top < kBandMinimumSide) r.top = r.bottom - kBandMinimumSide;
        break;
    case BandMode::BottomLeft:
        r.left = p.left + dx;
        r.bottom = p.bottom + dy;
        if (r.right - r.left < kBandMinimumSide) r.left = r.right - kBandMinimumSide;
        if (r.bottom - r.top < kBandMinimumSide) r.bottom = r.top + kBandMinimumSide;
        break;
    case BandMode::TopRight:
        r.right = p.right + dx;
        r.top = p.top + dy;
        if (r.right - r.left < kBandMinimumSide) r.right = r.left + kBandMinimumSide;
        if (r.bottom - r.top < kBandMinimumSide) r.top = r.bottom - kBandMinimumSide;
        break;
    case BandMode::BottomRight:
        r.right = p.right + dx;
        r.bottom = p.bottom + dy;
        if (r.right - r.left < kBandMinimumSide) r.right = r.left + kBandMinimumSide;
        if (r.bottom - r.top < kBandMinimumSide) r.bottom = r.top + kBandMinimumSide;
        break;
    }
    if (r.left < 0 || r.top < 0 || r.right > d.zoomedWidth || r.bottom > d.zoomedHeight) return current;
    return r;
}

}  // namespace clipvane
