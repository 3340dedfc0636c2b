#include "editor/tools/ToolController.h"

#include <algorithm>

#include "base/TraceLog.h"
#include "document/ImageDocument.h"

namespace clipvane {

namespace {

void TraceFirstObject(ImageDocument* doc, const char* format) {
    if (!doc || doc->objects.empty() || !TraceEnabled()) return;
    const AnnotationObject& first = *doc->objects.front();
    TraceLog(format, int(first.kind), int(first.transparency), int(first.shadow), int(doc->objects.size()));
}

}  // namespace

ViewCursor ToolController::CursorFor(EditorTool tool) {
    switch (tool) {
    case EditorTool::Move: return ViewCursor::OpenHand;
    case EditorTool::Select: return ViewCursor::SelectArrow;
    case EditorTool::Zoom: return ViewCursor::Magnifier;
    default: return ViewCursor::Cross;
    }
}

void ToolController::SetTool(EditorTool tool) {
    ViewState& s = host_.State();
    if (s.tool == tool) return;
    s.tool = tool;
    s.band = s.pressBand = s.bandImage = {};
    s.bandMode = BandMode::New;
    if (tool != EditorTool::Select) s.selected = nullptr;
    host_.ShowCursor(CursorFor(tool));
    host_.ToolChanged(tool);
    host_.Redraw();
}

void ToolController::Press(int vx, int vy) {
    ViewState& s = host_.State();
    ImageDocument* doc = host_.Document();
    s.pressX = vx;
    s.pressY = vy;
    s.pressScrollX = host_.ScrollX();
    s.pressScrollY = host_.ScrollY();
    if (s.tool == EditorTool::Zoom) {
        host_.ZoomIn();
        return;
    }
    TraceFirstObject(doc, "before mouse down: %d,%d,%d,%d\n");

    // Clamp the press to the zoomed image, counted in zoomed pixels.
    s.pressX = std::clamp(s.pressX, -s.pressScrollX, std::max(0, s.ZoomedWidth() - s.pressScrollX));
    s.pressY = std::clamp(s.pressY, -s.pressScrollY, std::max(0, s.ZoomedHeight() - s.pressScrollY));

    if (s.tool == EditorTool::Crop && doc && !doc->image.IsEmpty()) {
        // Each crop press is one undo step: the objects are burned in first.
        doc->RecordUndo(doc->image);
        if (!doc->objects.empty()) {
            doc->RenderObjects(doc->image);
            doc->ClearObjects();
        }
        s.preview = DarkenedCopy(doc->image);
        s.selected = nullptr;
    }
    if (s.tool == EditorTool::Move) host_.ShowCursor(ViewCursor::ClosedHand);
    if (IsBandTool(s.tool)) {
        s.selected = nullptr;
        if (s.bandValid) {
            s.pressBand = s.band;
            s.bandMode = HitBand(s.band, s.pressX + s.pressScrollX, s.pressY + s.pressScrollY);
            switch (s.bandMode) {
            case BandMode::TopLeft:
            case BandMode::BottomRight: host_.ShowCursor(ViewCursor::SizeNWSE); break;
            case BandMode::BottomLeft:
            case BandMode::TopRight: host_.ShowCursor(ViewCursor::SizeNESW); break;
            case BandMode::Move: host_.ShowCursor(ViewCursor::Arrow); break;
            case BandMode::New: s.bandImage = {}; break;
            }
        } else {
            s.bandMode = BandMode::New;
        }
    }
    s.buttonDown = true;
    TraceFirstObject(doc, "after mouse down: %d,%d,%d,%d\n");
}

void ToolController::Move(int vx, int vy) {
    ViewState& s = host_.State();
    if (s.tool == EditorTool::Move && s.buttonDown) {
        const int x = host_.HasHorizontalScroll() ? s.pressScrollX + s.pressX - vx : 0;
        const int y = host_.HasVerticalScroll() ? s.pressScrollY + s.pressY - vy : 0;
        host_.ScrollTo(std::max(x, 0), std::max(y, 0));
        return;
    }
    if (!IsBandTool(s.tool)) return;
    if (s.buttonDown) {
        BandDrag drag;
        drag.mode = s.bandMode;
        drag.pressBand = s.pressBand;
        drag.pressX = s.pressX;
        drag.pressY = s.pressY;
        drag.pressScrollX = s.pressScrollX;
        drag.pressScrollY = s.pressScrollY;
        drag.zoomedWidth = s.ZoomedWidth();
        drag.zoomedHeight = s.ZoomedHeight();
        s.band = DragBand(drag, s.band, vx, vy);
        s.bandImage = ZoomedToImage(s.band, s.Factor());
        s.bandValid = s.band.Width() >= kBandVisibleSide && s.band.Height() >= kBandVisibleSide;
        host_.Redraw();
    } else if (s.bandValid) {
        switch (HitBand(s.band, vx + host_.ScrollX(), vy + host_.ScrollY())) {
        case BandMode::TopLeft:
        case BandMode::BottomRight: host_.ShowCursor(ViewCursor::SizeNWSE); break;
        case BandMode::BottomLeft:
        case BandMode::TopRight: host_.ShowCursor(ViewCursor::SizeNESW); break;
        case BandMode::Move: host_.ShowCursor(ViewCursor::Arrow); break;
        case BandMode::New: host_.ShowCursor(ViewCursor::Cross); break;
        }
    }
}

void ToolController::Release(int, int) {
    ViewState& s = host_.State();
    if (s.tool == EditorTool::Move) host_.ShowCursor(ViewCursor::OpenHand);
    s.buttonDown = false;
}

void ToolController::RightPress() {
    if (host_.State().tool == EditorTool::Zoom) host_.ZoomOut();
}

}  // namespace clipvane
