// Line and Arrow on a real document: the press creates the line with the
// panel's values as one undo step, the drag moves its end, the release fixes
// it and hands over to Select; a line without length is taken back with its
// step.
#include <array>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/FakeToolHost.h"
#include "editor/tools/ToolController.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

struct LineFixture : ::testing::Test {
    LineFixture() {
        doc.image = test::Solid(200, 150, 32, 255, 255, 255);
        host.document = &doc;
        host.style.width = 5;
        host.style.lineStyle = 1;
        host.style.arrowStyle = 1;
        host.style.color = MakeColorRef(10, 20, 30);
        host.style.transparency = 30;
        host.style.shadow = false;
    }
    LineObject* Line(size_t i = 0) { return static_cast<LineObject*>(doc.objects.at(i).get()); }

    ImageDocument doc;
    test::FakeToolHost host;
    ToolController tools{host};
};

TEST_F(LineFixture, PressCreatesTheLineDragMovesItsEndReleaseFixesIt) {
    tools.SetTool(EditorTool::Line);
    tools.Press(10, 20);
    ASSERT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.UndoCount(), 1);
    LineObject* line = Line();
    EXPECT_EQ(line->kind, kObjectLine);
    EXPECT_EQ((std::array{line->x1, line->y1, line->x2, line->y2}), (std::array{10, 20, 10, 20}));
    EXPECT_EQ(line->width, 5);
    EXPECT_EQ(line->style, 1);
    EXPECT_EQ(line->color, MakeColorRef(10, 20, 30));
    EXPECT_EQ(line->transparency, 30);
    EXPECT_EQ(line->shadow, 0);
    EXPECT_EQ(host.selection.selected, line);
    EXPECT_EQ(host.selection.handle, kHandleLineEnd);

    tools.Move(50, 60);
    EXPECT_EQ((std::array{line->x1, line->y1, line->x2, line->y2}), (std::array{10, 20, 50, 60}));
    tools.Release(55, 65);
    EXPECT_EQ((std::array{line->x2, line->y2}), (std::array{55, 65}));
    EXPECT_EQ(host.toolRequests, std::vector<EditorTool>{EditorTool::Select});
    EXPECT_EQ(doc.UndoCount(), 1);  // the drag added no step
    doc.OnUndo();
    EXPECT_TRUE(doc.objects.empty());
}

TEST_F(LineFixture, ArrowTakesTheArrowStyleAndIsOnePixelWide) {
    host.metrics.factor = 0.5f;  // view points are twice the image's
    tools.SetTool(EditorTool::Arrow);
    tools.Press(20, 40);
    tools.Move(100, 40);
    tools.Release(100, 40);
    LineObject* arrow = Line();
    EXPECT_EQ(arrow->kind, kObjectArrow);
    EXPECT_EQ(arrow->width, 1);
    EXPECT_EQ(arrow->style, 1);
    EXPECT_EQ((std::array{arrow->x1, arrow->y1, arrow->x2, arrow->y2}), (std::array{40, 80, 200, 80}));
}

TEST_F(LineFixture, ALineWithoutLengthGoesWithItsUndoStep) {
    doc.AddObject(std::make_unique<LineObject>());  // an earlier step
    tools.SetTool(EditorTool::Line);
    host.selectionChanges = 0;
    tools.Press(30, 30);
    tools.Release(30, 30);
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.UndoCount(), 1);
    EXPECT_EQ(host.selection.selected, nullptr);
    EXPECT_EQ(host.selectionChanges, 2);  // the new line, then none
    EXPECT_EQ(host.toolRequests, std::vector<EditorTool>{EditorTool::Select});
    // Dragged away and back to the start: no length either.
    tools.Press(30, 30);
    tools.Move(80, 90);
    tools.Release(30, 30);
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.UndoCount(), 1);
    // Undo takes back the earlier step, not an empty one.
    doc.OnUndo();
    EXPECT_TRUE(doc.objects.empty());
}

TEST_F(LineFixture, TheNewLineStaysSelectedUnderSelectAndCanBeDraggedAtOnce) {
    host.onRequestTool = [this](EditorTool t) { tools.SetTool(t); };
    tools.SetTool(EditorTool::Line);
    tools.Press(10, 10);
    tools.Move(60, 10);
    tools.Release(60, 10);
    EXPECT_EQ(tools.CurrentTool(), EditorTool::Select);
    ASSERT_EQ(host.selection.selected, Line());
    // The end handle is under the pointer: a drag moves it, unrecorded.
    tools.Press(60, 10);
    tools.Move(60, 70);
    tools.Release(60, 70);
    EXPECT_EQ((std::array{Line()->x2, Line()->y2}), (std::array{60, 70}));
    EXPECT_EQ(doc.UndoCount(), 1);
}

}  // namespace
}  // namespace clipvane
