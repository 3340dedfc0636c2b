#pragma once
// The Move tool pans the view: the image follows the hand while the button
// is down.
#include "editor/tools/Tool.h"

namespace clipvane {

class MoveTool : public Tool {
public:
    using Tool::Tool;
    ViewCursor Cursor() const override { return ViewCursor::OpenHand; }
    void Press(int vx, int vy) override;
    void Move(int vx, int vy, bool dragging) override;
    void Release(int vx, int vy, bool dragging) override;

private:
    PressPoint press_;
};

}  // namespace clipvane
