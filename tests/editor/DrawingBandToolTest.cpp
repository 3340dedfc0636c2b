// Text, Shape, Highlight and Stamp on a real document: the release makes the
// object from the band in image pixels with the panel's values as one undo
// step and hands over to Select; an empty band makes nothing except the
// Text tool's default box; a cancelled text box goes with its step.
#include <Qt>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/FakeToolHost.h"
#include "editor/tools/DrawingTools.h"
#include "editor/tools/ToolController.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

struct DrawingFixture : ::testing::Test {
    DrawingFixture() {
        doc.image = test::Solid(200, 150, 32, 255, 255, 255);
        host.document = &doc;
        host.style.width = 4;
        host.style.borderStyle = 3;
        host.style.color = MakeColorRef(1, 2, 3);
        host.style.borderColor = MakeColorRef(4, 5, 6);
        host.style.fillColor = MakeColorRef(7, 8, 9);
        host.style.backColor = MakeColorRef(10, 11, 12);
        host.style.boxStyle = 1;
        host.style.transparency = 40;
        host.style.stampIndex = 2;
        host.stamp = test::Solid(6, 4, 32, 1, 2, 3);
    }
    void Drag(int x0, int y0, int x1, int y1) {
        tools.Press(x0, y0);
        tools.Move(x1, y1);
        tools.Release(x1, y1);
    }
    void Click(int x, int y) {
        tools.Press(x, y);
        tools.Release(x, y);
    }
    ObjectBandTool& Current() { return static_cast<ObjectBandTool&>(tools.Current()); }

    ImageDocument doc;
    test::FakeToolHost host;  // a 200 x 150 image at 100 %
    ToolController tools{host};
};

TEST_F(DrawingFixture, EachBoxToolCreatesItsObjectFromTheBand) {
    const EditorTool kinds[] = {EditorTool::Shape, EditorTool::Highlight, EditorTool::Stamp};
    for (EditorTool t : kinds) {
        tools.SetTool(t);
        Drag(60, 40, 10, 10);  // any direction
        EXPECT_EQ(ObjectRect(*doc.objects.back()), (Rect{10, 10, 60, 40})) << int(t);
        EXPECT_EQ(host.selection.selected, doc.objects.back().get());
        EXPECT_EQ(host.toolRequests.back(), EditorTool::Select);
        EXPECT_EQ(doc.objects.back()->transparency, 40);
        EXPECT_EQ(doc.objects.back()->shadow, 1);
    }
    ASSERT_EQ(doc.objects.size(), 3u);
    EXPECT_EQ(doc.UndoCount(), 3);
    const auto& shape = static_cast<ShapeObject&>(*doc.objects[0]);
    EXPECT_EQ(shape.width, 4);
    EXPECT_EQ(shape.borderStyle, 3);
    EXPECT_EQ(shape.borderColor, MakeColorRef(4, 5, 6));
    EXPECT_EQ(shape.fillColor, MakeColorRef(7, 8, 9));
    EXPECT_EQ(static_cast<HighlightObject&>(*doc.objects[1]).color, MakeColorRef(1, 2, 3));
    const auto& stamp = static_cast<StampObject&>(*doc.objects[2]);
    EXPECT_EQ(stamp.stampIndex, 2);
    EXPECT_EQ(host.stampRequests, std::vector<int>{2});
    EXPECT_EQ(stamp.image.Width(), 6);
    doc.OnUndo();
    EXPECT_EQ(doc.objects.size(), 2u);
}

TEST_F(DrawingFixture, ZoomedBandsBecomeImagePixels) {
    host.metrics.factor = 2.0f;
    host.metrics.scrollX = 40;
    tools.SetTool(EditorTool::Shape);
    Drag(0, 20, 60, 80);  // zoomed (40, 20)-(100, 80)
    EXPECT_EQ(ObjectRect(*doc.objects.at(0)), (Rect{20, 10, 50, 40}));
}

TEST_F(DrawingFixture, AnEmptyBandOrAStrayReleaseCreatesNothing) {
    for (EditorTool t : {EditorTool::Shape, EditorTool::Highlight, EditorTool::Stamp}) {
        tools.SetTool(t);
        Click(50, 50);
        Drag(50, 50, 90, 50);  // no height
        tools.Release(80, 80);
    }
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(doc.UndoCount(), 0);
    EXPECT_TRUE(host.toolRequests.empty());
    EXPECT_TRUE(host.stampRequests.empty());
}

TEST_F(DrawingFixture, ABandCornerStopsEightPixelsShortAndMovesStopAtTheEdge) {
    // The fake host does not switch tools: the band stays for a second press.
    tools.SetTool(EditorTool::Highlight);
    Drag(20, 20, 80, 60);
    Drag(20, 20, 150, 120);  // the top-left corner past the opposite one
    EXPECT_EQ(ObjectRect(*doc.objects.at(1)), (Rect{72, 52, 80, 60}));
    EXPECT_TRUE(tools.KeyPress(Qt::Key_Escape));
    Drag(20, 20, 80, 60);
    Drag(50, 40, 250, 40);  // moved by its inside, far past the right edge: refused
    EXPECT_EQ(ObjectRect(*doc.objects.at(3)), (Rect{20, 20, 80, 60}));
    Drag(50, 40, 150, 40);
    EXPECT_EQ(ObjectRect(*doc.objects.at(4)), (Rect{120, 20, 180, 60}));
    EXPECT_EQ(doc.UndoCount(), 5);  // one object per press
}

TEST_F(DrawingFixture, TextClickMakesTheDefaultBoxCutAtTheImageEdges) {
    tools.SetTool(EditorTool::Text);
    Click(50, 40);
    ASSERT_EQ(doc.objects.size(), 1u);
    const auto& text = static_cast<TextObject&>(*doc.objects[0]);
    EXPECT_EQ(ObjectRect(text), (Rect{50, 40, 150, 90}));
    EXPECT_EQ(text.text, u"typed");
    EXPECT_EQ(text.boxStyle, 1);
    EXPECT_EQ(text.backColor, MakeColorRef(10, 11, 12));
    EXPECT_EQ(text.fontSize, 16);  // the rest keeps its defaults
    EXPECT_EQ(host.textEdits, 1);
    EXPECT_EQ(host.selection.selected, &text);
    EXPECT_EQ(host.toolRequests.back(), EditorTool::Select);

    Click(150, 120);
    EXPECT_EQ(ObjectRect(*doc.objects.at(1)), (Rect{150, 120, 200, 150}));
    Click(230, 10);  // clamped to the right edge: an empty box, nothing made
    Click(10, 150);
    EXPECT_EQ(doc.objects.size(), 2u);
    EXPECT_EQ(host.textEdits, 2);
    EXPECT_EQ(doc.UndoCount(), 2);

    host.metrics.factor = 2.0f;
    Click(100, 60);
    EXPECT_EQ(ObjectRect(*doc.objects.at(2)), (Rect{50, 30, 150, 80}));
}

TEST_F(DrawingFixture, TextWithABandUsesTheBand) {
    tools.SetTool(EditorTool::Text);
    Drag(10, 10, 40, 30);
    EXPECT_EQ(ObjectRect(*doc.objects.at(0)), (Rect{10, 10, 40, 30}));
}

TEST_F(DrawingFixture, CancelledTextGoesWithItsUndoStep) {
    tools.SetTool(EditorTool::Shape);
    Drag(10, 10, 40, 40);
    host.textDialogResult = false;
    tools.SetTool(EditorTool::Text);
    host.selectionChanges = 0;
    Click(60, 60);
    EXPECT_EQ(host.textEdits, 1);
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.UndoCount(), 1);
    EXPECT_EQ(host.selection.selected, nullptr);
    EXPECT_EQ(host.selectionChanges, 2);
    EXPECT_FALSE(Current().BandValid());
    EXPECT_EQ(host.toolRequests.back(), EditorTool::Select);
    doc.OnUndo();  // the shape's creation
    EXPECT_TRUE(doc.objects.empty());
}

TEST_F(DrawingFixture, DeleteKeyDeletesTheNewObjectAndDropsTheBand) {
    tools.SetTool(EditorTool::Shape);
    Drag(10, 10, 40, 40);
    ASSERT_TRUE(Current().BandValid());
    ASSERT_NE(host.selection.selected, nullptr);
    EXPECT_TRUE(tools.KeyPress(Qt::Key_Delete));
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(doc.UndoCount(), 2);
    Current().BeforePaint();
    EXPECT_FALSE(Current().BandValid());
}

}  // namespace
}  // namespace clipvane
