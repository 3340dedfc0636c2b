#pragma once
// What the tools need from the view they run in. Tools reach the view only
// through this interface.
#include "editor/tools/EditorTool.h"
#include "editor/tools/ViewCursors.h"
#include "editor/tools/ViewMetrics.h"

namespace clipvane {

class ImageDocument;
class PixelImage;
class TextObject;
struct DrawingStyle;
struct ObjectSelection;

class ToolHost {
public:
    virtual ~ToolHost() = default;
    virtual ImageDocument* Document() = 0;
    // The view's one selected object and how it is being dragged.
    virtual ObjectSelection& Selection() = 0;
    virtual ViewMetrics Metrics() const = 0;
    virtual void ScrollTo(int x, int y) = 0;
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void ShowCursor(ViewCursor cursor) = 0;
    // Repaints without touching the scroll range.
    virtual void Redraw() = 0;
    // The tool panel for a tool should be shown (the "Param Setting" bar).
    virtual void ToolChanged(EditorTool tool) = 0;

    // The values of the tool panel now shown, for the object a tool creates.
    virtual const DrawingStyle& Style() const = 0;
    // The picture of stamp `index` (1-based, as in the stamp list) at 32 bits
    // per pixel; empty for 0 or a stamp that cannot be read.
    virtual PixelImage StampImage(int index) = 0;
    // Runs the "Edit Text" dialog on a text object; true when it ended with OK.
    virtual bool EditText(TextObject& object) = 0;
    // Makes another tool current, as its toolbar button would (the drawing
    // tools hand over to Select after creating an object).
    virtual void RequestTool(EditorTool tool) = 0;
    // The selected object changed (another object, or none): the panel shows
    // the selected object's values.
    virtual void SelectionChanged() = 0;
};

}  // namespace clipvane
