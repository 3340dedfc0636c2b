// The editor view with a real document: zoom commands and status texts, the
// crop band through the tool state machine, Enter and Esc, Move and Zoom.
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/tools/CropTool.h"
#include "editor/view/EditorView.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

struct ViewFixture : ::testing::Test {
    ViewFixture() {
        doc.image = test::Gradient(200, 150);
        view = std::make_unique<EditorView>(&doc);
        view->resize(400, 300);
        doc.UpdateAllViews();
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &press);
    }
    CropTool& Crop() { return static_cast<CropTool&>(view->Tools().Get(EditorTool::Crop)); }
    // A crop band dragged from (x0, y0) to (x1, y1) in view points.
    void DragCrop(int x0, int y0, int x1, int y1) {
        view->Tools().SetTool(EditorTool::Crop);
        view->Tools().Press(x0, y0);
        view->Tools().Move(x1, y1);
        view->Tools().Release(x1, y1);
    }

    ImageDocument doc;
    std::unique_ptr<EditorView> view;
};

TEST_F(ViewFixture, StartsWithMoveAtActualSize) {
    EXPECT_EQ(view->State().tool, EditorTool::Move);
    EXPECT_EQ(view->State().zoomIndex, 4);
    EXPECT_EQ(view->SizeText(), QStringLiteral("  Size: 200 x 150"));
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 100%"));
    EXPECT_EQ(view->ScrollRangeSize(), QSize(210, 160));
}

TEST_F(ViewFixture, SelectToolShowsTheArrowWithTheCross) {
    EXPECT_EQ(view->Tools().Get(EditorTool::Select).Cursor(), ViewCursor::SelectArrow);
    view->Tools().SetTool(EditorTool::Select);
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view->viewport()->cursor().hotSpot(), QPoint(1, 1));
}

TEST_F(ViewFixture, ZoomCommandsStopAtTheEndsOfTheTable) {
    EXPECT_FALSE(view->CanZoomActual());
    for (int i = 0; i < 12; ++i) view->ZoomIn();
    EXPECT_EQ(view->State().zoomIndex, 9);
    EXPECT_FALSE(view->CanZoomIn());
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 800%"));
    EXPECT_EQ(view->ScrollRangeSize(), QSize(1610, 1210));
    view->ZoomActual();
    EXPECT_EQ(view->State().zoomIndex, 4);
    for (int i = 0; i < 12; ++i) view->ZoomOut();
    EXPECT_EQ(view->State().zoomIndex, 0);
    EXPECT_FALSE(view->CanZoomOut());
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 10%"));
    view->SetZoomIndex(3);
    EXPECT_EQ(view->ZoomText(), QStringLiteral("Zoom: 75%"));
}

TEST_F(ViewFixture, ZoomKeepsTheBandOnTheSameImagePixels) {
    DragCrop(20, 20, 60, 50);
    ASSERT_TRUE(Crop().BandValid());
    const Rect inImage = Crop().BandImage();
    view->SetZoomIndex(6);
    EXPECT_EQ(Crop().BandImage(), inImage);
    EXPECT_EQ(Crop().Band(), (Rect{inImage.left * 2, inImage.top * 2, inImage.right * 2, inImage.bottom * 2}));
}

TEST_F(ViewFixture, EnterCropsToTheBandAsOneUndoStep) {
    DragCrop(10, 20, 110, 70);
    EXPECT_EQ(Crop().BandImage(), (Rect{10, 20, 110, 70}));
    const int before = doc.UndoCount();  // the crop press already recorded one step
    EXPECT_GE(before, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_EQ(doc.image.Height(), 50);
    EXPECT_EQ(doc.image.PixelAddress(0, 0)[0], 10);  // blue = original x
    EXPECT_EQ(doc.image.PixelAddress(0, 0)[1], 20);  // green = original y
    EXPECT_EQ(doc.UndoCount(), before + 1);
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(view->SizeText(), QStringLiteral("  Size: 100 x 50"));
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 200);
    EXPECT_EQ(view->State().imageWidth, 200);
}

TEST_F(ViewFixture, CropOnAZoomedViewUsesImagePixels) {
    view->SetZoomIndex(6);  // 200 %
    DragCrop(0, 0, 200, 100);
    Key(Qt::Key_Enter);
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_EQ(doc.image.Height(), 50);
    EXPECT_EQ(view->ScrollRangeSize(), QSize(210, 110));
}

TEST_F(ViewFixture, TinyBandIsDroppedAtPaintAndEnterDoesNothing) {
    DragCrop(10, 10, 13, 13);
    EXPECT_FALSE(Crop().BandValid());
    view->grab();  // paints
    EXPECT_EQ(Crop().Band(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, ClickOutsideTheCropBandRemovesItAtThePaint) {
    DragCrop(20, 20, 120, 100);
    view->grab();
    ASSERT_TRUE(Crop().BandValid());
    view->Tools().Press(170, 130);  // outside the band and its handles
    view->Tools().Release(170, 130);
    view->grab();
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(Crop().Band(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, CropBandUnderFourImagePixelsIsDroppedWhenZoomed) {
    view->SetZoomIndex(9);  // 800 %: a 24-pixel band covers 3 image pixels
    DragCrop(8, 8, 32, 32);
    EXPECT_EQ(Crop().BandImage(), (Rect{1, 1, 4, 4}));
    view->grab();
    EXPECT_FALSE(Crop().BandValid());
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, CropPreviewFollowsTheImageAndAResizeDropsTheBand) {
    DragCrop(20, 20, 120, 100);
    ASSERT_TRUE(Crop().BandValid());
    doc.image.PixelAddress(150, 120)[0] = 200;  // an edit outside the band
    doc.UpdateAllViews();
    EXPECT_EQ(Crop().Preview().PixelAddress(150, 120)[0], 100);
    EXPECT_TRUE(Crop().BandValid());
    doc.image = test::Gradient(100, 60);  // smaller than the band's far corner
    doc.UpdateAllViews();
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(Crop().BandImage(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 100);
}

TEST_F(ViewFixture, EscClearsTheBandInAnyTool) {
    DragCrop(10, 10, 60, 60);
    ASSERT_TRUE(Crop().BandValid());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_EQ(Crop().BandImage(), Rect{});
    Key(Qt::Key_Return);
    EXPECT_EQ(doc.image.Width(), 200);
}

TEST_F(ViewFixture, CornerDragResizesAndMoveDragMovesTheBand) {
    DragCrop(20, 20, 120, 100);
    view->Tools().Press(120, 100);  // bottom-right handle
    EXPECT_EQ(Crop().Mode(), BandMode::BottomRight);
    view->Tools().Move(150, 110);
    view->Tools().Release(150, 110);
    EXPECT_EQ(Crop().BandImage(), (Rect{20, 20, 150, 110}));
    view->Tools().Press(80, 60);  // inside: move
    EXPECT_EQ(Crop().Mode(), BandMode::Move);
    view->Tools().Move(90, 50);
    EXPECT_EQ(Crop().BandImage(), (Rect{30, 10, 160, 100}));
    view->Tools().Move(200, 50);  // would leave the image: refused
    EXPECT_EQ(Crop().BandImage(), (Rect{30, 10, 160, 100}));
    view->Tools().Release(200, 50);
}

TEST_F(ViewFixture, CropPressBurnsObjectsInAsAnUndoStep) {
    const int before = doc.UndoCount();
    view->Tools().SetTool(EditorTool::Crop);
    view->Tools().Press(5, 5);
    view->Tools().Release(5, 5);
    EXPECT_EQ(doc.UndoCount(), before + 1);
    // The preview is the image darkened by half.
    EXPECT_EQ(Crop().Preview().PixelAddress(100, 100)[0], 100 / 2);
    EXPECT_EQ(Crop().Preview().PixelAddress(100, 100)[3], 255);
}

TEST_F(ViewFixture, ZoomToolClicksInAndRightClicksOut) {
    view->Tools().SetTool(EditorTool::Zoom);
    view->Tools().Press(10, 10);
    view->Tools().Press(10, 10);
    EXPECT_EQ(view->State().zoomIndex, 6);
    view->Tools().RightPress();
    EXPECT_EQ(view->State().zoomIndex, 5);
    // The right button does nothing under other tools.
    view->Tools().SetTool(EditorTool::Move);
    view->Tools().RightPress();
    EXPECT_EQ(view->State().zoomIndex, 5);
}

TEST_F(ViewFixture, MoveToolPansWithTheHand) {
    view->SetZoomIndex(7);  // 800 x 600 zoomed in a 400 x 300 view
    ASSERT_TRUE(view->HasHorizontalScroll());
    view->Tools().Press(200, 200);
    view->Tools().Move(150, 170);
    EXPECT_EQ(view->ScrollX(), 50);
    EXPECT_EQ(view->ScrollY(), 30);
    view->Tools().Move(260, 260);  // beyond the start: clamped at 0
    EXPECT_EQ(view->ScrollX(), 0);
    EXPECT_EQ(view->ScrollY(), 0);
    view->Tools().Release(260, 260);
    EXPECT_FALSE(view->Tools().ButtonDown());
}

TEST_F(ViewFixture, ToolChangeClearsTheBandAndAsksForThePanel) {
    int requested = -1;
    QObject::connect(view.get(), &EditorView::toolPanelRequested, [&](int t) { requested = t; });
    DragCrop(10, 10, 60, 60);
    EXPECT_EQ(requested, int(EditorTool::Crop));
    view->Tools().SetTool(EditorTool::Text);
    EXPECT_EQ(Crop().BandImage(), Rect{});
    EXPECT_EQ(requested, int(EditorTool::Text));
}

TEST(CopyRegion, ClipsToTheImageAndRefusesBadArguments) {
    const PixelImage source = test::Gradient(20, 10);
    PixelImage out;
    ASSERT_TRUE(CopyRegion(source, &out, Rect{15, 5, 40, 40}));
    EXPECT_EQ(out.Width(), 5);
    EXPECT_EQ(out.Height(), 5);
    EXPECT_EQ(out.originX, 15);
    EXPECT_EQ(out.PixelAddress(0, 0)[0], 15);
    EXPECT_FALSE(CopyRegion(source, &out, Rect{30, 30, 40, 40}));
    EXPECT_FALSE(CopyRegion(source, nullptr, Rect{0, 0, 5, 5}));
    EXPECT_FALSE(CopyRegion(PixelImage(), &out, Rect{0, 0, 5, 5}));
}

}  // namespace
}  // namespace clipvane
