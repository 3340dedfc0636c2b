#pragma once
// What the tools need from the view they run in. Tools reach the view only
// through this interface.
#include "editor/tools/EditorTool.h"
#include "editor/tools/ViewCursor.h"
#include "editor/tools/ViewMetrics.h"

namespace clipvane {

class ImageDocument;
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
};

}  // namespace clipvane
