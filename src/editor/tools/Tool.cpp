#include "editor/tools/Tool.h"

#include <algorithm>

namespace clipvane {

Tool::PressPoint Tool::ClampedPress(int vx, int vy) const {
    const ViewMetrics m = host_.Metrics();
    PressPoint p;
    p.scrollX = m.scrollX;
    p.scrollY = m.scrollY;
    p.x = std::clamp(vx, -p.scrollX, std::max(0, m.ZoomedWidth() - p.scrollX));
    p.y = std::clamp(vy, -p.scrollY, std::max(0, m.ZoomedHeight() - p.scrollY));
    return p;
}

}  // namespace clipvane
