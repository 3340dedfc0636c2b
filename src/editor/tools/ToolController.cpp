#include "editor/tools/ToolController.h"

#include <Qt>
#include <utility>

#include "annotation/ObjectGeometry.h"
#include "base/TraceLog.h"
#include "document/ImageDocument.h"
#include "editor/tools/BandTool.h"
#include "editor/tools/CropTool.h"
#include "editor/tools/DrawingStyle.h"
#include "editor/tools/DrawingTools.h"
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
    // The drawing tools follow their kind's geometry: end points are dragged
    // out as a line, boxes as a band.
    ObjectKind kind = kObjectLine;
    if (KindForTool(tool, kind))
        return IsLineKind(kind) ? std::unique_ptr<Tool>(std::make_unique<LineTool>(host, kind))
                                : std::make_unique<ObjectBandTool>(host, kind);
    switch (tool) {
    case EditorTool::Move: return std::make_unique<MoveTool>(host);
    case EditorTool::Zoom: return std::make_unique<ZoomTool>(host);
    case EditorTool::Crop: return std::make_unique<CropTool>(host);
    case EditorTool::Select: return std::make_unique<SelectTool>(host);
    default: break;
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
    objectDragged_ = false;
    Tool& next = Current();
    if (!next.KeepsSelection() && host_.Selection().selected) {
        host_.Selection().Clear();
        host_.SelectionChanged();
    }
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
    // The press position is the base of a move of the selected object.
    const ViewMetrics m = host_.Metrics();
    ObjectSelection& selection = host_.Selection();
    selection.startX = m.ImageX(vx);
    selection.startY = m.ImageY(vy);
    objectDragged_ = false;
    tool.Press(vx, vy);
    buttonDown_ = true;
    TraceFirstObject(doc, "after mouse down: %d,%d,%d,%d\n");
}

void ToolController::Move(int vx, int vy) {
    Current().Move(vx, vy, buttonDown_);
    ObjectSelection& selection = host_.Selection();
    if (!selection.selected) return;
    const ViewMetrics m = host_.Metrics();
    const int x = m.ImageX(vx), y = m.ImageY(vy);
    if (buttonDown_) {
        if (selection.handle == kHandleNone) return;
        DragSelected(selection, x, y);
        objectDragged_ = true;
        host_.Redraw();
    } else {
        HandleAt(selection, x, y);
        host_.ShowCursor(ToViewCursor(selection.cursor));
    }
}

void ToolController::Release(int vx, int vy) {
    const bool dragging = buttonDown_;
    buttonDown_ = false;
    // A moved or resized object is a change of the document (not recorded
    // for undo); it is told once, at the end of the drag.
    const bool dragged = std::exchange(objectDragged_, false);
    AnnotationObject* const dragSubject = host_.Selection().selected;
    Current().Release(vx, vy, dragging);
    ImageDocument* doc = host_.Document();
    if (dragged && doc && dragSubject && dragSubject == host_.Selection().selected) doc->ObjectsEdited();
}

void ToolController::RightPress() { Current().RightPress(); }

void ToolController::DoubleClick(int vx, int vy) {
    const AnnotationObject* selected = host_.Selection().selected;
    if (selected && selected->kind == kObjectText) {
        EditSelectedText();
        return;
    }
    if (!Current().DoubleClick(vx, vy)) Press(vx, vy);
}

bool ToolController::KeyPress(int key) {
    if (key == Qt::Key_Delete && DeleteSelected()) return true;
    return Current().KeyPress(key);
}

bool ToolController::DeleteSelected() {
    ObjectSelection& selection = host_.Selection();
    ImageDocument* doc = host_.Document();
    if (!selection.selected || !doc) return false;
    const AnnotationObject* object = selection.selected;
    selection.Clear();
    buttonDown_ = false;
    objectDragged_ = false;
    doc->DeleteObject(object);
    Current().SelectionCleared();
    host_.SelectionChanged();
    host_.Redraw();
    return true;
}

bool ToolController::EditSelectedText() {
    AnnotationObject* selected = host_.Selection().selected;
    ImageDocument* doc = host_.Document();
    if (!selected || selected->kind != kObjectText || !doc) return false;
    if (!host_.EditText(static_cast<TextObject&>(*selected))) return false;
    doc->ObjectsEdited();
    host_.Redraw();
    return true;
}

void ToolController::SelectionCleared() {
    Current().SelectionCleared();
    buttonDown_ = false;
    objectDragged_ = false;
}

}  // namespace clipvane
