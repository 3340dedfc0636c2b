#include "editor/tools/ToolController.h"

#include "annotation/ObjectGeometry.h"
#include "base/TraceLog.h"
#include "document/ImageDocument.h"
#include "editor/tools/BandTool.h"
#include "editor/tools/CropTool.h"
#include "editor/tools/MoveTool.h"
#include "editor/tools/ZoomTool.h"

namespace clipvane {

namespace {

void TraceFirstObject(ImageDocument* doc, const char* format) {
    if (!doc || doc->objects.empty() || !TraceEnabled()) return;
    const AnnotationObject& first = *doc->objects.front();
    TraceLog(format, int(first.kind), int(first.transparency), int(first.shadow), int(doc->objects.size()));
}

}  // namespace

std::unique_ptr<Tool> CreateTool(EditorTool tool, ToolHost& host) {
    switch (tool) {
    case EditorTool::Move: return std::make_unique<MoveTool>(host);
    case EditorTool::Zoom: return std::make_unique<ZoomTool>(host);
    case EditorTool::Crop: return std::make_unique<CropTool>(host);
    case EditorTool::Text:
    case EditorTool::Shape:
    case EditorTool::Highlight:
    case EditorTool::Stamp: return std::make_unique<BandTool>(host);
    case EditorTool::Select: return std::make_unique<IdleTool>(host, ViewCursor::SelectArrow, true);
    case EditorTool::Line:
    case EditorTool::Arrow: break;
    }
    return std::make_unique<IdleTool>(host, ViewCursor::Cross);
}

ToolController::ToolController(ToolHost& host, const ToolFactory& factory) : host_(host) {
    for (int i = 0; i < kEditorToolCount; ++i) {
        tools_[size_t(i)] = factory(EditorTool(i), host);
        if (!tools_[size_t(i)]) tools_[size_t(i)] = std::make_unique<IdleTool>(host, ViewCursor::Cross);
    }
}

void ToolController::SetTool(EditorTool tool) {
    if (tool == current_ || int(tool) < 0 || int(tool) >= kEditorToolCount) return;
    Current().Deactivate();
    buttonDown_ = false;
    current_ = tool;
    Tool& next = Current();
    if (!next.KeepsSelection()) host_.Selection().Clear();
    next.Activate();
    host_.ShowCursor(next.Cursor());
    host_.ToolChanged(tool);
    host_.Redraw();
}

void ToolController::Press(int vx, int vy) {
    Tool& tool = Current();
    if (!tool.Drags()) {
        tool.Press(vx, vy);
        return;
    }
    ImageDocument* doc = host_.Document();
    TraceFirstObject(doc, "before mouse down: %d,%d,%d,%d\n");
    tool.Press(vx, vy);
    buttonDown_ = true;
    TraceFirstObject(doc, "after mouse down: %d,%d,%d,%d\n");
}

void ToolController::Move(int vx, int vy) { Current().Move(vx, vy, buttonDown_); }

void ToolController::Release(int vx, int vy) {
    const bool dragging = buttonDown_;
    buttonDown_ = false;
    Current().Release(vx, vy, dragging);
}

void ToolController::RightPress() { Current().RightPress(); }

void ToolController::DoubleClick(int vx, int vy) {
    if (!Current().DoubleClick(vx, vy)) Press(vx, vy);
}

bool ToolController::KeyPress(int key) { return Current().KeyPress(key); }

void ToolController::SelectionCleared() {
    Current().SelectionCleared();
    buttonDown_ = false;
}

}  // namespace clipvane
