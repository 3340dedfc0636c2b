#pragma once
// The Zoom tool: a click zooms in one step, the right button zooms out.
#include "editor/tools/Tool.h"

namespace clipvane {

class ZoomTool : public Tool {
public:
    using Tool::Tool;
    ViewCursor Cursor() const override { return ViewCursor::Magnifier; }
    bool Drags() const override { return false; }
    void Press(int, int) override { host_.ZoomIn(); }
    void RightPress() override { host_.ZoomOut(); }
};

}  // namespace clipvane
