#pragma once
// Dispatches the editor view's input to the current tool. Owns one instance
// of every tool (made by a factory), tracks the drag between a press and its
// release, and handles tool changes: the old tool is deactivated (a drag in
// progress ends there), the new one shows its cursor, and the host is told so
// that it can show the tool's panel. Under every tool a selected object is
// dragged by its handle while the button is down and shows its handle's cursor
// otherwise; a double click on a selected text opens its dialog and Delete
// deletes the selected object. Positions are view points: client pixels less
// the margin.
#include <array>
#include <functional>
#include <memory>

#include "editor/tools/Tool.h"

namespace clipvane {

using ToolFactory = std::function<std::unique_ptr<Tool>(EditorTool, ToolHost&)>;

// The editor's tools: Move, Zoom, Crop, Select, Line and Arrow, and the band
// tools that place Text, Shape, Highlight and Stamp objects.
std::unique_ptr<Tool> CreateTool(EditorTool tool, ToolHost& host);

class ToolController {
public:
    explicit ToolController(ToolHost& host, const ToolFactory& factory = CreateTool);

    void SetTool(EditorTool tool);
    EditorTool CurrentTool() const { return current_; }
    Tool& Current() { return Get(current_); }
    Tool& Get(EditorTool tool) { return *tools_[size_t(tool)]; }
    // A press of the current tool started a drag that has not been released.
    bool ButtonDown() const { return buttonDown_; }

    void Press(int vx, int vy);
    void Move(int vx, int vy);
    void Release(int vx, int vy);
    void RightPress();
    void DoubleClick(int vx, int vy);
    // A Qt key code; true when the key was used (Delete with a selected
    // object, or by the current tool).
    bool KeyPress(int key);

    // Deletes the selected object as one undo step and drops the current
    // tool's band. False when nothing is selected.
    bool DeleteSelected();
    // Opens the text dialog for the selected Text object; true when it ended
    // with OK (the object then counts as edited).
    bool EditSelectedText();

    // The view's selection was cleared because the document's objects are
    // being replaced: the current tool lets go of it and the drag ends.
    void SelectionCleared();

private:
    ToolHost& host_;
    std::array<std::unique_ptr<Tool>, kEditorToolCount> tools_;
    EditorTool current_ = EditorTool::Move;
    bool buttonDown_ = false;
    // The selected object was moved or resized during this drag.
    bool objectDragged_ = false;
};

}  // namespace clipvane
