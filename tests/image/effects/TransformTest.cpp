// Geometric transforms: quarter turns, flips, rotation by an angle, the fill
// and the Resize dialog's proportional arithmetic.
#include <gtest/gtest.h>

#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "image/effects/Effects.h"

namespace clipvane {
namespace {

using test::At;
using test::MakeImage;

// a b c / d e f as pixel values 1..6.
PixelImage Abc(int depth) { return MakeImage(3, 2, depth, {1, 2, 3, 4, 5, 6}); }

TEST(QuarterTurn, Rotate90IsClockwise) {
    // New (x, y) <- old (y, 1 - x): rows [d a], [e b], [f c].
    PixelImage img = Abc(32);
    img.originX = 7;
    Rotate90Effect e;
    img.ApplyEffect(e);
    ASSERT_EQ(img.Width(), 2);
    ASSERT_EQ(img.Height(), 3);
    const uint32_t want[3][2] = {{4, 1}, {5, 2}, {6, 3}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(At(img, x, y), want[y][x]);
    EXPECT_EQ(img.originX, 7);
}

TEST(QuarterTurn, Rotate270IsCounterClockwise) {
    // New (x, y) <- old (2 - y, x): rows [c f], [b e], [a d].
    PixelImage img = Abc(24);
    Rotate270Effect e;
    img.ApplyEffect(e);
    ASSERT_EQ(img.Width(), 2);
    ASSERT_EQ(img.Height(), 3);
    const uint32_t want[3][2] = {{3, 6}, {2, 5}, {1, 4}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(At(img, x, y), want[y][x]);
}

TEST(QuarterTurn, RoundTripsRestoreTheImage) {
    for (int depth : {8, 16, 24, 32}) {
        PixelImage img;
        img.Create(67, 45, depth);  // larger than one 32-row band, odd sizes
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < img.Stride(); ++x) img.Row(y)[x] = uint8_t(x * 7 + y * 13);
        const PixelImage before = img;
        Rotate90Effect r90;
        Rotate270Effect r270;
        img.ApplyEffect(r90);
        img.ApplyEffect(r270);
        EXPECT_TRUE(test::SamePixels(img, before)) << depth;
        for (int i = 0; i < 4; ++i) img.ApplyEffect(r90);
        EXPECT_TRUE(test::SamePixels(img, before)) << depth;
    }
}

TEST(QuarterTurn, KeepsThePaletteAndRefusesFourBits) {
    PixelImage img;
    img.Create(2, 1, 8);
    RgbQuad red{0, 0, 255, 0};
    img.SetPalette(5, 1, &red);
    img.PixelAddress(1, 0)[0] = 5;
    Rotate90Effect e;
    img.ApplyEffect(e);
    ASSERT_EQ(img.Depth(), 8);
    EXPECT_EQ(img.Palette()[5], red);
    EXPECT_EQ(img.PixelAddress(0, 1)[0], 5);  // old (1, 0) -> new (0, 1)
    PixelImage nibbles;
    nibbles.Create(3, 2, 4);
    EXPECT_FALSE(e.CanApply(nibbles));
}

TEST(QuarterTurn, KeepsSixteenBitMasks) {
    // A 5-6-5 image must stay 5-6-5, or its pixels would be read as 5-5-5.
    PixelImage img = test::Make565(2, 1);
    ASSERT_FALSE(img.IsEmpty());
    const uint16_t green = 0x07E0;
    std::memcpy(img.PixelAddress(1, 0), &green, 2);
    Rotate270Effect e;
    img.ApplyEffect(e);
    EXPECT_EQ(img.GreenMask(), 0x07E0u);
    EXPECT_EQ(img.RedMask(), 0xF800u);
    EXPECT_EQ(img.GetPixel(0, 0), 0x07E0u);  // new (0, 0) takes old (W - 1 - 0, 0) = (1, 0)
    img.ConvertTo(24);
    EXPECT_EQ(img.GetPixel(0, 0), 0x00FC00u);  // pure green of the 5-6-5 layout
}

TEST(Flip, HorizontalAndVertical) {
    PixelImage h = Abc(32), v = Abc(24);
    FlipHorizontalEffect fh;
    FlipVerticalEffect fv;
    h.ApplyEffect(fh);
    v.ApplyEffect(fv);
    const uint32_t wantH[2][3] = {{3, 2, 1}, {6, 5, 4}};
    const uint32_t wantV[2][3] = {{4, 5, 6}, {1, 2, 3}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(At(h, x, y), wantH[y][x]);
            EXPECT_EQ(At(v, x, y), wantV[y][x]);
        }
    // One pixel wide (horizontal) and one pixel high (vertical) change nothing.
    PixelImage column = MakeImage(1, 3, 24, {1, 2, 3});
    const PixelImage c0 = column;
    column.ApplyEffect(fh);
    EXPECT_TRUE(test::SamePixels(column, c0));
    PixelImage row = MakeImage(3, 1, 24, {1, 2, 3});
    const PixelImage r0 = row;
    row.ApplyEffect(fv);
    EXPECT_TRUE(test::SamePixels(row, r0));
}

TEST(Flip, TwiceRestoresAtEveryDepth) {
    for (int depth : {8, 16, 24, 32}) {
        PixelImage img;
        img.Create(33, 7, depth);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < img.Stride(); ++x) img.Row(y)[x] = uint8_t(x * 5 + y * 31);
        const PixelImage before = img;
        FlipHorizontalEffect fh;
        FlipVerticalEffect fv;
        img.ApplyEffect(fh);
        EXPECT_EQ(std::memcmp(img.PixelAddress(0, 2), before.PixelAddress(32, 2), size_t(depth / 8)), 0);
        img.ApplyEffect(fh);
        img.ApplyEffect(fv);
        img.ApplyEffect(fv);
        EXPECT_TRUE(test::SamePixels(img, before)) << depth;
    }
}

TEST(RotatePoint, TurnsClockwiseWithYDown) {
    // A point to the right of the centre goes below it after a quarter turn.
    EXPECT_EQ(RotatePoint(2, 0, 0, 0, 1.5707963267948966), (IntPoint{0, 2}));
    EXPECT_EQ(RotatePoint(0, 2, 0, 0, 1.5707963267948966), (IntPoint{-2, 0}));
    EXPECT_EQ(RotatePoint(5, 3, 5, 3, 0.7), (IntPoint{5, 3}));
    // 45 degrees about (5, 5): (10, 0) -> (5 + 3.54 + 3.54, 5 - 0) = (12.07, 5) -> (12, 5).
    EXPECT_EQ(RotatePoint(10, 0, 5, 5, 45 * 0.017453292519943295), (IntPoint{12, 5}));
}

TEST(RotateEffect, ZeroDegreesBlendsOnlyTheLastColumnAndRow) {
    // Blue by column 200, 110, 10; green by row 200, 110, 10; red 50.
    // The source position of the last column, 2, is clamped to 1.9: fraction
    // 0.9 between 110 and 10 gives 110 - 90 = 20 (the rounding error is upward).
    PixelImage img;
    img.Create(3, 3, 24);
    const uint8_t level[3] = {200, 110, 10};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            p[0] = level[x];
            p[1] = level[y];
            p[2] = 50;
        }
    for (int degrees : {0, 360, -720}) {
        PixelImage r = img;
        RotateEffect e(degrees);
        r.ApplyEffect(e);
        ASSERT_EQ(r.Width(), 3);
        ASSERT_EQ(r.Height(), 3);
        const uint8_t out[3] = {200, 110, 20};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                const uint8_t* p = r.PixelAddress(x, y);
                EXPECT_EQ(p[0], out[x]) << degrees << " " << x << "," << y;
                EXPECT_EQ(p[1], out[y]) << degrees << " " << x << "," << y;
                EXPECT_EQ(p[2], 50);
            }
    }
}

TEST(RotateEffect, FortyFiveDegreesGrowsWithTransparentCorners) {
    // Corners of 10 x 10 about (5, 5): (0,0) -> (5, -2.07), (10,0) -> (12.07, 5),
    // (0,10) -> (-2.07, 5), (10,10) -> (5, 12.07): rounded, 14 x 14.
    PixelImage img = test::Uniform(10, 10, 32, 0xFF336699u);
    RotateEffect e(45);
    img.ApplyEffect(e);
    ASSERT_EQ(img.Width(), 14);
    ASSERT_EQ(img.Height(), 14);
    EXPECT_EQ(At(img, 0, 0), 0u);
    EXPECT_EQ(At(img, 13, 13), 0u);
    EXPECT_EQ(At(img, 7, 7), 0xFF336699u);  // all four samples equal: copied exactly
    EXPECT_EQ(e.NewWidth(), 14);
}

TEST(RotateEffect, NeedsTwoByTwoAndTwentyFourBits) {
    RotateEffect e(30);
    PixelImage thin = test::Uniform(5, 1, 32, 1), narrow = test::Uniform(1, 5, 24, 1), pal;
    pal.Create(5, 5, 8);
    EXPECT_FALSE(e.CanApply(thin));
    EXPECT_FALSE(e.CanApply(narrow));
    EXPECT_FALSE(e.CanApply(pal));
    const PixelImage before = thin;
    thin.ApplyEffect(e);
    EXPECT_TRUE(test::SamePixels(thin, before));
}

TEST(RotateEffect, MapToSourceInsideAndOutside) {
    PixelImage img = test::Uniform(10, 10, 24, 0x112233u);
    RotateEffect e(45);
    img.ApplyEffect(e);
    double sx, sy;
    EXPECT_FALSE(e.MapToSource(0, 0, sx, sy));
    EXPECT_TRUE(e.MapToSource(7, 7, sx, sy));
    // Whole pixels shifted by (14 - 10) / 2 = 2: fractions are 0 or 0.5 only.
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x) {
            e.MapToSource(x, y, sx, sy);
            EXPECT_EQ(sx * 2, std::trunc(sx * 2));
            EXPECT_EQ(sy * 2, std::trunc(sy * 2));
        }
}

TEST(Fill, ColourAndAlphaRules) {
    PixelImage rgb = test::Uniform(2, 1, 24, 0);
    FillEffect keep(0x112233u, -1), opaque(0x112233u, 300), clear(0x445566u, -5);
    rgb.ApplyEffect(opaque);
    EXPECT_EQ(At(rgb, 1, 0), 0x112233u);  // 24 bits: colour only
    PixelImage argb = test::Uniform(3, 1, 32, 0x80000000u);
    argb.ApplyEffect(keep);
    EXPECT_EQ(At(argb, 2, 0), 0x80112233u);
    argb.ApplyEffect(opaque);
    EXPECT_EQ(At(argb, 2, 0), 0xFF112233u);  // 300 clamped
    argb.ApplyEffect(clear);
    EXPECT_EQ(At(argb, 0, 0), 0x00445566u);  // -5 clamped, only -1 means "keep"
}

TEST(ResizeArithmetic, KeepsTheAspectOfTheOriginalSize) {
    // 200 x 100 image: width 50 -> 100 x 50 / 200 = 25; width 3 -> 1.5 -> 2.
    EXPECT_EQ(ProportionalHeight(50, 200, 100, 7), 25);
    EXPECT_EQ(ProportionalHeight(3, 200, 100, 7), 2);
    EXPECT_EQ(ProportionalHeight(-3, 200, 100, 7), -2);
    EXPECT_EQ(ProportionalHeight(0, 200, 100, 7), 0);  // then the resize does nothing
    EXPECT_EQ(ProportionalWidth(30, 200, 100, 7), 60);
    EXPECT_EQ(ProportionalWidth(1, 3, 2, 7), 2);  // 3 x 1 / 2 = 1.5 -> 2
    // No width to scale from leaves the other edit alone; huge entries saturate.
    EXPECT_EQ(ProportionalHeight(50, 0, 100, 7), 7);
    EXPECT_EQ(ProportionalHeight(2000000000, 1, 100, 7), 2147483647);
}

}  // namespace
}  // namespace clipvane
