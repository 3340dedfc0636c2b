#include "document/BlendImage.h"

#include <gtest/gtest.h>

#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "document/DropShadowEffect.h"

namespace clipvane {
namespace {

using test::At;
using test::Solid;

// Blends one source pixel onto one destination pixel and returns the result.
uint32_t BlendOne(uint32_t dest, uint32_t src, int strength) {
    PixelImage d = Solid(1, 1, 32, dest & 0xFF, dest >> 8 & 0xFF, dest >> 16 & 0xFF, dest >> 24);
    const PixelImage s = Solid(1, 1, 32, src & 0xFF, src >> 8 & 0xFF, src >> 16 & 0xFF, src >> 24);
    BlendImage(d, s, 0, 0, strength);
    return At(d, 0, 0);
}

TEST(BlendImage, OpaqueDestination) {
    // a = 128: channel = (q * 128 + d * 127) / 255.
    // blue (200*128 + 10*127)/255 = 26870/255 = 105; green (100*128 + 20*127)/255
    // = 15340/255 = 60; red (50*128 + 30*127)/255 = 10210/255 = 40.
    EXPECT_EQ(BlendOne(0xFF1E140A, 0x803264C8, 100), 0xFF283C69u);
    // Strength 50 on alpha 200: a = 50*200/100 = 100; white over black gives
    // 255*100/255 = 100 per channel.
    EXPECT_EQ(BlendOne(0xFF000000, 0xC8FFFFFF, 50), 0xFF646464u);
    // Strength 33 on alpha 255: a = 33*255/100 = 84; (255*84 + 0)/255 = 84.
    EXPECT_EQ(BlendOne(0xFF000000, 0xFFFFFFFF, 33), 0xFF545454u);
    // a = 255 copies the colour; a = 0 leaves the pixel.
    EXPECT_EQ(BlendOne(0xFF010203, 0xFF0A0B0C, 100), 0xFF0A0B0Cu);
    EXPECT_EQ(BlendOne(0x7F010203, 0x000A0B0C, 100), 0x7F010203u);
    EXPECT_EQ(BlendOne(0x7F010203, 0xFF0A0B0C, 0), 0x7F010203u);
}

TEST(BlendImage, TranslucentDestination) {
    // d = (100,100,100) alpha 100, q = (blue 200, green 0, red 255), a = 50:
    // c = 12750, e = 25500, k = 5000, f = 33250.
    // blue (200*12750 + 20500*100)/33250 = 4600000/33250 = 138;
    // green (0 + 2050000)/33250 = 61; red (255*12750 + 2050000)/33250 =
    // 5301250/33250 = 159; alpha 33250/255 = 130.
    EXPECT_EQ(BlendOne(0x64646464, 0x32FF00C8, 100), 0x829F3D8Au);
}

TEST(BlendImage, TransparentDestinationTakesSourceUnmixed) {
    EXPECT_EQ(BlendOne(0x00102030, 0x4D0A0B0C, 100), 0x4D0A0B0Cu);
    // Nothing on nothing becomes transparent white.
    EXPECT_EQ(BlendOne(0x00102030, 0x000A0B0C, 100), 0x00FFFFFFu);
    // Strength 0 makes every a zero: transparent pixels still turn white.
    EXPECT_EQ(BlendOne(0x00102030, 0xFF0A0B0C, 0), 0x00FFFFFFu);
}

TEST(BlendImage, ClipsAndRefusesOtherDepths) {
    PixelImage d = Solid(4, 3, 32, 0, 0, 0, 255);
    const PixelImage s = Solid(3, 3, 32, 9, 9, 9, 255);
    BlendImage(d, s, -2, 1, 100);  // only source column 2 lands, at x 0, rows 1..2
    EXPECT_EQ(At(d, 0, 1), 0xFF090909u);
    EXPECT_EQ(At(d, 0, 2), 0xFF090909u);
    EXPECT_EQ(At(d, 1, 1), 0xFF000000u);
    EXPECT_EQ(At(d, 0, 0), 0xFF000000u);
    BlendImage(d, s, 4, 0, 100);  // wholly outside
    BlendImage(d, s, 0, -3, 100);
    EXPECT_EQ(At(d, 3, 0), 0xFF000000u);

    PixelImage d24 = Solid(2, 2, 24, 1, 1, 1);
    BlendImage(d24, s, 0, 0, 100);
    EXPECT_EQ(At(d24, 0, 0), 0x010101u);

    // Clipped blending touches only the clip.
    PixelImage e = Solid(4, 1, 32, 0, 0, 0, 255);
    BlendImageClipped(e, Solid(4, 1, 32, 5, 5, 5, 255), 0, 0, 100, Rect{1, 0, 3, 1});
    EXPECT_EQ(At(e, 0, 0), 0xFF000000u);
    EXPECT_EQ(At(e, 1, 0), 0xFF050505u);
    EXPECT_EQ(At(e, 2, 0), 0xFF050505u);
    EXPECT_EQ(At(e, 3, 0), 0xFF000000u);
}

TEST(BlendImage, FastOpaqueRuleMatchesGeneralRule) {
    // On an opaque destination the general rule reduces to (q*a + d*(255-a))/255;
    // check every a against the general formula written out.
    for (unsigned a = 1; a < 255; ++a)
        for (unsigned q : {0u, 1u, 77u, 128u, 254u, 255u})
            for (unsigned dv : {0u, 3u, 128u, 200u, 255u}) {
                const unsigned c = 255 * a, e = 255 * 255, k = a * 255, f = c + e - k;
                const unsigned expected = (q * c + (e - k) * dv) / f;
                uint8_t d[4] = {uint8_t(dv), 0, 0, 255};
                const uint8_t s[4] = {uint8_t(q), 0, 0, 255};
                BlendPixel(d, s, a);
                ASSERT_EQ(d[0], expected) << a << " " << q << " " << dv;
                ASSERT_EQ(d[3], 255);
            }
}

TEST(BlendImage, RunsOntoOpaqueMatchBlendImage) {
    // Source with every alpha value and scattered transparent pixels, over an
    // opaque destination with varied colours, at several strengths and clips.
    RandomGenerator rng(3);
    PixelImage source;
    ASSERT_TRUE(source.Create(37, 23, 32));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            uint8_t* p = source.PixelAddress(x, y);
            for (int c = 0; c < 3; ++c) p[c] = uint8_t(rng.Next());
            p[3] = (x + y) % 5 == 0 ? 0 : uint8_t(rng.Next());
        }
    const auto runs = FindAlphaRuns(source);
    for (int strength : {100, 73, 1, 0})
        for (const Rect clip : {Rect{0, 0, 60, 40}, Rect{10, 7, 31, 19}}) {
            PixelImage expected;
            ASSERT_TRUE(expected.Create(60, 40, 32));
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 60; ++x) {
                    uint8_t* p = expected.PixelAddress(x, y);
                    p[0] = uint8_t(x * 4);
                    p[1] = uint8_t(y * 6);
                    p[2] = uint8_t(x * y);
                    p[3] = 255;
                }
            PixelImage got(expected);
            BlendImageClipped(expected, source, 5, -3, strength, clip);
            BlendRunsOntoOpaque(got, source, runs, 5, -3, strength, clip);
            ASSERT_TRUE(test::SamePixels(got, expected)) << strength;
        }
}

TEST(DropShadowEffect, GeometryAndBoxSums) {
    // A 2 x 1 object: pixel 0 (10,20,30) alpha 255, pixel 1 (40,50,60) alpha 100.
    PixelImage image = Solid(2, 1, 32, 10, 20, 30, 255);
    uint8_t* p1 = image.PixelAddress(1, 0);
    p1[0] = 40;
    p1[1] = 50;
    p1[2] = 60;
    p1[3] = 100;
    DropShadowEffect shadow(10, 0, 0, 0, 75, 5, 5);
    image.ApplyEffect(shadow);
    // U = (-5, -5, 2 + 15, 1 + 15): 22 x 21.
    ASSERT_EQ(image.Width(), 22);
    ASSERT_EQ(image.Height(), 21);
    EXPECT_EQ(image.originX, -5);
    EXPECT_EQ(image.originY, -5);
    // Shadow alphas 255*75/100 = 191 and 100*75/100 = 75 at (10,10), (11,10).
    // Output (x, y) sums columns x-5..x+4 and rows y-5..y+4: column 10 for
    // x 6..15, column 11 for x 7..16, rows y 6..15. Alpha = sum / 100:
    // x 6 -> 191/100 = 1; x 7..15 -> 266/100 = 2; x 16 -> 75/100 = 0.
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 22; ++x) {
            if (y == 5 && (x == 5 || x == 6)) continue;  // the object itself
            uint32_t expected = 0;
            if (y >= 6 && y <= 15) expected = x == 6 ? 0x01000000u : (x >= 7 && x <= 15) ? 0x02000000u : 0;
            ASSERT_EQ(At(image, x, y), expected) << x << "," << y;
        }
    // The object goes over transparent pixels: copied with its own alpha.
    EXPECT_EQ(At(image, 5, 5), 0xFF1E140Au);
    EXPECT_EQ(At(image, 6, 5), 0x643C3228u);
}

TEST(DropShadowEffect, ColourIsTheAlphaWeightedMean) {
    // One opaque pixel, shadow colour (blue 200, green 100, red 50), strength
    // 100: every window holding the shadow pixel has sumB/sumA = 200 etc.,
    // alpha 255/100 = 2. The blur size below 2 is raised to 2: windows of
    // 2 x 2 starting one pixel up and left, alpha 255/4 = 63.
    PixelImage image = Solid(1, 1, 32, 1, 2, 3, 255);
    DropShadowEffect shadow(1, 200, 100, 50, 500, 0, 0);  // strength clamped to 100
    image.ApplyEffect(shadow);
    // U = (-2, -2, 3, 3): 5 x 5, the object at (2,2), the shadow pixel at (2,2)
    // under it; outputs (2..3, 2..3) see it.
    ASSERT_EQ(image.Width(), 5);
    EXPECT_EQ(At(image, 3, 3), 0x3F3264C8u);
    EXPECT_EQ(At(image, 3, 2), 0x3F3264C8u);
    EXPECT_EQ(At(image, 1, 1), 0u);
    EXPECT_EQ(At(image, 4, 4), 0u);
    EXPECT_EQ(At(image, 2, 2), 0xFF030201u);  // object over its shadow, a = 255
}

TEST(DropShadowEffect, RefusesAllButThirtyTwoBits) {
    PixelImage image = Solid(2, 2, 24, 1, 2, 3);
    DropShadowEffect shadow(10, 0, 0, 0, 75, 5, 5);
    image.ApplyEffect(shadow);
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Depth(), 24);
}

}  // namespace
}  // namespace clipvane
