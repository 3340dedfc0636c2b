// Every effect's row path (what ApplyEffect runs) against the plain
// pixel-by-pixel path, on photo-like images with odd widths, wider than a
// cache line, at 24 and 32 bits.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "support/TestEffects.h"
#include "support/EffectThreadsScope.h"
#include "image/effects/Effects.h"

namespace clipvane {
namespace {

struct Case {
    std::string name;
    std::function<std::unique_ptr<ImageEffect>()> make;
};

template <class T, class... A>
std::function<std::unique_ptr<ImageEffect>()> Make(A... args) {
    return [=] { return std::unique_ptr<ImageEffect>(new T(args...)); };
}

std::vector<Case> Cases() {
    return {
        {"brightness", Make<BrightnessEffect>(143)},
        {"contrast", Make<ContrastEffect>(170)},
        {"hue", Make<HueSaturationEffect>(37, 180)},
        {"rgb", Make<RgbValueEffect>(20, -30, 99)},
        {"levels", Make<ColorLevelEffect>(false, 20, 230, 6)},
        {"autolevels", Make<ColorLevelEffect>(true, 0, 255, 7)},
        {"tone", Make<ColorToneEffect>(0x21A8FEu)},
        {"grey", Make<GreyEffect>()},
        {"invert", Make<InvertEffect>(7)},
        {"invert-red", Make<InvertEffect>(1)},
        {"noise", Make<ColorNoiseEffect>(150, 31u)},
        {"blot", Make<GreyNoiseEffect>(70, 32u)},
        {"emboss", Make<EmbossEffect>(3)},
        {"emboss-huge", Make<EmbossEffect>(5000000)},
        {"oil1", Make<OilPaintEffect>(1)},
        {"oil3", Make<OilPaintEffect>(3)},
        {"oil5", Make<OilPaintEffect>(5)},
        {"splash", Make<SplashEffect>(9, 33u)},
        {"posterize", Make<PosterizeEffect>(5)},
        {"posterize-red", Make<PosterizeEffect>(3, 1)},
        {"posterize-many", Make<PosterizeEffect>(20)},
        {"mosaic", Make<MosaicEffect>(6)},
        {"mosaic-big", Make<MosaicEffect>(50)},
        {"halftone", Make<HalftoneEffect>()},
        {"blur", [] { return std::unique_ptr<ImageEffect>(new ConvolutionEffect(MakeBlurEffect())); }},
        {"sharpen3",
         [] {
             static const int32_t k[9] = {0, -1, 0, -1, 5, -1, 0, -1, 0};
             return std::unique_ptr<ImageEffect>(new ConvolutionEffect(k, 3, 1, 0));
         }},
        {"odd3",
         [] {
             static const int32_t k[9] = {3, -2, 7, 1, 9, -4, 2, 2, 5};
             return std::unique_ptr<ImageEffect>(new ConvolutionEffect(k, 3, 7, -13));
         }},
        {"big-kernel3",
         [] {
             static const int32_t k[9] = {100000, 0, 0, 0, 1, 0, 0, 0, -100000};
             return std::unique_ptr<ImageEffect>(new ConvolutionEffect(k, 3, 99991, 3));
         }},
        {"pow2-divisor-above-16-bits",
         [] {
             // Small negative sums over a power-of-two divisor of 2^16 truncate to 0.
             static const int32_t k[9] = {0, -1, 0, -1, 4, -1, 0, -1, 0};
             return std::unique_ptr<ImageEffect>(new ConvolutionEffect(k, 3, 65536, 100));
         }},
        {"conv5",
         [] {
             std::vector<int32_t> k(25);
             for (int i = 0; i < 25; ++i) k[size_t(i)] = (i * 7) % 5 - 1;
             return std::unique_ptr<ImageEffect>(new ConvolutionEffect(k, 5, 4, 20));
         }},
        {"grid", Make<GridEffect>(7, 40)},
        {"rotate90", Make<Rotate90Effect>()},
        {"rotate270", Make<Rotate270Effect>()},
        {"fliph", Make<FlipHorizontalEffect>()},
        {"flipv", Make<FlipVerticalEffect>()},
        {"rotate30", Make<RotateEffect>(30)},
        {"rotate200", Make<RotateEffect>(200)},
        {"fill", Make<FillEffect>(0x123456u, 77)},
        {"fill-keep", Make<FillEffect>(0x123456u, -1)},
    };
}

TEST(RowPath, MatchesThePlainPixelPath) {
    const int sizes[][2] = {{67, 41}, {1, 1}, {2, 3}, {131, 9}, {17, 70}};
    for (const Case& c : Cases())
        for (int depth : {24, 32})
            for (const auto& s : sizes) {
                PixelImage fast = test::PhotoLike(s[0], s[1], depth, uint32_t(s[0] * 7 + depth));
                PixelImage plain = fast;
                auto e1 = c.make(), e2 = c.make();
                fast.ApplyEffect(*e1);
                test::ApplyPlain(plain, *e2);
                EXPECT_TRUE(test::SamePixels(fast, plain))
                    << c.name << " at " << depth << " bits, " << s[0] << " x " << s[1];
            }
}

TEST(RowPath, SameBytesAtEveryThreadCount) {
    // Including a single row, a single pixel and fewer rows than threads.
    const int sizes[][2] = {{67, 41}, {1, 1}, {131, 1}, {9, 3}, {17, 70}, {40, 33}};
    for (const Case& c : Cases())
        for (int depth : {24, 32})
            for (const auto& s : sizes) {
                const PixelImage input = test::PhotoLike(s[0], s[1], depth, uint32_t(s[1] * 5 + depth));
                PixelImage expected = input;
                {
                    test::EffectThreadsScope one(1);
                    expected.ApplyEffect(*c.make());
                }
                for (int count : {2, 3, 7}) {
                    test::EffectThreadsScope threads(count);
                    PixelImage result = input;
                    result.ApplyEffect(*c.make());
                    EXPECT_TRUE(test::SamePixels(result, expected)) << c.name << " at " << depth << " bits, " << s[0]
                                                                    << " x " << s[1] << ", " << count << " threads";
                }
            }
}

TEST(RowPath, OilPaintTiesOnFewGreyLevels) {
    // Few distinct grey levels make ties in almost every window.
    for (int radius : {1, 2, 4}) {
        PixelImage img;
        img.Create(53, 19, 32);
        RandomGenerator rng(radius);
        static const uint8_t colours[4][3] = {{0, 0, 10}, {30, 0, 0}, {0, 5, 0}, {9, 9, 9}};
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 53; ++x) std::memcpy(img.PixelAddress(x, y), colours[rng.Next() % 4], 3);
        PixelImage plain = img;
        OilPaintEffect a(radius), b(radius);
        img.ApplyEffect(a);
        test::ApplyPlain(plain, b);
        EXPECT_TRUE(test::SamePixels(img, plain)) << radius;
    }
}

TEST(RowPath, ReusedEffectObjectRestartsFromTheNewImage) {
    // One object applied to two images in turn (as the dialogs do): each Begin
    // takes a fresh source, so the second result equals a fresh object's.
    for (const Case& c : Cases()) {
        if (c.name == "noise" || c.name == "blot" || c.name == "splash") continue;  // sequences continue
        PixelImage first = test::PhotoLike(23, 11, 32, 1), second = test::PhotoLike(31, 13, 32, 2);
        PixelImage expected = second;
        auto reused = c.make(), fresh = c.make();
        first.ApplyEffect(*reused);
        second.ApplyEffect(*reused);
        expected.ApplyEffect(*fresh);
        EXPECT_TRUE(test::SamePixels(second, expected)) << c.name;
    }
}

}  // namespace
}  // namespace clipvane
