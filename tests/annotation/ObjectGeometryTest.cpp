#include "annotation/ObjectGeometry.h"

#include <gtest/gtest.h>

#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

using test::MakeLine;
using test::MakeShape;

TEST(HitTestLine, ThickReversedLineHasSameTolerance) {
    // (200,110)-(0,10): major axis x, slope 0.5. At px = 100 the centre is
    // t = 110 + 0.5 * (100 - 200) = 60; width 10 gives 60 - 14 .. 60 + 14.
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed);
        auto line = reversed ? MakeLine(200, 110, 0, 10, 10) : MakeLine(0, 10, 200, 110, 10);
        EXPECT_TRUE(HitTestLine(*line, 100, 46));
        EXPECT_TRUE(HitTestLine(*line, 100, 74));
        EXPECT_FALSE(HitTestLine(*line, 100, 45));
        EXPECT_FALSE(HitTestLine(*line, 100, 75));
        // Past the ends along the major axis: no hit however close.
        EXPECT_FALSE(HitTestLine(*line, 201, 110));
        EXPECT_FALSE(HitTestLine(*line, -1, 10));
        EXPECT_TRUE(HitTestLine(*line, 200, 110));
    }
}

TEST(HitTestLine, CentreTruncatesTowardZero) {
    // (0,0)-(10,-5), width 0: at px = 3, t = -1.5 truncates to -1 (not -2),
    // so hits run from -5 to 3.
    auto line = MakeLine(0, 0, 10, -5, 0);
    EXPECT_TRUE(HitTestLine(*line, 3, 3));
    EXPECT_FALSE(HitTestLine(*line, 3, 4));
    EXPECT_TRUE(HitTestLine(*line, 3, -5));
    EXPECT_FALSE(HitTestLine(*line, 3, -6));
}

TEST(HitTestLine, SteepLineMeasuresAcrossX) {
    // Vertical (5,0)-(5,100), width 2: px within 5 +- 6, py within 0..100.
    auto line = MakeLine(5, 100, 5, 0, 2);
    EXPECT_TRUE(HitTestLine(*line, -1, 50));
    EXPECT_TRUE(HitTestLine(*line, 11, 50));
    EXPECT_FALSE(HitTestLine(*line, 12, 50));
    EXPECT_FALSE(HitTestLine(*line, 5, 101));
}

TEST(HitTestLine, ZeroLengthAndShadow) {
    auto dot = MakeLine(50, 50, 50, 50, 10);
    EXPECT_FALSE(HitTestLine(*dot, 50, 50));
    ObjectSelection sel;
    sel.selected = dot.get();
    EXPECT_EQ(HandleAt(sel, 50, 50), kHandleLineStart);  // still reachable by its handle

    // A shadowed line is hit 5 pixels right and down: (0,0)-(100,0) width 0
    // covers py -4..4 unshadowed, 1..9 shadowed.
    auto line = MakeLine(0, 0, 100, 0, 0);
    line->shadow = 1;
    EXPECT_TRUE(HitTestLine(*line, 50, 9));
    EXPECT_FALSE(HitTestLine(*line, 50, 0));
    EXPECT_FALSE(HitTestLine(*line, 2, 5));  // x range moved to 5..105
}

TEST(SelectAt, EdgesAndOverlap) {
    ObjectList objects;
    objects.push_back(MakeShape(10, 10, 50, 30));
    objects.push_back(MakeShape(40, 20, 90, 60));  // overlaps the first, drawn over it
    ObjectSelection sel;
    // Left and top edges belong to the box, right and bottom do not.
    EXPECT_EQ(SelectAt(sel, objects, 10, 10), objects[0].get());
    EXPECT_EQ(SelectAt(sel, objects, 9, 10), nullptr);
    EXPECT_EQ(SelectAt(sel, objects, 20, 30), nullptr);
    // The overlap picks the lowest (first created) object.
    EXPECT_EQ(SelectAt(sel, objects, 45, 25), objects[0].get());
    EXPECT_EQ(SelectAt(sel, objects, 50, 25), objects[1].get());
    // A miss clears an earlier selection.
    EXPECT_EQ(SelectAt(sel, objects, 200, 200), nullptr);
    EXPECT_EQ(sel.selected, nullptr);
}

TEST(SelectAt, BoxesIgnoreTheShadowShift) {
    ObjectList objects;
    objects.push_back(MakeShape(0, 0, 40, 40));
    objects[0]->shadow = 1;
    ObjectSelection sel;
    EXPECT_EQ(SelectAt(sel, objects, 0, 0), objects[0].get());
    EXPECT_EQ(SelectAt(sel, objects, 42, 42), nullptr);
}

TEST(HandleAt, OrderOfSquaresOnASmallBox) {
    auto box = MakeShape(0, 0, 10, 10);
    ObjectSelection sel;
    sel.selected = box.get();
    // (5,5) lies in every corner square; the top-left one is tested first.
    EXPECT_EQ(HandleAt(sel, 5, 5), kHandleTopLeft);
    EXPECT_EQ(sel.cursor, HandleCursor::SizeNWSE);
    // (9,9) is outside the top-left (x < 6), bottom-left and top-right squares.
    EXPECT_EQ(HandleAt(sel, 9, 9), kHandleBottomRight);
    EXPECT_EQ(HandleAt(sel, 16, 5), kHandleNone);
    EXPECT_EQ(sel.cursor, HandleCursor::Select);
}

TEST(HandleAt, EdgeMiddlesAndInside) {
    // (100,100)-(200,150): mx = 150, my = 125.
    auto box = MakeShape(100, 100, 200, 150);
    ObjectSelection sel;
    sel.selected = box.get();
    EXPECT_EQ(HandleAt(sel, 100, 125), kHandleLeft);
    EXPECT_EQ(HandleAt(sel, 205, 125), kHandleRight);
    EXPECT_EQ(sel.cursor, HandleCursor::SizeWE);
    EXPECT_EQ(HandleAt(sel, 150, 94), kHandleTop);
    EXPECT_EQ(HandleAt(sel, 150, 155), kHandleBottom);
    EXPECT_EQ(sel.cursor, HandleCursor::SizeNS);
    EXPECT_EQ(HandleAt(sel, 100, 150), kHandleBottomLeft);
    EXPECT_EQ(HandleAt(sel, 199, 100), kHandleTopRight);
    EXPECT_EQ(HandleAt(sel, 130, 130), kHandleInside);
    // The move base is the stored rectangle.
    EXPECT_EQ(sel.base[0], 100);
    EXPECT_EQ(sel.base[3], 150);
}

TEST(HandleAt, ShadowedBoxHandlesSitFivePixelsOff) {
    // Unshadowed top-left square: 94..105; shadowed: 99..110.
    auto box = MakeShape(100, 100, 200, 150);
    ObjectSelection sel;
    sel.selected = box.get();
    EXPECT_EQ(HandleAt(sel, 108, 108), kHandleInside);
    box->shadow = 1;
    EXPECT_EQ(HandleAt(sel, 108, 108), kHandleTopLeft);
    EXPECT_EQ(HandleAt(sel, 95, 95), kHandleNone);
    // Shifted middle of the top edge: mx = 105 + 50.
    EXPECT_EQ(HandleAt(sel, 155, 100), kHandleTop);
    // The base stays unshifted.
    EXPECT_EQ(sel.base[0], 100);
}

TEST(DragSelected, CornerStopsAtMinimumSize) {
    auto box = MakeShape(100, 100, 200, 150);
    ObjectSelection sel;
    sel.selected = box.get();
    sel.handle = HandleAt(sel, 100, 100);
    ASSERT_EQ(sel.handle, kHandleTopLeft);
    DragSelected(sel, 300, 300);
    // left = min(300, 200 - 20), top = min(300, 150 - 20).
    EXPECT_EQ(ObjectRect(*box), (Rect{180, 130, 200, 150}));

    sel.handle = kHandleBottomLeft;
    DragSelected(sel, 250, 10);  // left = min(250, 180), bottom = max(10, 150)
    EXPECT_EQ(ObjectRect(*box), (Rect{180, 130, 200, 150}));
    sel.handle = kHandleRight;
    DragSelected(sel, 400, 0);
    EXPECT_EQ(ObjectRect(*box), (Rect{180, 130, 400, 150}));
    sel.handle = kHandleNone;
    DragSelected(sel, 0, 0);
    EXPECT_EQ(ObjectRect(*box), (Rect{180, 130, 400, 150}));
}

TEST(DragSelected, ShadowedEdgeJumpsToThePointer) {
    auto box = MakeShape(100, 100, 200, 150);
    box->shadow = 1;
    ObjectSelection sel;
    sel.selected = box.get();
    sel.handle = HandleAt(sel, 205, 155);
    ASSERT_EQ(sel.handle, kHandleBottomRight);
    DragSelected(sel, 205, 155);
    EXPECT_EQ(ObjectRect(*box), (Rect{100, 100, 205, 155}));
}

TEST(DragSelected, BodyMovesKeepShape) {
    auto line = MakeLine(10, 20, 50, 80, 2);
    ObjectSelection sel;
    sel.selected = line.get();
    sel.startX = 30;
    sel.startY = 50;
    sel.handle = HandleAt(sel, 30, 50);
    ASSERT_EQ(sel.handle, kHandleLineBody);
    DragSelected(sel, 40, 60);
    DragSelected(sel, 37, 41);  // from the base, not cumulative: +7, -9
    EXPECT_EQ(line->x1, 17);
    EXPECT_EQ(line->y1, 11);
    EXPECT_EQ(line->x2, 57);
    EXPECT_EQ(line->y2, 71);

    sel.handle = kHandleLineEnd;
    DragSelected(sel, 3, 4);
    EXPECT_EQ(line->x2, 3);
    EXPECT_EQ(line->y2, 4);

    auto box = MakeShape(0, 0, 30, 30);
    sel.selected = box.get();
    sel.startX = 10;
    sel.startY = 10;
    sel.handle = HandleAt(sel, 15, 15);
    ASSERT_EQ(sel.handle, kHandleInside);
    DragSelected(sel, -90, 30);  // objects may leave the image
    EXPECT_EQ(ObjectRect(*box), (Rect{-100, 20, -70, 50}));
}

TEST(ObjectOrder, FrontAndBack) {
    ObjectList objects;
    for (int i = 0; i < 3; ++i) objects.push_back(MakeShape(i, 0, i + 10, 10));
    AnnotationObject* a = objects[0].get();
    AnnotationObject* b = objects[1].get();
    AnnotationObject* c = objects[2].get();
    BringToFront(objects, a);
    EXPECT_EQ(objects[0].get(), b);
    EXPECT_EQ(objects[2].get(), a);
    SendToBack(objects, c);
    EXPECT_EQ(objects[0].get(), c);
    EXPECT_EQ(objects[1].get(), b);
    EXPECT_EQ(objects[2].get(), a);
    BringToFront(objects, nullptr);  // not in the list: nothing
    EXPECT_EQ(objects[0].get(), c);

    ObjectList single;
    single.push_back(MakeShape(0, 0, 5, 5));
    AnnotationObject* only = single[0].get();
    SendToBack(single, only);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].get(), only);
}

TEST(AnnotationObjects, CopyListIsDeep) {
    ObjectList source;
    auto text = std::make_unique<TextObject>();
    text->text = u"two\r\nlines";
    text->fontName = u"DejaVu Serif";
    text->left = 1;
    text->bottom = 9;
    text->bold = text->italic = text->underline = 1;
    text->boxStyle = 1;
    text->shadow = 1;
    text->transparency = 33;
    source.push_back(std::move(text));
    auto stamp = std::make_unique<StampObject>();
    stamp->image = test::Solid(2, 2, 32, 1, 2, 3, 4);
    stamp->stampIndex = 3;
    stamp->right = 20;
    source.push_back(std::move(stamp));
    auto arrow = MakeLine(1, 2, 3, 4, 1);
    arrow->kind = kObjectArrow;
    arrow->color = 0x123456;
    arrow->style = 1;
    source.push_back(std::move(arrow));

    ObjectList copy;
    copy.push_back(MakeShape(0, 0, 1, 1));  // emptied first
    CopyObjectList(copy, source);
    ASSERT_EQ(copy.size(), 3u);

    const auto& t = static_cast<const TextObject&>(*copy[0]);
    EXPECT_EQ(t.text, u"two\r\nlines");
    EXPECT_EQ(t.fontName, u"DejaVu Serif");
    EXPECT_EQ(t.left, 1);
    EXPECT_EQ(t.bottom, 9);
    EXPECT_EQ(t.bold + t.italic + t.underline + t.boxStyle + t.shadow, 5);
    EXPECT_EQ(t.transparency, 33);

    auto& s = static_cast<StampObject&>(*copy[1]);
    EXPECT_EQ(s.stampIndex, 3);
    EXPECT_EQ(s.right, 20);
    ASSERT_FALSE(s.image.IsEmpty());
    EXPECT_NE(s.image.Bits(), static_cast<StampObject&>(*source[1]).image.Bits());
    static_cast<StampObject&>(*source[1]).image.PixelAddress(0, 0)[0] = 99;
    EXPECT_EQ(s.image.PixelAddress(0, 0)[0], 1);

    const auto& a = static_cast<const LineObject&>(*copy[2]);
    EXPECT_EQ(a.kind, kObjectArrow);
    EXPECT_EQ(a.color, 0x123456u);
    EXPECT_EQ(a.style, 1);
    EXPECT_EQ(a.y2, 4);
    EXPECT_NE(copy[2].get(), source[2].get());
}

}  // namespace
}  // namespace clipvane
