#include "document/RenderObjects.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "document/RenderCache.h"

namespace clipvane {
namespace {

using test::At;
using test::MakeHighlight;
using test::MakeLine;
using test::MakeShape;
using test::Solid;

constexpr uint32_t kWhite = 0xFFFFFFFF;

// Bounding box of the pixels that differ between two images of one size.
Rect ChangedArea(const PixelImage& a, const PixelImage& b) {
    Rect box{a.Width(), a.Height(), 0, 0};
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (At(a, x, y) != At(b, x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box.IsEmpty() ? Rect{} : box;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.IsEmpty() || (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                               inner.bottom <= outer.bottom);
}

PixelImage RenderOne(std::unique_ptr<AnnotationObject> object, const PixelImage& base) {
    ObjectList objects;
    objects.push_back(std::move(object));
    PixelImage target(base);
    RenderObjects(target, objects);
    return target;
}

TEST(RenderObjects, HighlightHalfwayOverWhite) {
    const PixelImage white = Solid(30, 20, 32, 255, 255, 255);
    const PixelImage out = RenderOne(MakeHighlight(5, 4, 25, 14, 50), white);
    // Blue 128 with a = 50*255/100 = 127: blue (128*127 + 255*128)/255 = 191,
    // green and red (255*128)/255 = 128.
    EXPECT_EQ(At(out, 5, 4), 0xFF8080BFu);
    EXPECT_EQ(At(out, 24, 13), 0xFF8080BFu);
    EXPECT_EQ(ChangedArea(white, out), (Rect{5, 4, 25, 14}));
}

TEST(RenderObjects, TwentyFourBitTargetIsConvertedNotSkipped) {
    PixelImage target = Solid(10, 10, 24, 255, 255, 255);
    ObjectList objects;
    objects.push_back(MakeHighlight(0, 0, 5, 5, 0));
    RenderObjects(target, objects);
    ASSERT_EQ(target.Depth(), 32);
    EXPECT_EQ(At(target, 2, 2), 0xFF000080u);
    EXPECT_EQ(At(target, 7, 7), kWhite);
    PixelImage empty;
    RenderObjects(empty, objects);
    EXPECT_TRUE(empty.IsEmpty());
    // With nothing to draw the target keeps its depth, directly and through
    // the cache.
    PixelImage untouched = Solid(4, 4, 24, 1, 2, 3);
    RenderObjects(untouched, ObjectList{});
    EXPECT_EQ(untouched.Depth(), 24);
    RenderCache cache;
    cache.Render(untouched, ObjectList{});
    EXPECT_EQ(untouched.Depth(), 24);
}

TEST(RenderObjects, LineStrokeAndBitmapBounds) {
    const PixelImage white = Solid(120, 60, 32, 255, 255, 255);
    auto line = MakeLine(10, 30, 90, 30, 6);
    line->color = MakeColorRef(255, 0, 0);
    const PixelImage out = RenderOne(std::move(line), white);
    // Width 6 centred on row 30 covers rows 27..32 fully.
    EXPECT_EQ(At(out, 50, 29), 0xFFFF0000u);
    EXPECT_EQ(At(out, 50, 27), 0xFFFF0000u);
    EXPECT_EQ(At(out, 50, 40), kWhite);
    EXPECT_TRUE(Inside(ChangedArea(white, out), Rect{0, 20, 100, 40}));

    auto hidden = MakeLine(10, 30, 90, 30, 6);
    hidden->transparency = 100;
    EXPECT_EQ(ChangedArea(white, RenderOne(std::move(hidden), white)), Rect{});

    // A point-sized line: a 20 x 20 bitmap at (40, 40), nothing outside it.
    const PixelImage big = Solid(100, 100, 32, 255, 255, 255);
    EXPECT_TRUE(Inside(ChangedArea(big, RenderOne(MakeLine(50, 50, 50, 50, 10), big)), Rect{40, 40, 60, 60}));
}

TEST(RenderObjects, DashedLineLeavesGaps) {
    const PixelImage white = Solid(120, 40, 32, 255, 255, 255);
    auto line = MakeLine(10, 20, 110, 20, 2);
    line->style = 2;
    const PixelImage out = RenderOne(std::move(line), white);
    int gaps = 0;
    for (int x = 12; x < 108; ++x) gaps += At(out, x, 20) == kWhite;
    EXPECT_GT(gaps, 10);
    EXPECT_LT(gaps, 60);
}

TEST(RenderObjects, FilledShapeColours) {
    const PixelImage white = Solid(100, 80, 32, 255, 255, 255);
    auto shape = MakeShape(20, 20, 70, 50);
    shape->borderStyle = 2;
    shape->width = 4;
    shape->borderColor = MakeColorRef(0, 0, 255);
    const PixelImage out = RenderOne(std::move(shape), white);
    EXPECT_EQ(At(out, 45, 35), 0xFF00177Bu);  // fill red 0, green 23, blue 123
    EXPECT_EQ(At(out, 20, 35), 0xFF0000FFu);  // on the left border line
    EXPECT_TRUE(Inside(ChangedArea(white, out), Rect{10, 10, 80, 60}));
}

TEST(RenderObjects, ShadowedShapeArea) {
    // 100 x 50 shape at (50, 50): bitmap 120 x 70 at (40, 40), 140 x 90 with
    // its shadow; the outline itself moves 5 right and down.
    const PixelImage white = Solid(250, 200, 32, 255, 255, 255);
    auto shape = MakeShape(50, 50, 150, 100);
    shape->shadow = 1;
    shape->width = 2;
    shape->borderColor = MakeColorRef(255, 0, 0);
    const PixelImage out = RenderOne(std::move(shape), white);
    const Rect changed = ChangedArea(white, out);
    EXPECT_TRUE(Inside(changed, Rect{40, 40, 180, 130}));
    EXPECT_GT(changed.right, 150);            // the shadow reaches past the outline
    EXPECT_EQ(At(out, 55, 75), 0xFFFF0000u);  // left edge, shifted by 5
    EXPECT_NE(At(out, 100, 106), kWhite);     // shadow under the bottom edge
    // The shadow follows the outline's ring: the middle of the box, 20 pixels
    // from every edge, stays clear.
    EXPECT_EQ(At(out, 100, 75), kWhite);
}

TEST(RenderObjects, ArrowHeadInObjectColourShaftBlack) {
    // (10,50)-(110,50): base (84,50), head corners (84,54) and (84,46).
    const PixelImage white = Solid(130, 100, 32, 255, 255, 255);
    auto arrow = MakeLine(10, 50, 110, 50, 1);
    arrow->kind = kObjectArrow;
    arrow->color = MakeColorRef(0, 200, 0);
    const PixelImage out = RenderOne(std::move(arrow), white);
    EXPECT_EQ(At(out, 95, 50), 0xFF00C800u);
    EXPECT_EQ(At(out, 50, 50), 0xFF000000u);
    EXPECT_EQ(At(out, 50, 52), kWhite);
    EXPECT_EQ(At(out, 95, 56), kWhite);
    EXPECT_TRUE(Inside(ChangedArea(white, out), Rect{0, 40, 120, 60}));

    // A zero-length arrow draws nothing.
    auto dot = MakeLine(50, 50, 50, 50, 1);
    dot->kind = kObjectArrow;
    EXPECT_EQ(ChangedArea(white, RenderOne(std::move(dot), white)), Rect{});
}

TEST(RenderObjects, TextBoxStyles) {
    const PixelImage grey = Solid(120, 60, 32, 128, 128, 128);
    auto solid = std::make_unique<TextObject>();
    solid->left = 10;
    solid->top = 10;
    solid->right = 90;
    solid->bottom = 50;
    solid->backColor = MakeColorRef(255, 255, 0);
    PixelImage out = RenderOne(std::move(solid), grey);
    // Empty text, solid box: exactly the box in the background colour.
    EXPECT_EQ(ChangedArea(grey, out), (Rect{10, 10, 90, 50}));
    EXPECT_EQ(At(out, 10, 10), 0xFFFFFF00u);
    EXPECT_EQ(At(out, 89, 49), 0xFFFFFF00u);

    auto glyphs = std::make_unique<TextObject>();
    glyphs->left = 10;
    glyphs->top = 10;
    glyphs->right = 110;
    glyphs->bottom = 50;
    glyphs->boxStyle = 1;
    glyphs->fontName = u"No Such Family Anywhere";  // falls back to a sans-serif face
    glyphs->text = u"HH\r\nHH";
    glyphs->bold = 1;
    out = RenderOne(std::move(glyphs), grey);
    const Rect changed = ChangedArea(grey, out);
    ASSERT_FALSE(changed.IsEmpty());
    EXPECT_TRUE(Inside(changed, Rect{10, 10, 110, 50}));
    // Centred by default, and two lines: the ink spans more than one line height.
    EXPECT_GT(changed.left, 30);
    EXPECT_GT(changed.Height(), 25);
}

TEST(RenderObjects, StampIsScaledToItsBox) {
    const PixelImage black = Solid(40, 40, 32, 0, 0, 0);
    auto stamp = std::make_unique<StampObject>();
    stamp->image = Solid(3, 3, 32, 10, 20, 30, 255);
    stamp->left = 5;
    stamp->top = 6;
    stamp->right = 20;
    stamp->bottom = 26;
    const PixelImage out = RenderOne(std::move(stamp), black);
    EXPECT_EQ(ChangedArea(black, out), (Rect{5, 6, 20, 26}));
    EXPECT_EQ(At(out, 12, 15), 0xFF1E140Au);

    auto none = std::make_unique<StampObject>();
    none->right = none->bottom = 10;
    EXPECT_EQ(ChangedArea(black, RenderOne(std::move(none), black)), Rect{});
}

TEST(RenderObjects, TextSizeIsInPointsAtNinetySixDpi) {
    // 72 points at 96 dpi is 96 pixels: a capital H is roughly 0.7 of that.
    const PixelImage white = Solid(300, 200, 32, 255, 255, 255);
    auto text = std::make_unique<TextObject>();
    text->right = 300;
    text->bottom = 200;
    text->boxStyle = 1;
    text->fontSize = 72;
    text->alignment = 0;
    text->fontName = u"DejaVu Sans";
    text->text = u"H";
    const Rect left = ChangedArea(white, RenderOne(CloneObject(*text), white));
    EXPECT_GT(left.Height(), 55);
    EXPECT_LT(left.Height(), 85);
    EXPECT_LT(left.left, 20);
    text->alignment = 2;
    const Rect right = ChangedArea(white, RenderOne(CloneObject(*text), white));
    EXPECT_GT(right.right, 280);
    EXPECT_EQ(right.Height(), left.Height());
    // Underline adds ink below the glyph.
    text->underline = 1;
    const Rect underlined = ChangedArea(white, RenderOne(std::move(text), white));
    EXPECT_GT(underlined.bottom, right.bottom);
}

TEST(BitmapToPixelImage, FormatsAndRefusal) {
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50)});
    indexed.fill(1);
    PixelImage image;
    ASSERT_TRUE(BitmapToPixelImage(indexed, image));
    EXPECT_EQ(image.Depth(), 8);
    EXPECT_EQ(*image.PixelAddress(2, 1), 1);
    EXPECT_EQ(image.Palette()[1], (RgbQuad{50, 100, 200, 0}));

    QImage rgb565(2, 1, QImage::Format_RGB16);
    rgb565.setPixel(0, 0, qRgb(255, 0, 0));
    ASSERT_TRUE(BitmapToPixelImage(rgb565, image));
    EXPECT_EQ(image.Depth(), 16);
    EXPECT_EQ(image.GreenMask(), 0x07E0u);
    EXPECT_EQ(image.GetPixel(0, 0), 0xF800u);

    QImage rgb(2, 1, QImage::Format_RGB888);  // red first in memory
    rgb.setPixel(1, 0, qRgb(10, 20, 30));
    ASSERT_TRUE(BitmapToPixelImage(rgb, image));
    EXPECT_EQ(image.Depth(), 24);
    EXPECT_EQ(At(image, 1, 0), 0x0A141Eu);

    QImage opaque(1, 1, QImage::Format_RGB32);
    opaque.fill(qRgb(4, 5, 6));
    ASSERT_TRUE(BitmapToPixelImage(opaque, image));
    EXPECT_EQ(At(image, 0, 0), 0xFF040506u);

    QImage premultiplied(1, 1, QImage::Format_ARGB32_Premultiplied);
    premultiplied.fill(QColor(100, 50, 0, 128));  // stored premultiplied
    ASSERT_TRUE(BitmapToPixelImage(premultiplied, image));
    EXPECT_EQ(At(image, 0, 0) >> 24, 128u);
    EXPECT_NEAR(int(At(image, 0, 0) >> 16 & 0xFF), 100, 1);  // straight again

    const PixelImage before = image;
    EXPECT_FALSE(BitmapToPixelImage(QImage(2, 2, QImage::Format_Alpha8), image));
    EXPECT_FALSE(BitmapToPixelImage(QImage(), image));
    EXPECT_TRUE(test::SamePixels(image, before));
}

TEST(RenderObjects, AbsurdCoordinatesAreSkipped) {
    // Ends at the int limits: no overflow, no giant allocation, nothing drawn.
    const PixelImage white = Solid(10, 10, 32, 255, 255, 255);
    EXPECT_EQ(ChangedArea(white, RenderOne(MakeLine(INT32_MIN, 0, INT32_MAX, 5, 2), white)), Rect{});
    EXPECT_EQ(ChangedArea(white, RenderOne(MakeHighlight(-(1 << 20), 0, 1 << 20, 5, 0), white)), Rect{});
    EXPECT_EQ(ChangedArea(white, RenderOne(MakeShape(INT32_MAX - 5, 0, INT32_MAX, 5), white)), Rect{});
    // Inverted boxes have no area.
    EXPECT_EQ(ChangedArea(white, RenderOne(MakeHighlight(8, 8, 2, 2, 0), white)), Rect{});
}

// Objects of every kind, some shadowed and translucent, for the cache checks.
ObjectList MixedObjects() {
    ObjectList objects;
    auto line = MakeLine(5, 5, 60, 40, 3);
    line->color = MakeColorRef(200, 10, 10);
    objects.push_back(std::move(line));
    auto arrow = MakeLine(70, 10, 20, 70, 1);
    arrow->kind = kObjectArrow;
    arrow->shadow = 1;
    objects.push_back(std::move(arrow));
    auto shape = MakeShape(30, 30, 90, 70);
    shape->borderStyle = 3;
    shape->transparency = 30;
    objects.push_back(std::move(shape));
    objects.push_back(MakeHighlight(10, 50, 80, 75, 60));
    auto text = std::make_unique<TextObject>();
    text->left = 40;
    text->top = 5;
    text->right = 95;
    text->bottom = 30;
    text->text = u"Ab";
    text->shadow = 1;
    objects.push_back(std::move(text));
    auto stamp = std::make_unique<StampObject>();
    stamp->image = Solid(4, 4, 32, 0, 90, 200, 180);
    stamp->left = -5;
    stamp->top = 60;
    stamp->right = 15;
    stamp->bottom = 85;
    objects.push_back(std::move(stamp));
    return objects;
}

void ExpectSameAsUncached(RenderCache& cache, const PixelImage& base, const ObjectList& objects) {
    PixelImage fresh(base);
    RenderObjects(fresh, objects);
    PixelImage viaCache(base);
    cache.Render(viaCache, objects);
    ASSERT_TRUE(test::SamePixels(viaCache, fresh));
    // The composite is always 32 bits, also where nothing was drawn.
    fresh.ConvertTo(32);
    const PixelImage& composite = cache.Compose(base, objects);
    ASSERT_TRUE(test::SamePixels(composite, fresh));
}

TEST(RenderCache, MatchesUncachedRenderingThroughEdits) {
    // Opaque bases take the run-skipping path, the alpha-0 base (a new
    // document's) the general one.
    for (int alpha : {255, 0, 128})
        for (int depth : {24, 32}) {
            if (depth == 24 && alpha != 255) continue;
            SCOPED_TRACE(depth * 1000 + alpha);
            const PixelImage base = Solid(100, 90, depth, 40, 160, 220, uint8_t(alpha));
            RenderCache cache;
            ObjectList objects = MixedObjects();
            ExpectSameAsUncached(cache, base, objects);
            // Move a line, restyle a shape, change an opacity.
            auto& line = static_cast<LineObject&>(*objects[0]);
            line.x1 += 7;
            line.y2 -= 3;
            ExpectSameAsUncached(cache, base, objects);
            static_cast<ShapeObject&>(*objects[2]).width = 6;
            objects[3]->transparency = 10;
            ExpectSameAsUncached(cache, base, objects);
            // Move a box by its body (a pure translation).
            SetObjectRect(*objects[4], Rect{30, 20, 85, 45});
            ExpectSameAsUncached(cache, base, objects);
            // Reorder, delete, add.
            std::swap(objects[1], objects[3]);
            ExpectSameAsUncached(cache, base, objects);
            objects.erase(objects.begin());
            ExpectSameAsUncached(cache, base, objects);
            objects.push_back(MakeHighlight(0, 0, 20, 20, 0));
            ExpectSameAsUncached(cache, base, objects);
            objects.clear();
            ExpectSameAsUncached(cache, base, objects);
            EXPECT_EQ(cache.BitmapCount(), 0u);
        }
}

TEST(RenderCache, ChangedBaseNeedsInvalidation) {
    RenderCache cache;
    ObjectList objects = MixedObjects();
    PixelImage base = Solid(100, 90, 32, 1, 2, 3);
    cache.Compose(base, objects);
    base = Solid(100, 90, 32, 9, 9, 9);
    cache.InvalidateBase();
    ExpectSameAsUncached(cache, base, objects);
    // A base of another size is noticed without being told.
    base = Solid(50, 40, 32, 9, 9, 9);
    ExpectSameAsUncached(cache, base, objects);
}

TEST(DrawSelectionMarks, CirclesAtShiftedHandles) {
    QImage canvas(80, 60, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    auto box = MakeShape(10, 10, 50, 30);
    {
        QPainter painter(&canvas);
        DrawSelectionMarks(painter, box.get());
        DrawSelectionMarks(painter, nullptr);
    }
    // Centre of each circle white, the ring black-ish, beyond it untouched.
    EXPECT_EQ(canvas.pixel(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.pixel(30, 30), 0xFFFFFFFFu);  // middle of the bottom edge (mx 30)
    EXPECT_EQ(canvas.pixel(50, 20), 0xFFFFFFFFu);  // middle of the right edge (my 20)
    EXPECT_EQ(qAlpha(canvas.pixel(30, 20)), 0);
    EXPECT_EQ(qAlpha(canvas.pixel(10, 15)), 0);  // between two circles

    canvas.fill(Qt::transparent);
    box->shadow = 1;
    {
        QPainter painter(&canvas);
        DrawSelectionMarks(painter, box.get());
    }
    EXPECT_EQ(canvas.pixel(15, 15), 0xFFFFFFFFu);
    EXPECT_EQ(qAlpha(canvas.pixel(9, 9)), 0);
}

}  // namespace
}  // namespace clipvane
