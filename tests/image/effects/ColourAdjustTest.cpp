// Colour adjustments: brightness, contrast, hue/saturation and the HSL model,
// RGB offsets, colour levels (manual and automatic), colour tone, grey, invert.
#include <gtest/gtest.h>

#include <memory>

#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "image/effects/Effects.h"

namespace clipvane {
namespace {

using test::At;
using test::MakeImage;
using test::Uniform;

// Level table of a lookup effect, read back through a 256 x 1 ramp.
std::vector<int> Levels(LookupEffect& effect) {
    PixelImage img;
    img.Create(256, 1, 24);
    for (int v = 0; v < 256; ++v)
        img.PixelAddress(v, 0)[0] = img.PixelAddress(v, 0)[1] = img.PixelAddress(v, 0)[2] = uint8_t(v);
    img.ApplyEffect(effect);
    std::vector<int> out;
    for (int v = 0; v < 256; ++v) out.push_back(img.PixelAddress(v, 0)[0]);
    return out;
}

TEST(Brightness, TableTruncatesAndClamps) {
    BrightnessEffect up(150);
    auto t = Levels(up);
    EXPECT_EQ(t[100], 150);  // 15000 / 100
    EXPECT_EQ(t[3], 4);      // 450 / 100 = 4.5 truncated
    EXPECT_EQ(t[200], 255);  // 300 clamped
    BrightnessEffect half(50);
    EXPECT_EQ(Levels(half)[255], 127);  // 12750 / 100 = 127.5 truncated
    BrightnessEffect same(100), black(0), negative(-20), huge(2000000000);
    auto s = Levels(same), b = Levels(black), n = Levels(negative), h = Levels(huge);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(s[v], v);
        EXPECT_EQ(b[v], 0);
        EXPECT_EQ(n[v], 0);                 // negative percent is made 0
        EXPECT_EQ(h[v], v == 0 ? 0 : 255);  // no overflow wrap for large percents
    }
}

TEST(Contrast, TableTruncatesTowardZero) {
    ContrastEffect c50(50);
    auto t = Levels(c50);
    EXPECT_EQ(t[0], 64);     // -128 x 50 / 100 = -64, + 128
    EXPECT_EQ(t[1], 65);     // -6350 / 100 = -63.5 -> -63 (toward zero), + 128
    EXPECT_EQ(t[127], 128);  // -50 / 100 -> 0
    EXPECT_EQ(t[255], 191);  // 6350 / 100 = 63
    ContrastEffect c200(200), c0(0), c100(100);
    auto t200 = Levels(c200), t0 = Levels(c0), t100 = Levels(c100);
    EXPECT_EQ(t200[0], 0);      // -128 clamped
    EXPECT_EQ(t200[200], 255);  // 272 clamped
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(t0[v], 128);
        EXPECT_EQ(t100[v], v);
    }
}

TEST(ColorModel, HslToRgbOnExactInputs) {
    uint8_t bgr[3];
    // L 0.25, S 0.5: m2 = 0.375, m1 = 0.125; hue 0: red m2, green m1 + 0, blue (u = 4) m1.
    HslToRgb(0.0, 0.25, 0.5, bgr);
    EXPECT_EQ(bgr[2], 95);  // 0.375 x 255 = 95.625
    EXPECT_EQ(bgr[1], 31);  // 0.125 x 255 = 31.875
    EXPECT_EQ(bgr[0], 31);
    // H 0.5, L 0.75, S 0.5: m2 = 0.75 + 0.5 - 0.375 = 0.875, m1 = 0.625, t = 3:
    // red C(5) = m1, green C(3) = m1 + 0.25 x 1, blue C(1) = m2.
    HslToRgb(0.5, 0.75, 0.5, bgr);
    EXPECT_EQ(bgr[2], 159);  // 159.375
    EXPECT_EQ(bgr[1], 223);  // 223.125
    EXPECT_EQ(bgr[0], 223);
    // Hue 1.5 (t = 9) wraps once: red C(11) -> 5 -> m1, green C(9) -> 3 -> m2, blue C(7) -> 1 -> m2.
    HslToRgb(1.5, 0.25, 0.5, bgr);
    EXPECT_EQ(bgr[2], 31);
    EXPECT_EQ(bgr[1], 95);
    EXPECT_EQ(bgr[0], 95);
    // Hue 2 (t = 12): every channel stays above 6 after one wrap and gets m1.
    HslToRgb(2.0, 0.25, 0.5, bgr);
    EXPECT_EQ(bgr[0], 31);
    EXPECT_EQ(bgr[1], 31);
    EXPECT_EQ(bgr[2], 31);
    // Saturation below the threshold: trunc(L x 255) everywhere (0.3 x 255 = 76.5).
    HslToRgb(0.7, 0.3, 1e-8, bgr);
    EXPECT_EQ(bgr[0], 76);
    EXPECT_EQ(bgr[1], 76);
    EXPECT_EQ(bgr[2], 76);
    // Saturation far above 1 clamps instead of overflowing.
    HslToRgb(0.0, 0.25, 1e12, bgr);
    EXPECT_EQ(bgr[2], 255);
    EXPECT_EQ(bgr[0], 0);
}

TEST(ColorModel, RgbToHslHueSectors) {
    // Pure colours: D = 1 and S = 1 in either lightness branch.
    Hsl red = RgbToHsl(0, 0, 255), green = RgbToHsl(0, 255, 0), blue = RgbToHsl(255, 0, 0);
    EXPECT_EQ(red.h, 0.0);
    EXPECT_EQ(red.s, 1.0);
    EXPECT_EQ(green.h, 2 * 0.16666666666666666);
    EXPECT_EQ(blue.h, 4 * 0.16666666666666666);
    // Red max with blue above green: (g - b) / D = -1, / 6, then + 1.
    Hsl magentaRed = RgbToHsl(255, 0, 255);
    EXPECT_EQ(magentaRed.h, -0.16666666666666666 + 1);
    Hsl grey = RgbToHsl(90, 90, 90);
    EXPECT_EQ(grey.h, 0.0);
    EXPECT_EQ(grey.s, 0.0);
}

TEST(HueSaturation, SaturationZeroGivesGreyOfLightness) {
    // mx + mn = 31 + 10 = 41: trunc(41 / 510 x 255) = trunc(20.5) = 20.
    PixelImage img = MakeImage(2, 1, 32, {0x7F1F140Au, 0x01FFFFFFu});
    HueSaturationEffect e(100, 0);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x7F141414u);  // alpha 0x7F kept
    EXPECT_EQ(At(img, 1, 0) & 0xFF000000u, 0x01000000u);
}

TEST(HueSaturation, HueZeroTurnsEveryHueToRed) {
    // Pure green 200: S = 1, so m1 = 2L - 2L = 0; with H = 0 green and blue get m1.
    PixelImage img = MakeImage(1, 1, 24, {0x00C800u});
    HueSaturationEffect e(0, 100);
    img.ApplyEffect(e);
    const uint8_t* p = img.PixelAddress(0, 0);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_GE(p[2], 199);  // 2L x 255 = 200 up to the last bit of the double
}

TEST(HueSaturation, IdentityKeepsGreysGrey) {
    PixelImage img = test::PhotoLike(40, 9, 24, 3);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 40; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            if (x % 3 == 0) p[1] = p[2] = p[0];
        }
    PixelImage before = img;
    HueSaturationEffect e(100, 100);
    img.ApplyEffect(e);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint8_t* p = img.PixelAddress(x, y);
            const uint8_t* q = before.PixelAddress(x, y);
            for (int c = 0; c < 3; ++c) EXPECT_LE(std::abs(p[c] - q[c]), 1) << x << "," << y;
            if (x % 3 == 0) {
                EXPECT_EQ(p[0], p[1]);
                EXPECT_EQ(p[1], p[2]);
            }
        }
}

TEST(RgbValue, OffsetsClampPerChannel) {
    // blue 5 + 300 -> 255, green 10 - 20 -> 0, red 250 + 10 -> 255; alpha kept.
    PixelImage img = MakeImage(2, 1, 32, {0x80FA0A05u, 0x00646464u});
    RgbValueEffect e(10, -20, 300);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x80FF00FFu);
    EXPECT_EQ(At(img, 1, 0), 0x006E50FFu);  // red 100+10, green 100-20, blue 100+300 clamped
    RgbValueEffect extreme(2147483647, -2147483647 - 1, 2147483647);
    img.ApplyEffect(extreme);
    EXPECT_EQ(At(img, 1, 0), 0x00FF00FFu);
}

TEST(ColorLevel, StretchRoundsHalfAwayAndClamps) {
    // low 50, high 150: q = (v - 50) / 100, x 255, rounded half away from zero.
    PixelImage img = MakeImage(6, 1, 24, {0x646464u, 0x313131u, 0x979797u, 0x3C3C3Cu, 0x969696u, 0x323232u});
    ColorLevelEffect e(false, 50, 150, 7);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x808080u);  // 100: 0.5 x 255 = 127.5 -> 128
    EXPECT_EQ(At(img, 1, 0), 0x000000u);  // 49: -2.55 -> -3 -> 0
    EXPECT_EQ(At(img, 2, 0), 0xFFFFFFu);  // 151: 257.55 -> 255
    EXPECT_EQ(At(img, 3, 0), 0x1A1A1Au);  // 60: 25.5 -> 26
    EXPECT_EQ(At(img, 4, 0), 0xFFFFFFu);  // 150
    EXPECT_EQ(At(img, 5, 0), 0x000000u);  // 50
}

TEST(ColorLevel, EqualLowAndHighAndChannelSets) {
    // low = high = 100: q = v - 100, so 99 -> 0, 100 -> 0, 101 -> 255.
    PixelImage img = MakeImage(3, 1, 24, {0x636363u, 0x646464u, 0x656565u});
    ColorLevelEffect e(false, 100, 100, 7);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0u);
    EXPECT_EQ(At(img, 1, 0), 0u);
    EXPECT_EQ(At(img, 2, 0), 0xFFFFFFu);
    // Channel set 1 is red only: blue and green stay.
    PixelImage one = MakeImage(1, 1, 24, {0x646464u});
    ColorLevelEffect redOnly(false, 50, 150, 1);
    one.ApplyEffect(redOnly);
    EXPECT_EQ(At(one, 0, 0), 0x806464u);
    // Out-of-range limits are clamped: -10 -> 0, 300 -> 255 (the identity).
    PixelImage id = MakeImage(1, 1, 24, {0x0A7FF0u});
    ColorLevelEffect clamped(false, -10, 300, 7);
    id.ApplyEffect(clamped);
    EXPECT_EQ(At(id, 0, 0), 0x0A7FF0u);
}

TEST(ColorLevel, AutomaticCutsTheTails) {
    // 1000 pixels. Blue: 5 at 0, 5 at 10, 1 at 55, 979 at 100, 10 at 200.
    // Low end: the share stays 0.005 until bin 9, where adding bin 10 gives
    // 0.010 (0.004 from 0.006, farther than 0.001): low = 10.
    // High end: the empty top bins give 0.006 each; at b = 201 adding bin 200
    // gives 0.010 (0.004, not farther than 0.006); from b = 200 the share is
    // 0.010 until adding bin 100 jumps to 0.989: high = 100.
    // Green and red are all 7: low = high = 7, so they become 0.
    PixelImage img;
    img.Create(10, 100, 32);
    for (int i = 0; i < 1000; ++i) {
        uint8_t* p = img.PixelAddress(i % 10, i / 10);
        p[0] = i < 5 ? 0 : i < 10 ? 10 : i < 11 ? 55 : i < 990 ? 100 : 200;
        p[1] = p[2] = 7;
        p[3] = 9;
    }
    ColorLevelEffect e(true, 30, 40, 7);
    img.ApplyEffect(e);
    EXPECT_EQ(e.Low(0), 10);
    EXPECT_EQ(e.High(0), 100);
    EXPECT_EQ(e.Low(1), 7);
    EXPECT_EQ(e.High(2), 7);
    auto blueOf = [&](int i) { return img.PixelAddress(i % 10, i / 10)[0]; };
    EXPECT_EQ(blueOf(0), 0);                        // (0 - 10) / 90 x 255 = -28.3 -> 0
    EXPECT_EQ(blueOf(5), 0);                        // 10
    EXPECT_EQ(blueOf(10), 128);                     // 55: 0.5 x 255 = 127.5 -> 128
    EXPECT_EQ(blueOf(500), 255);                    // 100
    EXPECT_EQ(blueOf(999), 255);                    // 200 clamped
    EXPECT_EQ(At(img, 3, 50), 0x09000000u | 0xFF);  // green, red 0; alpha kept
}

TEST(ColorLevel, AutomaticOnOneColourGivesBlack) {
    PixelImage img = Uniform(5, 3, 24, 0x3080F0u);
    ColorLevelEffect e(true, 0, 255, 7);
    img.ApplyEffect(e);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(At(img, x, y), 0u);
    // Extremes too: levels 0 and 255 are their own low and high.
    PixelImage edge = Uniform(2, 2, 24, 0xFF00FFu);
    ColorLevelEffect e2(true, 0, 255, 7);
    edge.ApplyEffect(e2);
    EXPECT_EQ(e2.Low(0), 255);
    EXPECT_EQ(e2.High(0), 255);
    EXPECT_EQ(e2.Low(1), 0);
    EXPECT_EQ(e2.High(1), 0);
    EXPECT_EQ(At(edge, 0, 0), 0u);
}

TEST(ColorTone, TintsTheGreyLevel) {
    // Pure red tone: H 0, S 1. For grey level 20, L = 20/255 < 0.5: m2 = 2L,
    // m1 = 0; red = trunc(2L x 255) = 40 (or 39 by the last bit), and
    // 20 x 40 / 255 = 20 x 39 / 255 = 3. Green and blue get m1 = 0.
    PixelImage img = MakeImage(2, 1, 32, {0x44141414u, 0x45000000u});
    ColorToneEffect red(0xFF0000u);  // blue in the low byte, so this is red 255
    img.ApplyEffect(red);
    EXPECT_EQ(At(img, 0, 0), 0x44030000u);
    EXPECT_EQ(At(img, 1, 0), 0x45000000u);
}

TEST(ColorTone, GreyToneGivesDarkerGreys) {
    // S = 0: each level i gives trunc(i/255 x 255) = i or i - 1, then
    // i x that / 255; for i = 20 both give 1.
    PixelImage img = MakeImage(1, 1, 24, {0x141414u});
    ColorToneEffect white(0xFFFFFFu);
    img.ApplyEffect(white);
    EXPECT_EQ(At(img, 0, 0), 0x010101u);
    PixelImage photo = test::PhotoLike(33, 7, 24, 9);
    PixelImage before = photo;
    ColorToneEffect grey(0x808080u);
    photo.ApplyEffect(grey);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 33; ++x) {
            const uint8_t* p = photo.PixelAddress(x, y);
            EXPECT_EQ(p[0], p[1]);
            EXPECT_EQ(p[1], p[2]);
            EXPECT_LE(p[0], GreyValue(before.PixelAddress(x, y)));
        }
}

TEST(Grey, GreyValueOfEachPixel) {
    // (30 x 30 + 20 x 59 + 10 x 11) / 100 = 2190 / 100 = 21; pure red 7650 / 100 = 76.
    PixelImage img = MakeImage(3, 1, 32, {0x101E140Au, 0x20FF0000u, 0x30FFFFFFu});
    GreyEffect e;
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x10151515u);
    EXPECT_EQ(At(img, 1, 0), 0x204C4C4Cu);
    EXPECT_EQ(At(img, 2, 0), 0x30FFFFFFu);
}

TEST(Invert, TwiceRestoresAndChannelSetsApply) {
    PixelImage img = test::PhotoLike(37, 5, 32, 4);
    const PixelImage before = img;
    InvertEffect e;
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0) ^ At(before, 0, 0), 0x00FFFFFFu);
    img.ApplyEffect(e);
    EXPECT_TRUE(test::SamePixels(img, before));
    PixelImage one = MakeImage(1, 1, 24, {0x102030u});
    InvertEffect blueOnly(4);
    one.ApplyEffect(blueOnly);
    EXPECT_EQ(At(one, 0, 0), 0x1020CFu);
}

TEST(ColourAdjustments, LeaveSmallDepthsAlone) {
    PixelImage img;
    img.Create(4, 4, 8);
    img.PixelAddress(1, 1)[0] = 77;
    const PixelImage before = img;
    BrightnessEffect b(150);
    GreyEffect g;
    HueSaturationEffect h(50, 50);
    ColorLevelEffect l(true, 0, 255, 7);
    for (ImageEffect* e : std::initializer_list<ImageEffect*>{&b, &g, &h, &l}) {
        EXPECT_FALSE(e->CanApply(img));
        img.ApplyEffect(*e);
    }
    EXPECT_TRUE(test::SamePixels(img, before));
    PixelImage empty;
    EXPECT_FALSE(b.CanApply(empty));
}

// Every colour adjustment gives the same colour bytes on a 24-bit and a
// 32-bit copy of one picture, and keeps the 32-bit alpha bytes.
TEST(ColourAdjustments, Same24And32BitColoursAndAlphaKept) {
    using Make = std::unique_ptr<ImageEffect> (*)();
    const Make makers[] = {
        [] { return std::unique_ptr<ImageEffect>(new BrightnessEffect(137)); },
        [] { return std::unique_ptr<ImageEffect>(new ContrastEffect(61)); },
        [] { return std::unique_ptr<ImageEffect>(new HueSaturationEffect(160, 40)); },
        [] { return std::unique_ptr<ImageEffect>(new HueSaturationEffect(100, 100)); },
        [] { return std::unique_ptr<ImageEffect>(new RgbValueEffect(-40, 17, 90)); },
        [] { return std::unique_ptr<ImageEffect>(new ColorLevelEffect(false, 30, 200, 2)); },
        [] { return std::unique_ptr<ImageEffect>(new ColorLevelEffect(true, 0, 255, 7)); },
        [] { return std::unique_ptr<ImageEffect>(new ColorToneEffect(0x21A8FEu)); },
        [] { return std::unique_ptr<ImageEffect>(new GreyEffect()); },
        [] { return std::unique_ptr<ImageEffect>(new InvertEffect()); },
    };
    const PixelImage src32 = test::PhotoLike(71, 13, 32, 11);
    PixelImage src24 = src32;
    src24.ConvertTo(24);
    for (size_t i = 0; i < std::size(makers); ++i) {
        PixelImage a = src24, b = src32;
        auto e1 = makers[i](), e2 = makers[i]();
        a.ApplyEffect(*e1);
        b.ApplyEffect(*e2);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 71; ++x) {
                ASSERT_EQ(std::memcmp(a.PixelAddress(x, y), b.PixelAddress(x, y), 3), 0) << "effect " << i;
                ASSERT_EQ(b.PixelAddress(x, y)[3], src32.PixelAddress(x, y)[3]) << "effect " << i;
            }
    }
}

}  // namespace
}  // namespace clipvane
