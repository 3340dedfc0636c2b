#pragma once
// What the tool state machine needs from the view it runs in.
#include <QCursor>

#include "editor/view/ViewState.h"

namespace clipvane {

class ImageDocument;

// SelectArrow: the Select tool's arrow with a four-way cross; Arrow: a plain arrow.
enum class ViewCursor { OpenHand, ClosedHand, Cross, Magnifier, SelectArrow, Arrow, SizeNWSE, SizeNESW };

class ToolHost {
public:
    virtual ~ToolHost() = default;
    virtual ViewState& State() = 0;
    virtual ImageDocument* Document() = 0;
    virtual int ScrollX() const = 0;
    virtual int ScrollY() const = 0;
    virtual bool HasHorizontalScroll() const = 0;
    virtual bool HasVerticalScroll() const = 0;
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
