// Filters: the two noises, emboss, oil paint, grey level, splash, posterize,
// mosaic, halftone, convolution and the 3D grid.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "support/EffectThreadsScope.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "support/TestEffects.h"
#include "image/ProgressReporter.h"
#include "image/effects/Effects.h"

namespace clipvane {
namespace {

using test::At;
using test::MakeImage;
using test::Uniform;

// The generator seeded with 1 gives 16838, 5758, 10113, 17515, ... (the C
// standard's example sequence).

TEST(ColourNoise, FirstPixelFromSeed) {
    // Offsets (r / 32767 - 0.5) x 100: 1.387 -> 1, -32.43 -> -32, -19.14 -> -19,
    // for blue, green and red in that order.
    PixelImage img = Uniform(2, 1, 32, 0x5A808080u);
    ColorNoiseEffect e(100, 1);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x5A6D6081u);  // red 109, green 96, blue 129, alpha kept
}

TEST(ColourNoise, OffsetsStayInRangeWithMeanZero) {
    PixelImage img = Uniform(200, 150, 24, 0x808080u);
    ColorNoiseEffect e(100, 12345);
    img.ApplyEffect(e);
    double sum = 0;
    int lo = 0, hi = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            for (int c = 0; c < 3; ++c) {
                const int d = img.PixelAddress(x, y)[c] - 128;
                ASSERT_GE(d, -50);
                ASSERT_LE(d, 50);
                lo = std::min(lo, d);
                hi = std::max(hi, d);
                sum += d;
            }
    EXPECT_EQ(lo, -50);
    EXPECT_EQ(hi, 50);
    EXPECT_LT(std::fabs(sum / (200 * 150 * 3)), 0.5);  // uniform: sd of the mean is about 0.05
}

TEST(ColourNoise, SameSeedSameResultAndSequenceContinues) {
    PixelImage a = test::PhotoLike(31, 7, 32, 5), b = a, c = a;
    ColorNoiseEffect e1(80, 99), e2(80, 99);
    a.ApplyEffect(e1);
    b.ApplyEffect(e2);
    EXPECT_TRUE(test::SamePixels(a, b));
    c.ApplyEffect(e1);  // the same object goes on with its sequence
    EXPECT_FALSE(test::SamePixels(a, c));
}

TEST(GreyNoise, FirstPixelAndClampedAmount) {
    // Sum of the first four draws 50224: g = 50224 x 5.28596089837e-5 - 3.46410161514
    // = -0.80928; c = trunc(g x 50 x 1.27) = trunc(-51.389) = -51: 128 -> 77.
    PixelImage img = Uniform(1, 1, 32, 0x33808080u);
    GreyNoiseEffect e(50, 1);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x334D4D4Du);
    // An amount above 100 is made 100: c = trunc(-0.80928 x 127) = -102 -> 26.
    PixelImage img2 = Uniform(1, 1, 24, 0x808080u);
    GreyNoiseEffect big(1000, 1);
    img2.ApplyEffect(big);
    EXPECT_EQ(At(img2, 0, 0), 0x1A1A1Au);
}

TEST(GreyNoise, SameOffsetOnAllChannelsNearNormal) {
    PixelImage img = Uniform(300, 100, 24, 0x808080u);
    GreyNoiseEffect e(20, 777);  // sd about 20 x 1.27 = 25.4, never clipped (max 88)
    img.ApplyEffect(e);
    double sum = 0, sq = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x) {
            const uint8_t* p = img.PixelAddress(x, y);
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
            const double d = p[0] - 128;
            sum += d;
            sq += d * d;
        }
    const double n = 300 * 100, mean = sum / n, sd = std::sqrt(sq / n - mean * mean);
    EXPECT_LT(std::fabs(mean), 0.8);  // truncation pulls toward 0 symmetrically
    EXPECT_NEAR(sd, 25.4, 1.5);
}

TEST(Emboss, DifferenceOfSumsTruncatedTowardZero) {
    // Sums 30, 0, 150: x = 0: 30 x 2 / 3 + 128 = 148; x = 1: -300 / 3 + 128 = 28; last 128.
    PixelImage img = MakeImage(3, 1, 32, {0x110A0A0Au, 0x22000000u, 0x33323232u});
    EmbossEffect e(2);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x11949494u);
    EXPECT_EQ(At(img, 1, 0), 0x221C1C1Cu);
    EXPECT_EQ(At(img, 2, 0), 0x33808080u);
    // d = -4 with strength 1: -4 / 3 = -1 (toward zero) -> 127; d = 4 -> 129.
    PixelImage t = MakeImage(3, 1, 24, {0x000000u, 0x000004u, 0x000000u});
    EmbossEffect one(1);
    t.ApplyEffect(one);
    EXPECT_EQ(At(t, 0, 0), 0x7F7F7Fu);
    EXPECT_EQ(At(t, 1, 0), 0x818181u);
}

TEST(Emboss, OneColourGivesGrey128AndHugeStrengthClamps) {
    PixelImage img = Uniform(9, 4, 24, 0x123456u);
    EmbossEffect e(7);
    img.ApplyEffect(e);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(At(img, x, y), 0x808080u);
    PixelImage t = MakeImage(3, 1, 24, {0x000000u, 0x000001u, 0x000000u});
    EmbossEffect huge(2000000000);
    t.ApplyEffect(huge);
    EXPECT_EQ(At(t, 0, 0), 0u);         // -1 x 2e9 / 3 clamps to 0
    EXPECT_EQ(At(t, 1, 0), 0xFFFFFFu);  // +1 x 2e9 / 3 clamps to 255
}

TEST(OilPaint, TiesGoToTheFirstLevelToReachTheCount) {
    // Radius 1 on a 4 x 1 image: every window holds three copies of one row of
    // the replicated copy: [p0 p0 p1 p2 p3 p3]. Greys p0 100, p1 200, p2 50, p3 10.
    // x = 0: p0 6 times; x = 1: p0, p1, p2 three times each, p0 reaches 3 first;
    // x = 2: p1 first; x = 3: p3 6 times.
    PixelImage img = MakeImage(4, 1, 24, {0x646464u, 0xC8C8C8u, 0x323232u, 0x0A0A0Au});
    OilPaintEffect e(1);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x646464u);
    EXPECT_EQ(At(img, 1, 0), 0x646464u);
    EXPECT_EQ(At(img, 2, 0), 0xC8C8C8u);
    EXPECT_EQ(At(img, 3, 0), 0x0A0A0Au);
}

TEST(OilPaint, CopiesThePixelWhereTheCountWasReached) {
    // A (red 10) and B (blue 30) share grey level 3 (300/100, 330/100); C is white.
    // x = 0, window [A A B] x 3: level 3 reaches 9 at the last B -> B.
    // x = 1, window [A B C] x 3: level 3 counts up at A, B, ...; last rise at B -> B.
    // x = 2, window [B C C] x 3: white reaches 6 -> C. Alpha untouched.
    PixelImage img = MakeImage(3, 1, 32, {0x110A0000u, 0x2200001Eu, 0x33FFFFFFu});
    OilPaintEffect e(1);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x1100001Eu);
    EXPECT_EQ(At(img, 1, 0), 0x2200001Eu);
    EXPECT_EQ(At(img, 2, 0), 0x33FFFFFFu);
}

TEST(OilPaint, RadiusBelowOneIsOneAndHugeRadiusDoesNothing) {
    PixelImage a = test::PhotoLike(13, 6, 24, 8), b = a;
    OilPaintEffect zero(0), one(1);
    a.ApplyEffect(zero);
    b.ApplyEffect(one);
    EXPECT_TRUE(test::SamePixels(a, b));
    PixelImage c = test::PhotoLike(5, 5, 24, 8);
    const PixelImage before = c;
    OilPaintEffect huge(2000000000);  // the expanded copy cannot be made
    c.ApplyEffect(huge);
    EXPECT_TRUE(test::SamePixels(c, before));
}

TEST(GreyLevel, MakesAnEightBitGreyImage) {
    PixelImage img = MakeImage(2, 1, 32, {0xFF1E140Au, 0x00FFFFFFu});
    img.originX = 4;
    GreyLevelEffect e;
    img.ApplyEffect(e);
    ASSERT_EQ(img.Depth(), 8);
    EXPECT_EQ(img.PixelAddress(0, 0)[0], 21);  // 2190 / 100
    EXPECT_EQ(img.PixelAddress(1, 0)[0], 255);
    EXPECT_EQ(img.Palette()[21].rgbRed, 21);  // grey ramp
    EXPECT_EQ(img.originX, 4);
    // A palette image goes through its palette: index v of the ramp is grey v.
    PixelImage pal;
    pal.Create(3, 1, 8);
    pal.PixelAddress(1, 0)[0] = 77;
    GreyLevelEffect e2;
    EXPECT_TRUE(e2.CanApply(pal));
    pal.ApplyEffect(e2);
    EXPECT_EQ(pal.PixelAddress(1, 0)[0], 77);
}

TEST(Splash, FirstPixelFromSeedAndBoundedMoves) {
    // Seed 1: nx = 16838 % 3 + 0 - 1 = 1, ny = 5758 % 3 + 0 - 1 = 0: source (1, 0).
    PixelImage img = MakeImage(3, 3, 32, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    SplashEffect e(3, 1);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 2u);  // all four bytes copied
    // Spread 3 (and anything below, made 3) moves each pixel at most one step.
    PixelImage big;
    big.Create(50, 40, 32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) {
            const uint32_t v = uint32_t(x) | uint32_t(y) << 8;
            std::memcpy(big.PixelAddress(x, y), &v, 4);
        }
    SplashEffect small(0, 42);
    big.ApplyEffect(small);
    int moved = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) {
            const uint32_t v = At(big, x, y);
            const int sx = int(v & 0xFF), sy = int(v >> 8 & 0xFF);
            ASSERT_LE(std::abs(sx - x), 1);
            ASSERT_LE(std::abs(sy - y), 1);
            moved += (sx != x || sy != y);
        }
    EXPECT_GT(moved, 1000);  // 8 of 9 offsets move a pixel
}

TEST(Posterize, LevelsSnapHalfAwayFromZero) {
    auto map = [](int levels, int v) {
        PixelImage img = Uniform(1, 1, 24, uint32_t(v) * 0x010101u);
        PosterizeEffect e(levels);
        img.ApplyEffect(e);
        return int(img.PixelAddress(0, 0)[0]);
    };
    // 2 levels: step 255; 127 / 255 < 0.5 -> 0, 128 / 255 > 0.5 -> 255.
    EXPECT_EQ(map(2, 127), 0);
    EXPECT_EQ(map(2, 128), 255);
    EXPECT_EQ(map(1, 128), 255);  // made 2
    // 3 levels: step 127.5; 63 -> 0.494 -> 0; 64 -> 0.502 -> 1 -> 127.5 -> 128;
    // 191 -> 1.498 -> 128; 192 -> 1.506 -> 2 -> 255.
    EXPECT_EQ(map(3, 63), 0);
    EXPECT_EQ(map(3, 64), 128);
    EXPECT_EQ(map(3, 191), 128);
    EXPECT_EQ(map(3, 192), 255);
    // 4 levels: step 85; 42 -> 0; 43 -> 85; 128 -> 1.506 -> 170.
    EXPECT_EQ(map(4, 42), 0);
    EXPECT_EQ(map(4, 43), 85);
    EXPECT_EQ(map(4, 128), 170);
    // Very many levels are the identity, without overflowing the level count.
    EXPECT_EQ(map(2147483647, 200), 200);
}

TEST(Mosaic, AlphaWeightedBlockMeans) {
    // 3 x 3, block 2. Top-left block, alpha 255: blue (10 + 20 + 30 + 41) / 4 = 25.
    // Top-right block (column 2, rows 0-1): blue 100 alpha 100 and blue 200 alpha 50:
    //   (10000 + 10000) / 150 = 133; alpha 150 / 2 = 75.
    // Bottom-left block: both transparent -> black, alpha 0. Corner: itself.
    PixelImage img = MakeImage(3, 3, 32,
                               {0xFF00000Au, 0xFF000014u, 0x64000064u,  //
                                0xFF00001Eu, 0xFF000029u, 0x320000C8u,  //
                                0x00FFFFFFu, 0x00808080u, 0x03090807u});
    MosaicEffect e(2);
    img.ApplyEffect(e);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(At(img, x, y), 0xFF000019u);
    EXPECT_EQ(At(img, 2, 0), 0x4B000085u);
    EXPECT_EQ(At(img, 2, 1), 0x4B000085u);
    EXPECT_EQ(At(img, 0, 2), 0u);
    EXPECT_EQ(At(img, 1, 2), 0u);
    EXPECT_EQ(At(img, 2, 2), 0x03090807u);
}

TEST(Mosaic, OneBlockForSmallImagesAndOnly32Bits) {
    // Block 10 over 2 x 1: blue (0 x 255 + 101 x 255) / 510 = 50 (50.5 truncated),
    // red (0 + 255) x 255 / 510 = 127; alpha 255.
    PixelImage img = MakeImage(2, 1, 32, {0xFF000000u, 0xFFFF0065u});
    MosaicEffect e(10);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0xFF7F0032u);
    EXPECT_EQ(At(img, 1, 0), 0xFF7F0032u);
    PixelImage rgb = MakeImage(2, 1, 24, {0x000000u, 0xFF0065u});
    EXPECT_FALSE(e.CanApply(rgb));
    MosaicEffect tiny(1);  // made 2
    PixelImage four = MakeImage(3, 1, 32, {0xFF000002u, 0xFF000004u, 0xFF000009u});
    four.ApplyEffect(tiny);
    EXPECT_EQ(At(four, 1, 0), 0xFF000003u);
    EXPECT_EQ(At(four, 2, 0), 0xFF000009u);
}

TEST(Halftone, WhiteBlackAndMidGrey) {
    PixelImage white = Uniform(16, 8, 32, 0x77FFFFFFu);
    HalftoneEffect e;
    white.ApplyEffect(e);
    // g = 25500 / 400 = 63: only threshold 63 (row 7, column 0 of each tile) stays black.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(At(white, x, y), (y == 7 && x % 8 == 0) ? 0x77000000u : 0x77FFFFFFu);
    PixelImage black = Uniform(9, 9, 24, 0);
    black.ApplyEffect(e);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(At(black, x, y), 0u);
    // Grey 100: g = 10000 / 400 = 25, white where the threshold is below 25.
    PixelImage grey = Uniform(8, 8, 24, 0x646464u);
    grey.ApplyEffect(e);
    int whites = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(At(grey, x, y), kBayer8[y][x] < 25 ? 0xFFFFFFu : 0u);
            whites += At(grey, x, y) != 0;
        }
    EXPECT_EQ(whites, 25);
}

TEST(Convolution, BlurWithReplicatedEdges) {
    // Blues 0, 16, 160 in one row; every window has three equal rows.
    // x = 0: columns [0 0 16]: 4 x 16 = 64 -> 4; x = 1: 8 x 16 + 4 x 160 = 768 -> 48;
    // x = 2: [16 160 160]: 64 + 1280 + 640 = 1984 -> 124.
    PixelImage img = MakeImage(3, 1, 32, {0x10000000u, 0x20000010u, 0x300000A0u});
    ConvolutionEffect blur = MakeBlurEffect();
    img.ApplyEffect(blur);
    EXPECT_EQ(At(img, 0, 0), 0x10000004u);
    EXPECT_EQ(At(img, 1, 0), 0x20000030u);
    EXPECT_EQ(At(img, 2, 0), 0x3000007Cu);
    PixelImage flat = Uniform(7, 5, 24, 0x39A4C2u);
    const PixelImage before = flat;
    flat.ApplyEffect(blur);
    EXPECT_TRUE(test::SamePixels(flat, before));
}

TEST(Convolution, ExpandedCopyEqualsExpandWithReplication) {
    for (int depth : {24, 32})
        for (int margin : {1, 4}) {
            PixelImage img = test::PhotoLike(13, 3, depth, 7);
            img.originX = 2;
            PixelImage expected = img, fast;
            expected.Expand(true, margin, margin, margin, margin);
            ASSERT_TRUE(ExpandedCopy(img, margin, fast));
            EXPECT_TRUE(test::SamePixels(fast, expected)) << depth << " " << margin;
            EXPECT_EQ(fast.originX, expected.originX);
            EXPECT_EQ(fast.originY, expected.originY);
        }
}

TEST(Convolution, NegativeSumsTruncateAndOddKernels) {
    // Kernel -1 in the centre, divisor 2, offset 10: -5 / 2 = -2 -> 8 (not -3 -> 7).
    const int32_t k[9] = {0, 0, 0, 0, -1, 0, 0, 0, 0};
    ConvolutionEffect e(k, 3, 2, 10);
    PixelImage img = MakeImage(1, 1, 24, {0x050505u});
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 0, 0), 0x080808u);
    // Divisor 3 (not a power of two) and divisor 0 (made 1).
    const int32_t k3[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    ConvolutionEffect third(k3, 3, 3, 0), zero(k3, 3, 0, -1);
    PixelImage a = MakeImage(1, 1, 24, {0x0A0B0Cu});
    a.ApplyEffect(third);
    EXPECT_EQ(At(a, 0, 0), 0x030304u);  // red 10/3 = 3, green 11/3 = 3, blue 12/3 = 4
    PixelImage b = MakeImage(1, 1, 24, {0x0A0B0Cu});
    b.ApplyEffect(zero);
    EXPECT_EQ(At(b, 0, 0), 0x090A0Bu);  // divided by 1, offset -1
    // A kernel shorter than size x size is refused.
    const int32_t shortKernel[4] = {1, 1, 1, 1};
    ConvolutionEffect refused(shortKernel, 3, 1, 0);
    PixelImage c = MakeImage(1, 1, 24, {0x0A0B0Cu});
    c.ApplyEffect(refused);
    EXPECT_EQ(At(c, 0, 0), 0x0A0B0Cu);
}

// The convolution as defined, on a whole edge-replicated copy.
PixelImage ReferenceConvolution(const PixelImage& image, const std::vector<int32_t>& k, int size, int divisor,
                                int offset) {
    PixelImage wide, out = image;
    EXPECT_TRUE(ExpandedCopy(image, size / 2, wide));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                int64_t s = 0;
                for (int i = 0; i < size; ++i)
                    for (int j = 0; j < size; ++j)
                        s += int64_t(wide.PixelAddress(x + j, y + i)[c]) * k[size_t(i * size + j)];
                out.PixelAddress(x, y)[c] = uint8_t(Clamp255(int(s / divisor + offset)));
            }
    return out;
}

TEST(Convolution, RowGroupBoundariesMatchAWholeCopy) {
    // Heights around one and two row groups, tiny images and one-column
    // images, with the 3 x 3 fast path (shift and division), the general path
    // (5 x 5, 9 x 9 taller than the image), an even size and 1 x 1, at
    // several thread counts and with progress waves.
    struct Kernel {
        int size, divisor, offset;
    };
    const Kernel kernels[] = {{3, 16, 0}, {3, 7, -13}, {5, 4, 20}, {2, 3, 1}, {1, 2, 5}, {9, 40, 0}};
    for (const Kernel& kn : kernels) {
        std::vector<int32_t> k(size_t(kn.size * kn.size));
        for (size_t i = 0; i < k.size(); ++i) k[i] = int32_t((i * 7 + 3) % 6) - 1;
        if (kn.size == 3 && kn.divisor == 16) k = {1, 2, 1, 2, 4, 2, 1, 2, 1};
        const int g = ConvolutionEffect(k, kn.size, kn.divisor, kn.offset).RowGroup();
        ASSERT_GE(g, 2);
        for (int height : {1, 2, 3, g - 1, g, g + 1, 2 * g - 1, 2 * g, 2 * g + 1, 3 * g + 2})
            for (int width : {1, 2, 13})
                for (int depth : {24, 32}) {
                    const PixelImage input = test::PhotoLike(width, height, depth, uint32_t(height * 31 + width));
                    const PixelImage expected = ReferenceConvolution(input, k, kn.size, kn.divisor, kn.offset);
                    for (int threads : {1, 2, 3, 7})
                        for (bool waves : {false, true}) {
                            test::EffectThreadsScope scope(threads);
                            PixelImage result = input;
                            ConvolutionEffect e(k, kn.size, kn.divisor, kn.offset);
                            ProgressReporter progress;
                            result.ApplyEffect(e, waves ? &progress : nullptr);
                            EXPECT_TRUE(test::SamePixels(result, expected))
                                << kn.size << " x " << kn.size << " / " << kn.divisor << " on " << width << " x "
                                << height << " at " << depth << " bits, " << threads << " threads"
                                << (waves ? ", progress" : "");
                        }
                }
    }
}

TEST(Convolution, GroupsInAnyOrderMatchAWholeCopy) {
    // The framework may run the groups in any order: last group first (its
    // neighbours' rows already changed) and the first group last, each in row
    // order, through the fast and the general row path.
    const std::vector<int32_t> blur = {1, 2, 1, 2, 4, 2, 1, 2, 1};
    std::vector<int32_t> five(25);
    for (size_t i = 0; i < five.size(); ++i) five[i] = int32_t(i % 4) - 1;
    for (const auto& [k, size] : {std::pair{blur, 3}, std::pair{five, 5}})
        for (int extra : {0, 1, 7}) {
            ConvolutionEffect e(k, size, 16, 3);
            const int g = e.RowGroup();
            PixelImage image = test::PhotoLike(6, 3 * g + extra, 24, uint32_t(extra + size));
            const PixelImage expected = ReferenceConvolution(image, k, size, 16, 3);
            e.Begin(image);
            for (int first = (image.Height() - 1) / g * g; first >= 0; first -= g)
                for (int y = first; y < std::min(first + g, image.Height()); ++y)
                    e.ProcessRow(image, y, image.Row(y), image.Width());
            e.End(image);
            EXPECT_TRUE(test::SamePixels(image, expected)) << size << " x " << size << ", " << extra;
        }
}

TEST(Convolution, PixelPathAloneMatchesAWholeCopy) {
    // ProcessPixel alone, row after row, keeps its own window as well.
    const std::vector<int32_t> k = {0, -1, 0, -1, 5, -1, 0, -1, 0};
    for (int height : {1, 33, 70}) {
        PixelImage image = test::PhotoLike(5, height, 32, 3);
        const PixelImage expected = ReferenceConvolution(image, k, 3, 1, 0);
        ConvolutionEffect e(k, 3, 1, 0);
        test::ApplyPlain(image, e);
        EXPECT_TRUE(test::SamePixels(image, expected)) << height;
    }
}

TEST(Grid, LinesInEachCell) {
    // Cell 5, depth 10 on grey 100 (hand-worked offsets per row):
    //   row 0: none; row 1: -10 at x 1..3; row 2: +10 at x 1, -10 at x 3;
    //   row 3: +10 at x 1..3; row 4: none.
    const int expect[5][5] = {
        {0, 0, 0, 0, 0}, {0, -10, -10, -10, 0}, {0, 10, 0, -10, 0}, {0, 10, 10, 10, 0}, {0, 0, 0, 0, 0}};
    PixelImage img = Uniform(5, 5, 32, 0x40646464u);
    GridEffect e(5, 10);
    img.ApplyEffect(e);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(At(img, x, y), 0x40000000u | uint32_t(100 + expect[y][x]) * 0x010101u);
}

TEST(Grid, SmallCellsChangeNothingAndLargeDepthClamps) {
    for (int cell : {0, 1, 2}) {
        PixelImage img = test::PhotoLike(11, 9, 24, 2);
        const PixelImage before = img;
        GridEffect e(cell, 50);
        img.ApplyEffect(e);
        EXPECT_TRUE(test::SamePixels(img, before)) << cell;
    }
    PixelImage img = Uniform(5, 5, 24, 0x646464u);
    GridEffect e(5, 2147483647);
    img.ApplyEffect(e);
    EXPECT_EQ(At(img, 1, 1), 0u);
    EXPECT_EQ(At(img, 1, 3), 0xFFFFFFu);
}

TEST(Filters, RefuseSmallDepthsAndEmptyImages) {
    PixelImage pal;
    pal.Create(5, 5, 8);
    PixelImage empty;
    EmbossEffect a(2);
    OilPaintEffect b(2);
    SplashEffect c(5, 1);
    ConvolutionEffect d = MakeBlurEffect();
    GridEffect g(4, 4);
    for (ImageEffect* e : std::initializer_list<ImageEffect*>{&a, &b, &c, &d, &g}) {
        EXPECT_FALSE(e->CanApply(pal));
        EXPECT_FALSE(e->CanApply(empty));
    }
}

}  // namespace
}  // namespace clipvane
