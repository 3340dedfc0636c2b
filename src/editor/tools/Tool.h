#pragma once
// One editor tool: what a press, a drag, a release, a double click and a key
// do while it is the current tool, the cursor it shows and what it paints over
// the image. ToolController owns one instance per tool and forwards the view's
// events to the current one. Positions are view points: client pixels less
// the view's margin; the host's metrics turn them into zoomed and image pixels.
#include <QRect>

#include "editor/tools/ToolHost.h"

class QPainter;

namespace clipvane {

// Where a tool paints: the zoomed image's rectangle in viewport coordinates
// (it moves with the scroll position) and the zoom factor.
struct ToolPaintArgs {
    QRect image;
    float factor = 1.0f;

    // A rectangle in zoomed image pixels, in viewport coordinates.
    QRect OnScreen(const Rect& zoomed) const {
        return QRect(zoomed.left + image.left(), zoomed.top + image.top(), zoomed.Width(), zoomed.Height());
    }
};

class Tool {
public:
    explicit Tool(ToolHost& host) : host_(host) {}
    virtual ~Tool() = default;
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    // The cursor shown while the tool is current and the pointer is idle.
    virtual ViewCursor Cursor() const = 0;
    // False for a tool whose press is a click only (Zoom): no drag starts.
    virtual bool Drags() const { return true; }
    // True for a tool that works on the selected object: the selection stays
    // when it becomes current. Every other tool change drops it.
    virtual bool KeepsSelection() const { return false; }

    // The tool becomes current / stops being current. Deactivation ends any
    // drag without a release and drops what the tool showed (its band).
    virtual void Activate() {}
    virtual void Deactivate() {}

    // Left button. `dragging` is true from a press of a dragging tool to its
    // release; a drag ended by a tool change or by the selection being cleared
    // gives moves and a release without it.
    virtual void Press(int, int) {}
    virtual void Move(int, int, bool) {}
    virtual void Release(int, int, bool) {}
    virtual void RightPress() {}
    // True when the tool used the double click; otherwise it counts as a
    // second press.
    virtual bool DoubleClick(int, int) { return false; }
    // A Qt key code; true when the tool used the key.
    virtual bool KeyPress(int) { return false; }

    // The view changed under the tool: the zoom; the document image (resized:
    // its size changed); the selection was cleared because the document's
    // objects are being replaced (undo, redo, a file loaded).
    virtual void ZoomChanged() {}
    virtual void ImageChanged(bool) {}
    virtual void SelectionCleared() {}

    // Painting, for a non-empty image. BeforePaint may drop what is too small
    // to show; PaintImage draws the image area the tool's own way (clipped to
    // it) and returns true, or leaves the view to draw the document; the
    // overlay is drawn last, unclipped.
    virtual void BeforePaint() {}
    virtual bool PaintImage(QPainter&, const ToolPaintArgs&) { return false; }
    virtual void PaintOverlay(QPainter&, const ToolPaintArgs&) {}

protected:
    // A press point clamped to the zoomed image (view point plus scroll within
    // 0..zoomed size) with the scroll position at the press.
    struct PressPoint {
        int x = 0;
        int y = 0;
        int scrollX = 0;
        int scrollY = 0;
    };
    PressPoint ClampedPress(int vx, int vy) const;
    // Makes `object` the selection (none for null), dragged by `handle`, and
    // tells the host when the selected object changed.
    void Select(AnnotationObject* object, HandleCode handle = kHandleNone);

    ToolHost& host_;
};

// A tool that does nothing with the pointer and only shows its cursor: the
// stand-in for any tool a factory does not make (tests give the controller
// only the tools they drive).
class IdleTool : public Tool {
public:
    IdleTool(ToolHost& host, ViewCursor cursor, bool keepsSelection = false)
        : Tool(host), cursor_(cursor), keepsSelection_(keepsSelection) {}
    ViewCursor Cursor() const override { return cursor_; }
    bool KeepsSelection() const override { return keepsSelection_; }

private:
    ViewCursor cursor_;
    bool keepsSelection_;
};

}  // namespace clipvane
