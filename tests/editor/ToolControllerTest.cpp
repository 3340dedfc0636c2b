// The tool controller only dispatches: events reach the current tool alone,
// the drag lasts from a press to its release, and a tool change ends it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor/FakeToolHost.h"
#include "editor/tools/BandTool.h"
#include "editor/tools/ToolController.h"

namespace clipvane {
namespace {

using Log = std::vector<std::string>;

// Writes every call it gets, prefixed with its tool number, to a shared log.
class RecordingTool : public Tool {
public:
    RecordingTool(ToolHost& host, EditorTool id, Log& log) : Tool(host), id_(int(id)), log_(log) {}

    ViewCursor Cursor() const override {
        return id_ == int(EditorTool::Zoom) ? ViewCursor::Magnifier : ViewCursor::Cross;
    }
    bool Drags() const override { return id_ != int(EditorTool::Zoom); }
    bool KeepsSelection() const override { return id_ == int(EditorTool::Select); }
    void Activate() override { Write("activate"); }
    void Deactivate() override { Write("deactivate"); }
    void Press(int x, int y) override { Write("press " + Point(x, y)); }
    void Move(int x, int y, bool dragging) override { Write((dragging ? "drag " : "hover ") + Point(x, y)); }
    void Release(int x, int y, bool dragging) override {
        Write((dragging ? "release " : "stray release ") + Point(x, y));
    }
    void RightPress() override { Write("right"); }
    bool DoubleClick(int x, int y) override {
        Write("double " + Point(x, y));
        return usesDoubleClick;
    }
    bool KeyPress(int key) override {
        Write("key " + std::to_string(key));
        return true;
    }
    void SelectionCleared() override { Write("selection cleared"); }

    bool usesDoubleClick = false;

private:
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Write(const std::string& what) { log_.push_back(std::to_string(id_) + " " + what); }

    int id_;
    Log& log_;
};

struct ControllerFixture : ::testing::Test {
    ControllerFixture()
        : tools(host, [this](EditorTool id, ToolHost& h) { return std::make_unique<RecordingTool>(h, id, log); }) {}

    RecordingTool& Recorder(EditorTool id) { return static_cast<RecordingTool&>(tools.Get(id)); }
    // The log since the last call.
    Log Take() { return std::exchange(log, {}); }

    Log log;
    test::FakeToolHost host;
    ToolController tools;
};

TEST_F(ControllerFixture, EventsReachTheCurrentToolOnly) {
    EXPECT_EQ(tools.CurrentTool(), EditorTool::Move);
    tools.SetTool(EditorTool::Crop);
    Take();
    tools.Move(1, 2);
    tools.Press(3, 4);
    tools.Move(5, 6);
    tools.Release(7, 8);
    tools.RightPress();
    EXPECT_TRUE(tools.KeyPress(42));
    EXPECT_EQ(Take(), (Log{"2 hover 1,2", "2 press 3,4", "2 drag 5,6", "2 release 7,8", "2 right", "2 key 42"}));
}

TEST_F(ControllerFixture, ADragLastsFromAPressToItsRelease) {
    EXPECT_FALSE(tools.ButtonDown());
    tools.Press(10, 10);
    EXPECT_TRUE(tools.ButtonDown());
    tools.Release(10, 10);
    EXPECT_FALSE(tools.ButtonDown());
    tools.Release(10, 10);  // a second release belongs to no drag
    tools.Move(11, 11);
    EXPECT_EQ(Take(), (Log{"1 press 10,10", "1 release 10,10", "1 stray release 10,10", "1 hover 11,11"}));

    // A click-only tool (Zoom) starts no drag.
    tools.SetTool(EditorTool::Zoom);
    Take();
    tools.Press(10, 10);
    EXPECT_FALSE(tools.ButtonDown());
    tools.Move(12, 12);
    EXPECT_EQ(Take(), (Log{"4 press 10,10", "4 hover 12,12"}));
}

TEST_F(ControllerFixture, AToolChangeMidDragEndsTheDragInTheOldTool) {
    tools.Press(10, 10);
    tools.Move(20, 20);
    host.cursors.clear();
    tools.SetTool(EditorTool::Crop);
    EXPECT_FALSE(tools.ButtonDown());
    // The button is still down, but the new tool only sees hover moves and a
    // release that ends no drag of its own; the old tool sees nothing more.
    tools.Move(30, 30);
    tools.Release(30, 30);
    EXPECT_EQ(Take(), (Log{"1 press 10,10", "1 drag 20,20", "1 deactivate", "2 activate", "2 hover 30,30",
                           "2 stray release 30,30"}));
    EXPECT_EQ(host.cursors, std::vector<ViewCursor>{ViewCursor::Cross});
    EXPECT_EQ(host.toolChanges, std::vector<EditorTool>{EditorTool::Crop});
    EXPECT_EQ(host.redraws, 1);
}

TEST_F(ControllerFixture, ChoosingTheCurrentToolAgainOrAnUnknownOneDoesNothing) {
    tools.SetTool(EditorTool::Move);
    tools.SetTool(EditorTool(kEditorToolCount));
    tools.SetTool(EditorTool(-1));
    EXPECT_TRUE(Take().empty());
    EXPECT_TRUE(host.toolChanges.empty());
    EXPECT_EQ(tools.CurrentTool(), EditorTool::Move);
}

TEST_F(ControllerFixture, OnlyAToolThatUsesTheSelectionKeepsIt) {
    LineObject line;
    host.selection.selected = &line;
    host.selection.handle = kHandleLineEnd;
    tools.SetTool(EditorTool::Select);
    EXPECT_EQ(host.selection.selected, &line);
    tools.SetTool(EditorTool::Line);
    EXPECT_EQ(host.selection.selected, nullptr);
    EXPECT_EQ(host.selection.handle, kHandleNone);
}

TEST_F(ControllerFixture, ADoubleClickTheToolDoesNotUseIsASecondPress) {
    tools.DoubleClick(5, 6);
    EXPECT_TRUE(tools.ButtonDown());
    tools.Release(5, 6);
    Recorder(EditorTool::Move).usesDoubleClick = true;
    tools.DoubleClick(7, 8);
    EXPECT_FALSE(tools.ButtonDown());
    EXPECT_EQ(Take(), (Log{"1 double 5,6", "1 press 5,6", "1 release 5,6", "1 double 7,8"}));
}

TEST_F(ControllerFixture, ClearingTheSelectionEndsTheDrag) {
    tools.Press(1, 1);
    tools.SelectionCleared();
    EXPECT_FALSE(tools.ButtonDown());
    tools.Move(2, 2);
    EXPECT_EQ(Take(), (Log{"1 press 1,1", "1 selection cleared", "1 hover 2,2"}));
}

// The real tools behind the controller.
struct RealToolsFixture : ::testing::Test {
    test::FakeToolHost host;
    ToolController tools{host};
};

TEST_F(RealToolsFixture, EveryToolHasItsCursor) {
    EXPECT_EQ(tools.Get(EditorTool::Move).Cursor(), ViewCursor::OpenHand);
    EXPECT_EQ(tools.Get(EditorTool::Zoom).Cursor(), ViewCursor::Magnifier);
    EXPECT_EQ(tools.Get(EditorTool::Select).Cursor(), ViewCursor::SelectArrow);
    for (EditorTool t : {EditorTool::Crop, EditorTool::Text, EditorTool::Line, EditorTool::Arrow, EditorTool::Shape,
                         EditorTool::Highlight, EditorTool::Stamp})
        EXPECT_EQ(tools.Get(t).Cursor(), ViewCursor::Cross) << int(t);
}

TEST_F(RealToolsFixture, PanningStopsWhenTheToolChangesMidDrag) {
    host.metrics.horizontalScroll = host.metrics.verticalScroll = true;
    tools.Press(100, 100);
    EXPECT_EQ(host.LastCursor(), ViewCursor::ClosedHand);
    tools.Move(90, 95);
    EXPECT_EQ(host.metrics.scrollX, 10);
    tools.SetTool(EditorTool::Crop);
    EXPECT_EQ(host.LastCursor(), ViewCursor::Cross);
    // The Crop tool neither scrolls nor draws a band from the Move tool's press.
    tools.Move(40, 40);
    tools.Release(40, 40);
    EXPECT_EQ(host.metrics.scrollX, 10);
    EXPECT_FALSE(static_cast<BandTool&>(tools.Current()).BandValid());
    EXPECT_EQ(static_cast<BandTool&>(tools.Current()).Band(), Rect{});
}

TEST_F(RealToolsFixture, ABandEndsWithItsToolAndTheNextToolStartsFresh) {
    tools.SetTool(EditorTool::Shape);
    tools.Press(10, 10);
    tools.Move(60, 50);
    auto& shape = static_cast<BandTool&>(tools.Get(EditorTool::Shape));
    ASSERT_TRUE(shape.BandValid());
    tools.SetTool(EditorTool::Highlight);  // mid-drag
    tools.Move(80, 80);
    EXPECT_FALSE(shape.BandValid());
    EXPECT_EQ(shape.BandImage(), Rect{});
    EXPECT_FALSE(static_cast<BandTool&>(tools.Current()).BandValid());
}

TEST_F(RealToolsFixture, ZoomClicksInAndRightClicksOut) {
    tools.SetTool(EditorTool::Zoom);
    tools.Press(5, 5);
    tools.RightPress();
    EXPECT_EQ(host.zoomIns, 1);
    EXPECT_EQ(host.zoomOuts, 1);
    tools.SetTool(EditorTool::Crop);
    tools.RightPress();
    EXPECT_EQ(host.zoomOuts, 1);
}

TEST(ViewCursor, EveryHandleCursorHasAViewCursor) {
    EXPECT_EQ(ToViewCursor(HandleCursor::Select), ViewCursor::SelectArrow);
    EXPECT_EQ(ToViewCursor(HandleCursor::SizeNESW), ViewCursor::SizeNESW);
    EXPECT_EQ(ToViewCursor(HandleCursor::SizeNWSE), ViewCursor::SizeNWSE);
    EXPECT_EQ(ToViewCursor(HandleCursor::SizeWE), ViewCursor::SizeWE);
    EXPECT_EQ(ToViewCursor(HandleCursor::SizeNS), ViewCursor::SizeNS);
    // What HandleAt chose over a box's left edge.
    ShapeObject box;
    SetObjectRect(box, Rect{10, 10, 60, 60});
    ObjectSelection selection;
    selection.selected = &box;
    EXPECT_EQ(HandleAt(selection, 10, 35), kHandleLeft);
    EXPECT_EQ(ToViewCursor(selection.cursor), ViewCursor::SizeWE);
}

}  // namespace
}  // namespace clipvane
