// Picking and dragging objects on a real document: the Select tool's first
// press only selects, later presses drag by the handle under the pointer,
// the hover cursor, and what the controller does for every tool with a
// selected object (drag, Delete key, double click on a text box).
#include <Qt>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/FakeToolHost.h"
#include "editor/tools/ToolController.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

struct SelectFixture : ::testing::Test {
    SelectFixture() {
        doc.image = test::Solid(200, 150, 32, 0, 0, 0);
        host.document = &doc;
        tools.SetTool(EditorTool::Select);
        host.selectionChanges = 0;
    }
    AnnotationObject* Add(std::unique_ptr<AnnotationObject> object) {
        doc.objects.push_back(std::move(object));
        return doc.objects.back().get();
    }
    void Drag(int x0, int y0, int x1, int y1) {
        tools.Press(x0, y0);
        tools.Move(x1, y1);
        tools.Release(x1, y1);
    }
    AnnotationObject* Selected() { return host.selection.selected; }

    ImageDocument doc;
    test::FakeToolHost host;  // a 200 x 150 image at 100 %
    ToolController tools{host};
};

TEST_F(SelectFixture, FirstPressSelectsWithoutMovingASecondDragMoves) {
    AnnotationObject* box = Add(test::MakeShape(20, 20, 60, 60));
    doc.SetModified(false);
    Drag(30, 30, 50, 45);
    EXPECT_EQ(Selected(), box);
    EXPECT_EQ(host.selectionChanges, 1);
    EXPECT_EQ(ObjectRect(*box), (Rect{20, 20, 60, 60}));  // not dragged
    EXPECT_FALSE(doc.IsModified());

    Drag(30, 30, 40, 45);
    EXPECT_EQ(ObjectRect(*box), (Rect{30, 35, 70, 75}));
    EXPECT_EQ(host.selectionChanges, 1);  // still the same object
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoCount(), 0);  // moves are not recorded
}

TEST_F(SelectFixture, HandlesResizeAndShowTheirCursorsOnHover) {
    AnnotationObject* box = Add(test::MakeShape(20, 20, 60, 60));
    tools.Press(40, 40);
    tools.Release(40, 40);
    struct Hover {
        int x, y;
        ViewCursor cursor;
    };
    for (const Hover& h : {Hover{21, 21, ViewCursor::SizeNWSE}, Hover{59, 21, ViewCursor::SizeNESW},
                           Hover{40, 19, ViewCursor::SizeNS}, Hover{19, 40, ViewCursor::SizeWE},
                           Hover{40, 40, ViewCursor::SelectArrow}, Hover{100, 100, ViewCursor::SelectArrow}}) {
        tools.Move(h.x, h.y);
        EXPECT_EQ(host.LastCursor(), h.cursor) << h.x << "," << h.y;
    }
    // The top-left corner dragged past the opposite one stops at 20 x 20.
    Drag(20, 20, 90, 90);
    EXPECT_EQ(ObjectRect(*box), (Rect{40, 40, 60, 60}));
    // The bottom-right corner follows the pointer.
    Drag(60, 60, 80, 70);
    EXPECT_EQ(ObjectRect(*box), (Rect{40, 40, 80, 70}));
}

TEST_F(SelectFixture, ShadowedHandlesSitFivePixelsRightAndDown) {
    auto shape = test::MakeShape(20, 20, 60, 60);
    shape->shadow = 1;
    AnnotationObject* box = Add(std::move(shape));
    tools.Press(40, 40);
    tools.Release(40, 40);
    Drag(65, 65, 100, 90);  // the shifted bottom-right square
    EXPECT_EQ(ObjectRect(*box), (Rect{20, 20, 100, 90}));
}

TEST_F(SelectFixture, PressElsewhereSelectsTheLowestObjectThereOrNothing) {
    AnnotationObject* low = Add(test::MakeShape(10, 10, 50, 50));
    Add(test::MakeShape(30, 30, 80, 80));
    AnnotationObject* line = Add(test::MakeLine(100, 100, 180, 100));
    tools.Press(40, 40);  // in both boxes: the lower one
    tools.Release(40, 40);
    EXPECT_EQ(Selected(), low);
    tools.Press(140, 103);  // near the line, off the box
    tools.Release(140, 103);
    EXPECT_EQ(Selected(), line);
    tools.Press(5, 140);
    tools.Release(5, 140);
    EXPECT_EQ(Selected(), nullptr);
    EXPECT_EQ(host.selectionChanges, 3);
    tools.Press(5, 140);
    tools.Release(5, 140);
    EXPECT_EQ(host.selectionChanges, 3);  // nothing to nothing: no change
}

TEST_F(SelectFixture, ZoomedAndScrolledPointsAreImagePixels) {
    host.metrics.factor = 2.0f;
    host.metrics.scrollX = 20;
    host.metrics.scrollY = 10;
    AnnotationObject* line = Add(test::MakeLine(20, 20, 80, 20));
    tools.Press(40, 30);  // image (30, 20)
    tools.Release(40, 30);
    ASSERT_EQ(Selected(), line);
    // The start handle at image (20, 20) is view (20, 30); dragged to (0, 50).
    Drag(20, 30, 0, 50);
    const auto& l = static_cast<LineObject&>(*line);
    EXPECT_EQ(l.x1, 10);
    EXPECT_EQ(l.y1, 30);
    EXPECT_EQ(l.x2, 80);
}

TEST_F(SelectFixture, DeleteKeyDeletesTheSelectedObjectAsAnUndoStep) {
    Add(test::MakeShape(20, 20, 60, 60));
    EXPECT_FALSE(tools.KeyPress(Qt::Key_Delete));  // nothing selected
    tools.Press(30, 30);
    tools.Release(30, 30);
    EXPECT_TRUE(tools.KeyPress(Qt::Key_Delete));
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(Selected(), nullptr);
    EXPECT_EQ(host.selectionChanges, 2);
    EXPECT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    EXPECT_EQ(doc.objects.size(), 1u);
}

TEST_F(SelectFixture, DoubleClickOnASelectedTextOpensItsDialog) {
    Add(test::MakeShape(100, 20, 140, 60));
    auto text = std::make_unique<TextObject>();
    SetObjectRect(*text, Rect{20, 20, 80, 60});
    auto* label = static_cast<TextObject*>(Add(std::move(text)));
    // A double click with a box selected is a press: it selects the text.
    tools.Press(120, 30);
    tools.Release(120, 30);
    tools.DoubleClick(30, 30);
    tools.Release(30, 30);
    EXPECT_EQ(host.textEdits, 0);
    EXPECT_EQ(Selected(), label);
    doc.SetModified(false);
    tools.DoubleClick(30, 30);
    EXPECT_EQ(host.textEdits, 1);
    EXPECT_EQ(label->text, u"typed");
    EXPECT_TRUE(doc.IsModified());
    host.textDialogResult = false;
    doc.SetModified(false);
    tools.DoubleClick(30, 30);
    EXPECT_EQ(host.textEdits, 2);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(SelectFixture, OtherToolsDropTheSelectionSelectKeepsIt) {
    Add(test::MakeShape(20, 20, 60, 60));
    tools.Press(30, 30);
    tools.Release(30, 30);
    tools.SetTool(EditorTool::Select);
    EXPECT_NE(Selected(), nullptr);
    tools.SetTool(EditorTool::Shape);
    EXPECT_EQ(Selected(), nullptr);
    EXPECT_EQ(host.selectionChanges, 2);
}

}  // namespace
}  // namespace clipvane
