// The effect framework: call sequence, row order, progress, and the shared
// pixel helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/ImageEffect.h"
#include "image/ProgressReporter.h"

namespace clipvane {
namespace {

struct RecordingProgress : ProgressReporter {
    std::vector<int> positions;
    int resets = 0;
    void Reset() override {
        ++resets;
        ProgressReporter::Reset();
    }
    void SetPosition(int p) override {
        positions.push_back(p);
        ProgressReporter::SetPosition(p);
    }
};

// Records every call; optionally re-creates the image in Begin.
struct RecordingEffect : SourceEffect {
    std::string calls;
    std::vector<std::pair<int, int>> pixels;
    int mode = kPerPixel;
    int newWidth = 0, newHeight = 0;
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty(); }
    int Mode() const override { return mode; }
    void Begin(PixelImage& image) override {
        calls.push_back('B');
        if (newWidth) image.Create(newWidth, newHeight, image.Depth());
    }
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override {
        EXPECT_EQ(pixel, image.PixelAddress(x, y));
        pixels.emplace_back(x, y);
    }
    void ProcessImage(PixelImage&, ProgressReporter* progress) override {
        calls.push_back('I');
        if (progress) progress->SetPosition(50);
    }
    void End(PixelImage&) override { calls.push_back('E'); }
};

TEST(ApplyEffect, AnEmptyImageCallsNothingAfterTheCheck) {
    PixelImage empty;
    RecordingEffect e;
    RecordingProgress p;
    empty.ApplyEffect(e, &p);
    EXPECT_EQ(e.calls, "");
    EXPECT_EQ(p.resets, 0);
    EXPECT_TRUE(p.positions.empty());
}

TEST(ApplyEffect, PixelsGoTopRowFirstLeftToRightWithProgressPerRow) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 3, 24));
    RecordingEffect e;
    RecordingProgress p;
    img.ApplyEffect(e, &p);
    EXPECT_EQ(e.calls, "BE");
    const std::vector<std::pair<int, int>> order = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}};
    EXPECT_EQ(e.pixels, order);
    EXPECT_EQ(p.resets, 1);
    EXPECT_EQ(p.positions, (std::vector<int>{33, 66, 100}));
}

TEST(ApplyEffect, BeginMayRecreateTheImageAtAnotherSize) {
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 2, 32));
    RecordingEffect e;
    e.newWidth = 2;
    e.newHeight = 3;
    img.ApplyEffect(e);
    ASSERT_EQ(e.pixels.size(), 6u);
    EXPECT_EQ(e.pixels.back(), (std::pair<int, int>{1, 2}));
}

TEST(ApplyEffect, WholeImageModeCallsProcessImageOnce) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 2, 32));
    RecordingEffect e;
    e.mode = ImageEffect::kWholeImage;
    RecordingProgress p;
    img.ApplyEffect(e, &p);
    EXPECT_EQ(e.calls, "BIE");
    EXPECT_TRUE(e.pixels.empty());
    EXPECT_EQ(p.positions, (std::vector<int>{50}));
}

TEST(ApplyEffect, PaletteImagesAddressTheByteHoldingThePixel) {
    PixelImage img;
    ASSERT_TRUE(img.Create(9, 1, 1));
    RecordingEffect e;
    img.ApplyEffect(e);  // ProcessPixel checks each address against PixelAddress
    EXPECT_EQ(e.pixels.size(), 9u);
}

// Inverts the chosen channels.
struct TestInvert : LookupEffect {
    using LookupEffect::LookupEffect;
    int MapLevel(int level) override { return 255 - level; }
};

TEST(LookupEffectTest, OnlyTheChosenChannelsChangeAndAlphaStays) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 32));
    const uint8_t px[4] = {10, 20, 30, 40};
    std::memcpy(img.PixelAddress(0, 0), px, 4);
    TestInvert red(1);
    img.ApplyEffect(red);
    const uint8_t* p = img.PixelAddress(0, 0);
    EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{10, 20, 225, 40}));
    TestInvert blueGreen(2 | 4);
    img.ApplyEffect(blueGreen);
    EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{245, 235, 225, 40}));
}

TEST(LookupEffectTest, RowPathMatchesThePixelPathAtBothDepthsAndOddWidths) {
    for (int depth : {24, 32}) {
        for (int channels : {7, 5, 2}) {
            PixelImage fast, slow;
            ASSERT_TRUE(fast.Create(67, 5, depth));
            RandomGenerator rng(42);
            for (size_t i = 0; i < fast.ByteCount(); ++i) fast.Bits()[i] = uint8_t(rng.Next());
            slow.Copy(fast);
            TestInvert e(channels);
            fast.ApplyEffect(e);
            TestInvert ref(channels);
            ref.Begin(slow);
            for (int y = 0; y < slow.Height(); ++y)
                for (int x = 0; x < slow.Width(); ++x) ref.ProcessPixel(slow, x, y, slow.PixelAddress(x, y));
            EXPECT_EQ(std::memcmp(fast.Bits(), slow.Bits(), fast.ByteCount()), 0)
                << "depth " << depth << " channels " << channels;
        }
    }
}

TEST(SourceEffectTest, AcceptsStoredImagesOfTwentyFourBitsAndMore) {
    TestInvert e;
    PixelImage img;
    EXPECT_FALSE(e.CanApply(img));
    ASSERT_TRUE(img.Create(1, 1, 16));
    EXPECT_FALSE(e.CanApply(img));
    ASSERT_TRUE(img.Create(1, 1, 24));
    EXPECT_TRUE(e.CanApply(img));
    ASSERT_TRUE(img.Create(1, 1, 32));
    EXPECT_TRUE(e.CanApply(img));
}

TEST(PixelHelpers, GreyClampAndRounding) {
    const uint8_t red[3] = {0, 0, 255}, white[3] = {255, 255, 255}, green[3] = {0, 255, 0};
    EXPECT_EQ(GreyValue(red), 76);     // 7650 / 100
    EXPECT_EQ(GreyValue(green), 150);  // 15045 / 100
    EXPECT_EQ(GreyValue(white), 255);
    EXPECT_EQ(Clamp255(-1), 0);
    EXPECT_EQ(Clamp255(256), 255);
    EXPECT_EQ(Clamp255(17), 17);
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(2.49), 2);
    EXPECT_EQ(RoundHalfAway(-0.4), 0);
    EXPECT_EQ(Trunc(-1.9), -1);
}

TEST(RandomGeneratorTest, FollowsTheClassicSequence) {
    // next = next * 1103515245 + 12345; value = next / 65536 % 32768, from seed 1.
    RandomGenerator r(1);
    EXPECT_EQ(r.Next(), 16838);
    EXPECT_EQ(r.Next(), 5758);
    EXPECT_EQ(r.Next(), 10113);
    r.Seed(1);
    EXPECT_EQ(r.Next(), 16838);
    int lo = 32767, hi = 0;
    for (int i = 0; i < 100000; ++i) {
        const int v = r.Next();
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, RandomGenerator::kMax);
}

}  // namespace
}  // namespace clipvane
