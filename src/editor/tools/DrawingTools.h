#pragma once
// The tools that pick and create annotation objects. Select picks an object
// and drags it by a handle; Line and Arrow create their line at the press and
// drag its end; Text, Shape, Highlight and Stamp create their box from the
// rubber band at the release. Each creation is one undo step, takes the
// values of the tool panel, selects the new object and hands over to Select.
#include "editor/tools/BandTool.h"

namespace clipvane {

// A press on the selected object's handle or body drags it from there; a
// press anywhere else selects what lies there (or nothing) without dragging
// it, so a first click never moves an object.
class SelectTool : public Tool {
public:
    using Tool::Tool;
    ViewCursor Cursor() const override { return ViewCursor::SelectArrow; }
    bool KeepsSelection() const override { return true; }
    void Press(int vx, int vy) override;
};

// Line and Arrow: the press appends a line of zero length at the pointer with
// its end handle grabbed; the release fixes the end. A line released where it
// started could never be hit again: it is taken back with its undo step.
class LineTool : public Tool {
public:
    LineTool(ToolHost& host, ObjectKind kind) : Tool(host), kind_(kind) {}
    ViewCursor Cursor() const override { return ViewCursor::Cross; }
    void Deactivate() override;
    void Press(int vx, int vy) override;
    void Release(int vx, int vy, bool dragging) override;
    void SelectionCleared() override { line_ = nullptr; }

private:
    // Takes the line back when it still has no length.
    void DropIfEmpty();

    ObjectKind kind_;
    LineObject* line_ = nullptr;  // created by the press, until its release
};

// Text, Shape, Highlight and Stamp: the release makes an object of the
// band's rectangle in image pixels, when it has width and height. A Text
// click without a band makes a 100 x 50 box at the press point, cut at the
// image's right and bottom edges, and opens the text dialog; Cancel takes the
// box back with its undo step.
class ObjectBandTool : public BandTool {
public:
    ObjectBandTool(ToolHost& host, ObjectKind kind) : BandTool(host), kind_(kind) {}
    void Release(int vx, int vy, bool dragging) override;

    static constexpr int kDefaultTextWidth = 100;
    static constexpr int kDefaultTextHeight = 50;

private:
    ObjectKind kind_;
};

}  // namespace clipvane
