#include "imagefile/DibReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/PixelImage.h"
#include "imagefile/Limits.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::At;

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    const size_t at = to.size();
    to.resize(at + bytes.size());
    if (!bytes.empty()) std::memcpy(to.data() + at, bytes.data(), bytes.size());
}

// A bare bitmap: 40-byte header, `table` (colour entries or masks), `rows`.
std::vector<uint8_t> Dib(int32_t w, int32_t h, int depth, const std::vector<uint8_t>& table,
                         const std::vector<uint8_t>& rows, uint32_t compression = 0, uint32_t colorsUsed = 0,
                         uint32_t sizeImage = 0) {
    std::vector<uint8_t> b(40);
    PutLe32(&b[0], 40);
    PutLe32(&b[4], uint32_t(w));
    PutLe32(&b[8], uint32_t(h));
    PutLe16(&b[12], 1);
    PutLe16(&b[14], uint32_t(depth));
    PutLe32(&b[16], compression);
    PutLe32(&b[20], sizeImage);
    PutLe32(&b[32], colorsUsed);
    Append(b, table);
    Append(b, rows);
    return b;
}

std::vector<uint8_t> AsFile(const std::vector<uint8_t>& dib, uint32_t pixelOffsetInDib) {
    std::vector<uint8_t> f(14);
    f[0] = 'B', f[1] = 'M';
    PutLe32(&f[2], uint32_t(14 + dib.size()));
    PutLe32(&f[10], 14 + pixelOffsetInDib);
    Append(f, dib);
    return f;
}

bool Read(const std::vector<uint8_t>& bytes, PixelImage& image) {
    return ReadDibFromMemory(bytes.data(), bytes.size(), image);
}

// 2 x 2 at 24 bits, bottom row first: bottom blue, green; top red, white.
// Each row is padded to 8 bytes.
const std::vector<uint8_t> kRows24 = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};

TEST(DibReader, DecodesSmallBitmapsToExactOpaquePixels) {
    PixelImage image;
    ASSERT_TRUE(Read(Dib(2, 2, 24, {}, kRows24), image));
    ASSERT_EQ(image.Depth(), 32);
    EXPECT_EQ(At(image, 0, 0), 0xFFFF0000u);  // top row: red, white
    EXPECT_EQ(At(image, 1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(At(image, 0, 1), 0xFF0000FFu);  // bottom row: blue, green
    EXPECT_EQ(At(image, 1, 1), 0xFF00FF00u);

    // 1 bit with its two colours: row bits 10 (padded to 4 bytes).
    PixelImage mono;
    ASSERT_TRUE(Read(Dib(2, 1, 1, {0, 0, 0, 0, 10, 20, 30, 0}, {0x80, 0, 0, 0}), mono));
    EXPECT_EQ(At(mono, 0, 0), 0xFF1E140Au);
    EXPECT_EQ(At(mono, 1, 0), 0xFF000000u);

    // A plain 32-bit bitmap keeps its fourth bytes; with masks it is opaque.
    PixelImage plain, masked;
    ASSERT_TRUE(Read(Dib(1, 1, 32, {}, {1, 2, 3, 4}), plain));
    EXPECT_EQ(At(plain, 0, 0), 0x04030201u);
    const std::vector<uint8_t> masks = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    ASSERT_TRUE(Read(Dib(1, 1, 32, masks, {1, 2, 3, 4}, 3), masked));
    EXPECT_EQ(At(masked, 0, 0), 0xFF030201u);

    // 16 bits 5-6-5 through its masks: pure red.
    PixelImage rgb565;
    const std::vector<uint8_t> m565 = {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    ASSERT_TRUE(Read(Dib(1, 1, 16, m565, {0x00, 0xF8, 0, 0}, 3), rgb565));
    EXPECT_EQ(At(rgb565, 0, 0), 0xFFF80000u);
}

TEST(DibReader, ReadsBmpFilesByTheirPixelOffset) {
    // Four spare bytes between the header and the rows.
    std::vector<uint8_t> dib = Dib(2, 2, 24, {9, 9, 9, 9}, kRows24);
    PixelImage image;
    ASSERT_TRUE(Read(AsFile(dib, 44), image));
    EXPECT_EQ(At(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(At(image, 1, 1), 0xFF00FF00u);
    // A file size beyond the data, or an offset inside the header, is refused.
    std::vector<uint8_t> file = AsFile(dib, 44);
    PutLe32(&file[2], uint32_t(file.size() + 1));
    EXPECT_FALSE(Read(file, image));
    EXPECT_FALSE(Read(AsFile(dib, 20), image));
}

TEST(DibReader, RefusesBadLayoutsAndLeavesTheImageAlone) {
    PixelImage image;
    image.Create(3, 3, 24);
    const std::vector<uint8_t> table2 = {0, 0, 0, 0, 255, 255, 255, 0};
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } bad[] = {
        // 8 bits whose header says two colours: the table is shorter than the
        // pixel values may reach.
        {"short colour table", Dib(1, 1, 8, table2, {1, 0, 0, 0}, 0, 2)},
        {"colour table cut off", Dib(1, 1, 1, {0, 0, 0, 0}, {})},
        {"more colours than the depth", Dib(1, 1, 1, table2, {0, 0, 0, 0}, 0, 3)},
        {"rows cut off", Dib(2, 2, 24, {}, std::vector<uint8_t>(kRows24.begin(), kRows24.end() - 1))},
        {"image size larger than the data", Dib(2, 2, 24, {}, kRows24, 0, 0, 17)},
        {"image size smaller than the rows", Dib(2, 2, 24, {}, kRows24, 0, 0, 8)},
        {"zero width", Dib(0, 2, 24, {}, kRows24)},
        {"zero height", Dib(2, 0, 24, {}, kRows24)},
        {"negative width", Dib(-2, 2, 24, {}, kRows24)},
        {"top-down rows", Dib(2, -2, 24, {}, kRows24)},
        {"huge", Dib(0x7FFFFFFF, 0x7FFFFFFF, 32, {}, kRows24)},
        {"over the pixel limit", Dib(32768, 32768, 32, {}, kRows24)},
        {"run-length coded", Dib(2, 2, 8, std::vector<uint8_t>(1024), kRows24, 1)},
        {"odd depth", Dib(2, 2, 12, {}, kRows24)},
        {"foreign 32-bit masks", Dib(1, 1, 32, std::vector<uint8_t>(12, 0xFF), {1, 2, 3, 4}, 3)},
        {"masks cut off", Dib(1, 1, 16, {}, {}, 3)},
        {"header cut off", std::vector<uint8_t>{40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0}},
        {"nothing", {}},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(ReadDibFromMemory(b.bytes.data(), b.bytes.size(), image)) << b.what;
        EXPECT_EQ(image.Width(), 3) << b.what;
        EXPECT_EQ(image.Depth(), 24) << b.what;
    }
    EXPECT_FALSE(ReadDibFromMemory(nullptr, 40, image));
}

}  // namespace
}  // namespace clipvane
