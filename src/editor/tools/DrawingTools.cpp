#include "editor/tools/DrawingTools.h"

#include <algorithm>
#include <memory>

#include "document/ImageDocument.h"
#include "editor/tools/DrawingStyle.h"
#include "image/PixelImage.h"

namespace clipvane {

void SelectTool::Press(int vx, int vy) {
    ImageDocument* doc = host_.Document();
    ObjectSelection& selection = host_.Selection();
    const ViewMetrics m = host_.Metrics();
    const int x = m.ImageX(vx), y = m.ImageY(vy);
    const HandleCode handle = HandleAt(selection, x, y);
    if (handle != kHandleNone) {
        selection.handle = handle;
        host_.ShowCursor(ToViewCursor(selection.cursor));
    } else {
        ObjectSelection picked;
        AnnotationObject* hit = doc ? SelectAt(picked, doc->objects, x, y) : nullptr;
        // The newly selected object is not dragged by this press.
        Select(hit, kHandleNone);
    }
    host_.Redraw();
}

void LineTool::Press(int vx, int vy) {
    ImageDocument* doc = host_.Document();
    if (!doc) return;
    const ViewMetrics m = host_.Metrics();
    auto line = std::make_unique<LineObject>(kind_);
    ApplyStyle(host_.Style(), *line);
    line->x1 = line->x2 = m.ImageX(vx);
    line->y1 = line->y2 = m.ImageY(vy);
    line_ = static_cast<LineObject*>(doc->AddObject(std::move(line)));
    Select(line_, kHandleLineEnd);
    host_.Redraw();
}

void LineTool::Release(int vx, int vy, bool dragging) {
    if (dragging && line_ && host_.Selection().selected == line_) {
        const ViewMetrics m = host_.Metrics();
        line_->x2 = m.ImageX(vx);
        line_->y2 = m.ImageY(vy);
        DropIfEmpty();
        host_.Redraw();
    }
    line_ = nullptr;
    host_.RequestTool(EditorTool::Select);
}

void LineTool::Deactivate() {
    // A tool change in the middle of a drag ends it where it is.
    DropIfEmpty();
    line_ = nullptr;
}

void LineTool::DropIfEmpty() {
    ImageDocument* doc = host_.Document();
    if (!line_ || !doc || line_->x1 != line_->x2 || line_->y1 != line_->y2) return;
    if (host_.Selection().selected == line_) Select(nullptr);
    doc->WithdrawObject(line_);
    line_ = nullptr;
}

void ObjectBandTool::Release(int, int, bool dragging) {
    ImageDocument* doc = host_.Document();
    if (!dragging || !doc) return;
    Rect box = BandImage();
    if (kind_ == kObjectText && (box.Width() < 1 || box.Height() < 1)) {
        const ViewMetrics m = host_.Metrics();
        const int left = ImageCoord(Pressed().x + Pressed().scrollX, m.factor);
        const int top = ImageCoord(Pressed().y + Pressed().scrollY, m.factor);
        box = Rect{left, top, std::min(left + kDefaultTextWidth, m.imageWidth),
                   std::min(top + kDefaultTextHeight, m.imageHeight)};
        if (box.Width() < 1 || box.Height() < 1) return;
        SetBandImage(box);
        host_.Redraw();
    }
    if (box.Width() <= 0 || box.Height() <= 0) return;

    const DrawingStyle& style = host_.Style();
    std::unique_ptr<AnnotationObject> object = CreateObject(kind_);
    ApplyStyle(style, *object);
    SetObjectRect(*object, box);
    if (kind_ == kObjectStamp) static_cast<StampObject&>(*object).image = host_.StampImage(style.stampIndex);
    AnnotationObject* added = doc->AddObject(std::move(object));
    Select(added);
    host_.Redraw();

    if (kind_ == kObjectText) {
        if (host_.EditText(static_cast<TextObject&>(*added))) {
            doc->ObjectsEdited();
        } else {
            // Cancel: the box goes again, and so does its undo step, which
            // would otherwise undo nothing.
            Select(nullptr);
            doc->WithdrawObject(added);
            ClearBand();
        }
        host_.Redraw();
    }
    host_.RequestTool(EditorTool::Select);
}

}  // namespace clipvane
