#pragma once
// The editor's tool state machine: what a press, a drag and a release do
// under each tool, tool changes and their cursors. Move pans the view, Zoom
// zooms in (right button out), the band tools drag a rubber band with corner
// handles. Positions are view points: client pixels less the margin.
#include "editor/tools/ToolHost.h"

namespace clipvane {

class ToolController {
public:
    explicit ToolController(ToolHost& host) : host_(host) {}

    void SetTool(EditorTool tool);
    void Press(int vx, int vy);
    void Move(int vx, int vy);
    void Release(int vx, int vy);
    void RightPress();

    static ViewCursor CursorFor(EditorTool tool);

private:
    ToolHost& host_;
};

}  // namespace clipvane
