#include "editor/tools/Tool.h"

#include <algorithm>

#include "annotation/ObjectGeometry.h"

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

void Tool::Select(AnnotationObject* object, HandleCode handle) {
    ObjectSelection& selection = host_.Selection();
    const AnnotationObject* before = selection.selected;
    selection.selected = object;
    selection.handle = object ? handle : kHandleNone;
    if (object != before) host_.SelectionChanged();
}

}  // namespace clipvane
