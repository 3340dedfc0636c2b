// Zoom arithmetic, status texts, band hit testing and band dragging.
#include <gtest/gtest.h>

#include "editor/tools/BandGeometry.h"
#include "editor/view/ZoomMath.h"

namespace clipvane {
namespace {

TEST(ZoomMath, TableAndOutOfRange) {
    EXPECT_FLOAT_EQ(ZoomFactor(0), 0.1f);
    EXPECT_FLOAT_EQ(ZoomFactor(4), 1.0f);
    EXPECT_FLOAT_EQ(ZoomFactor(9), 8.0f);
    EXPECT_EQ(ZoomFactor(-1), 0.0f);
    EXPECT_EQ(ZoomFactor(10), 0.0f);
}

TEST(ZoomMath, PercentTextsTruncate) {
    EXPECT_EQ(ZoomPercent(3), 75);
    EXPECT_EQ(ZoomPercent(0), 10);
    EXPECT_EQ(ZoomPercent(1), 25);
    EXPECT_EQ(ZoomPercent(9), 800);
}

TEST(ZoomMath, ScrollRangeIsZoomedSizePlusMargins) {
    // 1000 x 700 at 10 % shows as 100 x 70 with a 110 x 80 range.
    EXPECT_EQ(ZoomedLength(1000, ZoomFactor(0)), 100);
    EXPECT_EQ(ZoomedLength(700, ZoomFactor(0)), 70);
    const ScrollExtent e = ScrollRange(1000, 700, ZoomFactor(0));
    EXPECT_EQ(e.width, 110);
    EXPECT_EQ(e.height, 80);
    // A 200 x 100 image at 200 %.
    const ScrollExtent z = ScrollRange(200, 100, ZoomFactor(6));
    EXPECT_EQ(z.width, 410);
    EXPECT_EQ(z.height, 210);
    // Odd sizes round half up: 3 x 0.25 = 0.75 -> 1.
    EXPECT_EQ(ZoomedLength(3, ZoomFactor(1)), 1);
}

TEST(ZoomMath, ImageCoordinatesRoundToNearestPixel) {
    EXPECT_EQ(ImageCoord(15, 2.0f), 8);  // 7.5 + 0.5
    EXPECT_EQ(ImageCoord(14, 2.0f), 7);
    EXPECT_EQ(ImageCoord(10, 0.25f), 40);
    EXPECT_EQ(ImageCoord(5, 0.0f), 0);
    const Rect zoomed{10, 20, 30, 41};
    EXPECT_EQ(ZoomedToImage(zoomed, 2.0f), (Rect{5, 10, 15, 21}));
    EXPECT_EQ(ImageToZoomed(Rect{5, 10, 15, 21}, 1.5f), (Rect{8, 15, 23, 32}));
}

TEST(BandGeometry, HandlesAreTestedInOrderThenTheBandItself) {
    const Rect band{100, 100, 200, 160};
    EXPECT_EQ(HitBand(band, 100, 100), BandMode::TopLeft);
    EXPECT_EQ(HitBand(band, 93, 107), BandMode::TopLeft);
    EXPECT_EQ(HitBand(band, 101, 160), BandMode::BottomLeft);
    EXPECT_EQ(HitBand(band, 199, 99), BandMode::TopRight);
    EXPECT_EQ(HitBand(band, 205, 165), BandMode::BottomRight);
    EXPECT_EQ(HitBand(band, 150, 130), BandMode::Move);
    EXPECT_EQ(HitBand(band, 250, 130), BandMode::New);
    EXPECT_EQ(HitBand(band, 91, 100), BandMode::New);  // just outside the 16-pixel square
    // A tiny band: the top-left square wins over every other corner.
    EXPECT_EQ(HitBand(Rect{50, 50, 54, 54}, 52, 52), BandMode::TopLeft);
}

BandDrag Drag(BandMode mode, Rect pressBand, int px, int py, int zw = 400, int zh = 300) {
    BandDrag d;
    d.mode = mode;
    d.pressBand = pressBand;
    d.pressX = px;
    d.pressY = py;
    d.zoomedWidth = zw;
    d.zoomedHeight = zh;
    return d;
}

TEST(BandGeometry, NewBandIsNormalisedAndClampedToTheImage) {
    const BandDrag d = Drag(BandMode::New, {}, 100, 80);
    EXPECT_EQ(DragBand(d, {}, 40, 200), (Rect{40, 80, 100, 200}));
    EXPECT_EQ(DragBand(d, {}, 900, -50), (Rect{100, 0, 400, 80}));
}

TEST(BandGeometry, NewBandOnAScrolledViewReachesTheFarEdge) {
    BandDrag d = Drag(BandMode::New, {}, 50, 50, 1000, 800);
    d.pressScrollX = 600;
    d.pressScrollY = 500;
    // The pointer beyond the image's right and bottom edges.
    EXPECT_EQ(DragBand(d, {}, 700, 700), (Rect{650, 550, 1000, 800}));
}

TEST(BandGeometry, CornersStopEightPixelsFromTheOppositeEdges) {
    const Rect band{100, 100, 200, 160};
    EXPECT_EQ(DragBand(Drag(BandMode::TopLeft, band, 100, 100), band, 300, 300), (Rect{192, 152, 200, 160}));
    EXPECT_EQ(DragBand(Drag(BandMode::BottomRight, band, 200, 160), band, 0, 0), (Rect{100, 100, 108, 108}));
    EXPECT_EQ(DragBand(Drag(BandMode::BottomLeft, band, 100, 160), band, 300, 0), (Rect{192, 100, 200, 108}));
    EXPECT_EQ(DragBand(Drag(BandMode::TopRight, band, 200, 100), band, 0, 300), (Rect{100, 152, 108, 160}));
    EXPECT_EQ(DragBand(Drag(BandMode::TopLeft, band, 100, 100), band, 90, 95), (Rect{90, 95, 200, 160}));
}

TEST(BandGeometry, ChangesLeavingTheImageAreRefused) {
    const Rect band{100, 100, 200, 160};
    const Rect last{110, 100, 210, 160};
    // Moving past the right edge keeps the last band that fitted.
    EXPECT_EQ(DragBand(Drag(BandMode::Move, band, 150, 130), last, 400, 130), last);
    EXPECT_EQ(DragBand(Drag(BandMode::Move, band, 150, 130), last, 350, 130), (Rect{300, 100, 400, 160}));
    EXPECT_EQ(DragBand(Drag(BandMode::TopLeft, band, 100, 100), last, -1, 100), last);
    EXPECT_EQ(DragBand(Drag(BandMode::BottomRight, band, 200, 160), last, 200, 301), last);
    // Exactly at the edges is allowed.
    EXPECT_EQ(DragBand(Drag(BandMode::Move, band, 150, 130), last, 50, 70), (Rect{0, 40, 100, 100}));
}

}  // namespace
}  // namespace clipvane
