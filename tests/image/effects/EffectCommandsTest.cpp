// The Image and Filter command sequences: depth handling, effect order,
// parameters and seeds.
#include <gtest/gtest.h>

#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "image/effects/EffectCommands.h"
#include "image/effects/Effects.h"

namespace clipvane {
namespace {

using test::At;
using test::MakeImage;

EffectParams P(std::initializer_list<int32_t> v) {
    EffectParams p;
    for (int32_t x : v) p.values[p.count++] = x;
    return p;
}

TEST(EffectCommand, DirectCommandsEndAt24Bits) {
    PixelImage img = MakeImage(2, 1, 32, {0x80102030u, 0x00FFFFFFu});
    ASSERT_TRUE(RunEffectCommand(kCmdInvert, {}, img));
    ASSERT_EQ(img.Depth(), 24);
    EXPECT_EQ(At(img, 0, 0), 0xEFDFCFu);
    EXPECT_EQ(At(img, 1, 0), 0u);
    // An 8-bit image is converted to 32 bits first, so the effect runs.
    PixelImage pal;
    pal.Create(1, 1, 8);
    pal.PixelAddress(0, 0)[0] = 10;
    ASSERT_TRUE(RunEffectCommand(kCmdGreyImage, {}, pal));
    EXPECT_EQ(pal.Depth(), 24);
    EXPECT_EQ(At(pal, 0, 0), 0x0A0A0Au);
}

TEST(EffectCommand, MosaicRunsOnA24BitInput) {
    // Converted to 32 bits (alpha 255) first: mean blue (2 + 4) / 2 = 3.
    PixelImage img = MakeImage(2, 1, 24, {0x000002u, 0x000004u});
    ASSERT_TRUE(RunEffectCommand(kCmdMosaic, P({2}), img));
    EXPECT_EQ(img.Depth(), 24);
    EXPECT_EQ(At(img, 0, 0), 0x000003u);
    EXPECT_EQ(At(img, 1, 0), 0x000003u);
}

TEST(EffectCommand, BrightnessThenContrastWithoutDepthChange) {
    // Level 200: brightness 50 -> 100, then contrast 200 -> (100 - 128) x 2 + 128 = 72.
    // (The other order would give 255 then 127.)
    PixelImage img = MakeImage(1, 1, 32, {0x40C8C8C8u});
    ASSERT_TRUE(RunEffectCommand(kCmdBrightnessContrast, P({50, 200}), img));
    EXPECT_EQ(img.Depth(), 32);
    EXPECT_EQ(At(img, 0, 0), 0x40484848u);
}

TEST(EffectCommand, HueSaturationAndDialogCommandsNormalise) {
    for (int id :
         std::initializer_list<int>{kCmdHueSaturation, kCmdColorTone, kCmdRgbValue, kCmdColorLevel, kCmdNoisy, kCmdBlot,
                                    kCmdEmboss, kCmdOilPaint, kCmdSplash, kCmdPosterize, kCmdGrid, kCmdRotate,
                                    kCmdRotate90, kCmdHalftone, kCmdBlur, kCmdAutoColorLevel, 20099}) {
        PixelImage img = test::PhotoLike(9, 8, 32, 1);
        ASSERT_TRUE(RunEffectCommand(id, {}, img)) << id;
        EXPECT_EQ(img.Depth(), 24) << id;
    }
}

TEST(EffectCommand, ResizeKeepsDepthAndChoosesTheQuality) {
    PixelImage img = test::PhotoLike(8, 6, 32, 1);
    PixelImage nearest = img, smooth = img;
    ASSERT_TRUE(RunEffectCommand(kCmdResize, P({4, 3, 0}), nearest));
    ASSERT_TRUE(RunEffectCommand(kCmdResize, P({4, 3, 1}), smooth));
    EXPECT_EQ(nearest.Width(), 4);
    EXPECT_EQ(nearest.Height(), 3);
    EXPECT_EQ(nearest.Depth(), 32);
    EXPECT_EQ(At(nearest, 1, 1), At(img, 2, 2));  // column 1 x 8 / 4, row 1 x 6 / 3
    EXPECT_EQ(smooth.Width(), 4);
    PixelImage zero = img;
    ASSERT_TRUE(RunEffectCommand(kCmdResize, P({0, 0, 1}), zero));
    EXPECT_EQ(zero.Width(), 8);  // refused by the resize
}

TEST(EffectCommand, SeedsMakeRandomCommandsReproducible) {
    const PixelImage src = test::PhotoLike(20, 10, 32, 4);
    for (int id : std::initializer_list<int>{kCmdNoisy, kCmdBlot, kCmdSplash}) {
        PixelImage a = src, b = src, c = src;
        const uint32_t s1 = 5, s2 = 6;
        RunEffectCommand(id, {}, a, nullptr, &s1);
        RunEffectCommand(id, {}, b, nullptr, &s1);
        RunEffectCommand(id, {}, c, nullptr, &s2);
        EXPECT_TRUE(test::SamePixels(a, b)) << id;
        EXPECT_FALSE(test::SamePixels(a, c)) << id;
    }
}

TEST(EffectCommand, ParametersReachTheEffects) {
    // Colour tone takes 0xBBGGRR: 0x0000FF is red, the same as the effect's 0xFF0000.
    PixelImage a = MakeImage(1, 1, 24, {0x141414u}), b = a;
    RunEffectCommand(kCmdColorTone, P({0x0000FF}), a);
    ColorToneEffect red(0xFF0000u);
    b.ConvertTo(32);
    b.ApplyEffect(red);
    b.ConvertTo(24);
    EXPECT_EQ(At(a, 0, 0), At(b, 0, 0));
    EXPECT_EQ(At(a, 0, 0), 0x030000u);
    // RGB offsets are red, green, blue.
    PixelImage c = MakeImage(1, 1, 24, {0x101010u});
    RunEffectCommand(kCmdRgbValue, P({1, 2, 3}), c);
    EXPECT_EQ(At(c, 0, 0), 0x111213u);
    // Levels: low, high, channel set (4 = blue only).
    PixelImage d = MakeImage(1, 1, 24, {0x646464u});
    RunEffectCommand(kCmdColorLevel, P({50, 150, 4}), d);
    EXPECT_EQ(At(d, 0, 0), 0x646480u);
}

TEST(EffectCommand, UnknownIdsAndPlans) {
    PixelImage img = MakeImage(1, 1, 32, {0x12345678u});
    EXPECT_FALSE(RunEffectCommand(19999, {}, img));
    EXPECT_FALSE(RunEffectCommand(20101, {}, img));
    EXPECT_EQ(img.Depth(), 32);
    EffectCommandSteps bc = PlanEffectCommand(kCmdBrightnessContrast, {});
    EXPECT_EQ(bc.effects.size(), 2u);
    EXPECT_FALSE(bc.convertTo32);
    EXPECT_FALSE(bc.normaliseTo24);
    EffectCommandSteps none = PlanEffectCommand(20001, {});
    EXPECT_TRUE(none.known);
    EXPECT_TRUE(none.effects.empty());
    EXPECT_TRUE(none.normaliseTo24);
    PixelImage empty;
    EXPECT_TRUE(RunEffectCommand(kCmdInvert, {}, empty));
    EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace
}  // namespace clipvane
