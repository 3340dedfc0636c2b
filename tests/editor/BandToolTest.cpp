// A band tool subclass gets the rubber band as it is: a new band from the
// press, corner handles with their cursors and minimum size, moves refused
// at the image edges, Esc, zoom and image changes, and the drop at paint.
#include <QImage>
#include <QPainter>
#include <Qt>
#include <gtest/gtest.h>

#include "editor/FakeToolHost.h"
#include "editor/tools/BandTool.h"

namespace clipvane {
namespace {

// What a drawing tool does with the band: reads it at the release.
class PlacingTool : public BandTool {
public:
    using BandTool::BandTool;
    void Release(int, int, bool dragging) override {
        if (dragging) placed.push_back(BandImage());
    }
    std::vector<Rect> placed;
};

struct BandFixture : ::testing::Test {
    void Drag(int x0, int y0, int x1, int y1) {
        tool.Press(x0, y0);
        tool.Move(x1, y1, true);
        tool.Release(x1, y1, true);
    }

    test::FakeToolHost host;  // a 200 x 150 image at 100 %
    PlacingTool tool{host};
};

TEST_F(BandFixture, ANewBandIsKeptInZoomedAndImagePixels) {
    host.metrics.factor = 2.0f;
    host.metrics.scrollX = 30;
    host.metrics.scrollY = 20;
    Drag(10, 10, 50, 30);
    EXPECT_TRUE(tool.BandValid());
    EXPECT_EQ(tool.Band(), (Rect{40, 30, 80, 50}));  // view point plus scroll
    EXPECT_EQ(tool.BandImage(), (Rect{20, 15, 40, 25}));
    EXPECT_EQ(tool.placed, std::vector<Rect>{(Rect{20, 15, 40, 25})});
    // Dragged past the image's far corner: clamped to it.
    tool.ClearBand();
    Drag(300, 250, 500, 500);
    EXPECT_EQ(tool.Band(), (Rect{330, 270, 400, 300}));
}

TEST_F(BandFixture, CornersAndTheInsideShowTheirCursorsAndDragTheBand) {
    Drag(20, 20, 120, 100);
    const std::pair<int, ViewCursor> hovers[] = {
        {0, ViewCursor::SizeNWSE},  // top-left (20, 20)
        {1, ViewCursor::SizeNESW},  // bottom-left
        {2, ViewCursor::SizeNESW},  // top-right
        {3, ViewCursor::SizeNWSE},  // bottom-right
    };
    const int corners[4][2] = {{20, 20}, {20, 100}, {120, 20}, {120, 100}};
    for (const auto& [i, cursor] : hovers) {
        tool.Move(corners[i][0] + 3, corners[i][1] - 3, false);
        EXPECT_EQ(host.LastCursor(), cursor) << i;
    }
    tool.Move(70, 60, false);
    EXPECT_EQ(host.LastCursor(), ViewCursor::Arrow);
    tool.Move(170, 130, false);
    EXPECT_EQ(host.LastCursor(), ViewCursor::Cross);

    // The top-left corner dragged beyond the opposite one stops 8 pixels short.
    tool.Press(20, 20);
    EXPECT_EQ(tool.Mode(), BandMode::TopLeft);
    EXPECT_EQ(host.LastCursor(), ViewCursor::SizeNWSE);
    tool.Move(190, 140, true);
    EXPECT_EQ(tool.Band(), (Rect{112, 92, 120, 100}));
    tool.Release(190, 140, true);

    // Moved inside; a move off the image is refused.
    tool.ClearBand();
    Drag(20, 20, 120, 100);
    tool.Press(70, 60);
    EXPECT_EQ(tool.Mode(), BandMode::Move);
    EXPECT_EQ(host.LastCursor(), ViewCursor::Arrow);
    tool.Move(80, 70, true);
    EXPECT_EQ(tool.BandImage(), (Rect{30, 30, 130, 110}));
    tool.Move(200, 70, true);
    EXPECT_EQ(tool.BandImage(), (Rect{30, 30, 130, 110}));
}

TEST_F(BandFixture, APressOffTheBandStartsAFreshOneAndClearsTheSelection) {
    Drag(20, 20, 120, 100);
    LineObject line;
    host.selection.selected = &line;
    tool.Press(170, 130);
    EXPECT_EQ(host.selection.selected, nullptr);
    EXPECT_EQ(tool.Mode(), BandMode::New);
    EXPECT_EQ(tool.BandImage(), Rect{});
    tool.Move(150, 110, true);
    EXPECT_EQ(tool.Band(), (Rect{150, 110, 170, 130}));
}

TEST_F(BandFixture, EscDropsTheBandAndTheNextPressDrawsAFreshOne) {
    Drag(20, 20, 120, 100);
    EXPECT_TRUE(tool.KeyPress(Qt::Key_Escape));
    EXPECT_FALSE(tool.BandValid());
    EXPECT_EQ(tool.Band(), Rect{});
    EXPECT_FALSE(tool.KeyPress(Qt::Key_Return));
    tool.Press(22, 22);  // where the old top-left handle was
    EXPECT_EQ(tool.Mode(), BandMode::New);
}

TEST_F(BandFixture, ZoomAndImageChangesFollowTheBand) {
    Drag(20, 20, 60, 50);
    host.metrics.factor = 0.5f;
    tool.ZoomChanged();
    EXPECT_EQ(tool.Band(), (Rect{10, 10, 30, 25}));
    EXPECT_EQ(tool.BandImage(), (Rect{20, 20, 60, 50}));
    tool.ImageChanged(false);
    EXPECT_TRUE(tool.BandValid());
    tool.ImageChanged(true);
    EXPECT_FALSE(tool.BandValid());
    EXPECT_EQ(tool.BandImage(), Rect{});
}

TEST_F(BandFixture, PaintingDropsABandTooSmallToShow) {
    QImage canvas(300, 200, QImage::Format_ARGB32);
    QPainter painter(&canvas);
    const ToolPaintArgs args{QRect(5, 5, 200, 150), 1.0f};
    Drag(10, 10, 13, 40);  // 3 pixels wide
    EXPECT_FALSE(tool.BandValid());
    tool.BeforePaint();
    EXPECT_EQ(tool.Band(), Rect{});

    // A cleared selection takes the rectangles; the paint then drops the band.
    Drag(10, 10, 60, 60);
    tool.SelectionCleared();
    EXPECT_EQ(tool.BandImage(), Rect{});
    tool.BeforePaint();
    EXPECT_FALSE(tool.BandValid());

    Drag(10, 10, 60, 60);
    tool.BeforePaint();
    EXPECT_TRUE(tool.BandValid());
    tool.PaintOverlay(painter, args);
    EXPECT_EQ(qGray(canvas.pixel(15, 15)), 0);  // the outline's top-left corner
}

TEST_F(BandFixture, DeactivationDropsTheBand) {
    Drag(20, 20, 120, 100);
    tool.Deactivate();
    EXPECT_FALSE(tool.BandValid());
    EXPECT_EQ(tool.Band(), Rect{});
    EXPECT_EQ(tool.Mode(), BandMode::New);
}

}  // namespace
}  // namespace clipvane
