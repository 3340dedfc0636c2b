#include "editor/tools/MoveTool.h"

#include <algorithm>

namespace clipvane {

void MoveTool::Press(int vx, int vy) {
    press_ = ClampedPress(vx, vy);
    host_.ShowCursor(ViewCursor::ClosedHand);
}

void MoveTool::Move(int vx, int vy, bool dragging) {
    if (!dragging) return;
    const ViewMetrics m = host_.Metrics();
    const int x = m.horizontalScroll ? press_.scrollX + press_.x - vx : 0;
    const int y = m.verticalScroll ? press_.scrollY + press_.y - vy : 0;
    host_.ScrollTo(std::max(x, 0), std::max(y, 0));
}

void MoveTool::Release(int, int, bool) { host_.ShowCursor(ViewCursor::OpenHand); }

}  // namespace clipvane
