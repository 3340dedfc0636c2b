// Conversions between 24 and 32 bits on several threads: the one-pass copy at
// another depth and the in-place narrowing to 24 bits give the bytes of the
// copy and conversion done in row order, for awkward shapes and thread counts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/ConvertedCopy.h"
#include "image/PixelImage.h"
#include "support/EffectThreadsScope.h"

namespace clipvane {
namespace {

using test::EffectThreadsScope;

// Every stored byte set, row padding included, from a simple generator.
PixelImage Filled(int width, int height, int depth) {
    PixelImage image;
    EXPECT_TRUE(image.Create(width, height, depth));
    uint32_t state = uint32_t(width * 7919 + height * 104729 + depth);
    for (size_t i = 0; i < image.ByteCount(); ++i) {
        state = state * 1103515245u + 12345u;
        image.Bits()[i] = uint8_t(state >> 16);
    }
    image.originX = 3;
    image.originY = -5;
    image.frameDelay = 40;
    return image;
}

// Header, layout, placement and every stored byte.
void ExpectSame(const PixelImage& expected, const PixelImage& actual) {
    ASSERT_EQ(expected.Width(), actual.Width());
    ASSERT_EQ(expected.Height(), actual.Height());
    ASSERT_EQ(expected.Depth(), actual.Depth());
    ASSERT_EQ(expected.Stride(), actual.Stride());
    EXPECT_EQ(0, std::memcmp(&expected.Info(), &actual.Info(), sizeof(BitmapInfoHeader)));
    EXPECT_EQ(expected.RedMask(), actual.RedMask());
    EXPECT_EQ(expected.GreenMask(), actual.GreenMask());
    EXPECT_EQ(expected.BlueMask(), actual.BlueMask());
    EXPECT_EQ(expected.originX, actual.originX);
    EXPECT_EQ(expected.originY, actual.originY);
    EXPECT_EQ(expected.frameDelay, actual.frameDelay);
    ASSERT_EQ(0, std::memcmp(expected.Bits(), actual.Bits(), expected.ByteCount()));
}

// `source` copied and converted in row order, on one thread.
PixelImage Sequential(const PixelImage& source, int depth) {
    EffectThreadsScope one(1);
    PixelImage image(source);
    image.ConvertTo(depth);
    return image;
}

struct Shape {
    int width;
    int height;
};

// Odd widths (row padding at 24 bits), widths up to 3 (equal strides at 24
// and 32 bits), one row, and heights that no band or wave divides evenly.
const std::vector<Shape> kShapes = {{1, 1},  {1, 9},   {2, 5},   {3, 7},   {4, 1},   {5, 3},
                                    {7, 97}, {33, 65}, {257, 3}, {64, 64}, {13, 301}};
const int kThreadCounts[] = {1, 2, 7};

TEST(ConvertedCopy, GivesTheBytesOfCopyThenConvert) {
    for (const Shape& shape : kShapes) {
        for (const int from : {24, 32}) {
            const int to = from == 24 ? 32 : 24;
            const PixelImage source = Filled(shape.width, shape.height, from);
            const PixelImage expected = Sequential(source, to);
            for (const int threads : kThreadCounts) {
                SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height << " " << from << "->" << to
                                                << " threads " << threads);
                EffectThreadsScope scope(threads);
                PixelImage out = Filled(2, 2, 24);  // replaced whole
                ASSERT_TRUE(ConvertedCopy(source, to, out));
                ExpectSame(expected, out);
            }
        }
    }
}

TEST(ConvertedCopy, WritesOpaqueAlphaAndZeroPadding) {
    const PixelImage source = Filled(5, 4, 24);
    EffectThreadsScope scope(2);
    PixelImage wide;
    ASSERT_TRUE(ConvertedCopy(source, 32, wide));
    PixelImage narrow;
    ASSERT_TRUE(ConvertedCopy(wide, 24, narrow));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(0, std::memcmp(wide.PixelAddress(x, y), source.PixelAddress(x, y), 3));
            EXPECT_EQ(255, wide.PixelAddress(x, y)[3]);
        }
        // 15 bytes of pixels in a 16-byte row: the source's padding byte is
        // not carried over.
        EXPECT_EQ(0, std::memcmp(narrow.Row(y), source.Row(y), 15));
        EXPECT_EQ(0, narrow.Row(y)[15]);
    }
}

TEST(ConvertedCopy, OtherDepthsTakeTheCopyAndConversion) {
    PixelImage grey;
    ASSERT_TRUE(grey.Create(9, 5, 8));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) grey.Row(y)[x] = uint8_t(x * 30 + y);
    const PixelImage same = Filled(6, 3, 32);
    EffectThreadsScope scope(2);
    PixelImage out;
    ASSERT_TRUE(ConvertedCopy(grey, 24, out));
    ExpectSame(Sequential(grey, 24), out);
    ASSERT_TRUE(ConvertedCopy(same, 32, out));  // same depth: a plain copy
    ExpectSame(same, out);
}

TEST(ConvertedCopy, EmptySourceLeavesTheTargetAsItWas) {
    const PixelImage before = Filled(3, 2, 24);
    PixelImage out(before);
    ASSERT_TRUE(ConvertedCopy(PixelImage{}, 32, out));
    ExpectSame(before, out);
}

TEST(ConvertInPlace, NarrowingGivesTheRowOrderBytesAtEveryThreadCount) {
    std::vector<Shape> shapes = kShapes;
    shapes.push_back({9, 1000});  // many waves of rows
    for (const Shape& shape : shapes) {
        const PixelImage wide = Filled(shape.width, shape.height, 32);
        const PixelImage expected = Sequential(wide, 24);
        for (const int threads : kThreadCounts) {
            SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height << " threads " << threads);
            EffectThreadsScope scope(threads);
            PixelImage image(wide);
            image.ConvertTo(24);
            ExpectSame(expected, image);
            // Every pixel's colour stayed with it.
            for (int y = 0; y < shape.height; ++y)
                for (int x = 0; x < shape.width; ++x)
                    ASSERT_EQ(0, std::memcmp(image.PixelAddress(x, y), wide.PixelAddress(x, y), 3));
        }
    }
}

}  // namespace
}  // namespace clipvane
