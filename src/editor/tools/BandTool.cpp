#include "editor/tools/BandTool.h"

#include <QPainter>
#include <Qt>

#include "annotation/ObjectGeometry.h"

namespace clipvane {

namespace {

constexpr int kHandleHalf = 4;

// The cursor over a part of the band; `outside` off the band.
ViewCursor CursorOver(BandMode mode, ViewCursor outside) {
    switch (mode) {
    case BandMode::TopLeft:
    case BandMode::BottomRight: return ViewCursor::SizeNWSE;
    case BandMode::BottomLeft:
    case BandMode::TopRight: return ViewCursor::SizeNESW;
    case BandMode::Move: return ViewCursor::Arrow;
    case BandMode::New: break;
    }
    return outside;
}

}  // namespace

void BandTool::ClearBand() {
    band_ = {};
    bandImage_ = {};
    bandValid_ = false;
}

void BandTool::Deactivate() {
    ClearBand();
    pressBand_ = {};
    mode_ = BandMode::New;
}

void BandTool::SetBandImage(const Rect& image) {
    bandImage_ = image;
    band_ = ImageToZoomed(image, host_.Metrics().factor);
    bandValid_ = true;
}

void BandTool::Press(int vx, int vy) {
    press_ = ClampedPress(vx, vy);
    Select(nullptr);
    if (!bandValid_) {
        // What is left of a band too small to show is no base for this press.
        band_ = {};
        bandImage_ = {};
        mode_ = BandMode::New;
        return;
    }
    pressBand_ = band_;
    mode_ = HitBand(band_, press_.x + press_.scrollX, press_.y + press_.scrollY);
    if (mode_ == BandMode::New)
        bandImage_ = {};
    else
        host_.ShowCursor(CursorOver(mode_, ViewCursor::Cross));
}

void BandTool::Move(int vx, int vy, bool dragging) {
    const ViewMetrics m = host_.Metrics();
    if (dragging) {
        BandDrag drag;
        drag.mode = mode_;
        drag.pressBand = pressBand_;
        drag.pressX = press_.x;
        drag.pressY = press_.y;
        drag.pressScrollX = press_.scrollX;
        drag.pressScrollY = press_.scrollY;
        drag.zoomedWidth = m.ZoomedWidth();
        drag.zoomedHeight = m.ZoomedHeight();
        band_ = DragBand(drag, band_, vx, vy);
        bandImage_ = ZoomedToImage(band_, m.factor);
        bandValid_ = band_.Width() >= kBandVisibleSide && band_.Height() >= kBandVisibleSide;
        host_.Redraw();
    } else if (bandValid_) {
        host_.ShowCursor(CursorOver(HitBand(band_, vx + m.scrollX, vy + m.scrollY), ViewCursor::Cross));
    }
}

bool BandTool::KeyPress(int key) {
    if (key != Qt::Key_Escape) return false;
    ClearBand();
    host_.Redraw();
    return true;
}

void BandTool::ZoomChanged() { band_ = ImageToZoomed(bandImage_, host_.Metrics().factor); }

void BandTool::ImageChanged(bool resized) {
    // A band drawn on the old size may lie outside the new image.
    if (resized) ClearBand();
}

void BandTool::SelectionCleared() {
    // The rectangles go; the band's validity is settled at the next paint.
    band_ = {};
    pressBand_ = {};
    bandImage_ = {};
}

void BandTool::BeforePaint() {
    if (band_.Width() < kBandVisibleSide || band_.Height() < kBandVisibleSide)
        ClearBand();
    else
        bandValid_ = true;
}

void BandTool::PaintOverlay(QPainter& p, const ToolPaintArgs& a) {
    if (!bandValid_) return;
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(a.OnScreen(ImageToZoomed(bandImage_, a.factor)).adjusted(0, 0, -1, -1));
}

void BandTool::DrawBand(QPainter& p, const QRect& band) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(band.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    const QPoint corners[4] = {band.topLeft(), QPoint(band.left(), band.bottom() + 1),
                               QPoint(band.right() + 1, band.top()), QPoint(band.right() + 1, band.bottom() + 1)};
    for (const QPoint& c : corners)
        p.drawRect(QRect(c.x() - kHandleHalf, c.y() - kHandleHalf, 2 * kHandleHalf, 2 * kHandleHalf));
    p.restore();
}

}  // namespace clipvane
