// The program's own PNG encoder: chunk layout and CRCs, and files that other
// readers accept.
#include <gtest/gtest.h>

#include <cstring>

#include "imagefile/Png.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::PixelImage;

uint32_t Be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

// CRC-32 as PNG defines it (reflected polynomial 0xEDB88320), bit by bit.
uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c ^ 0xFFFFFFFFu;
}

// Walks the chunks after the signature: every length stays inside the file
// and every CRC (over type and data) is right.
void ExpectValidChunks(const std::vector<uint8_t>& b) {
    size_t at = 8;
    while (at + 12 <= b.size()) {
        const uint32_t len = Be32(&b[at]);
        ASSERT_LE(at + 12 + len, b.size());
        EXPECT_EQ(Be32(&b[at + 8 + len]), Crc32(&b[at + 4], len + 4)) << "chunk at " << at;
        at += 12 + len;
    }
    EXPECT_EQ(at, b.size());
}

TEST(PngEncode, ChunkLayout) {
    PixelImage img;
    ASSERT_TRUE(img.Create(5, 3, 24));
    const std::vector<uint8_t> b = clipvane::EncodePng(img);
    ASSERT_GT(b.size(), 8u + 25 + 12);
    EXPECT_EQ(std::memcmp(b.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(Be32(&b[8]), 13u);
    EXPECT_EQ(std::memcmp(&b[12], "IHDR", 4), 0);
    EXPECT_EQ(Be32(&b[16]), 5u);
    EXPECT_EQ(Be32(&b[20]), 3u);
    EXPECT_EQ(b[24], 8);  // bits per sample
    EXPECT_EQ(b[25], 2);  // RGB
    EXPECT_EQ(std::memcmp(&b[37], "IDAT", 4), 0);
    EXPECT_EQ(std::memcmp(&b[b.size() - 8], "IEND", 4), 0);
    ExpectValidChunks(b);

    PixelImage pal;
    ASSERT_TRUE(pal.Create(9, 2, 4));
    const std::vector<uint8_t> p = clipvane::EncodePng(pal);
    EXPECT_EQ(p[24], 4);               // 4 bits per index
    EXPECT_EQ(p[25], 3);               // palette
    EXPECT_EQ(Be32(&p[33]), 16u * 3);  // PLTE length
    EXPECT_EQ(std::memcmp(&p[37], "PLTE", 4), 0);
    ExpectValidChunks(p);
}

TEST(PngEncode, ReadByPngcheckAndImageMagick) {
    test::ScratchDir dir;
    // A 1-bit image of odd width: the packed row is 2 bytes, the stored row 4.
    PixelImage mono;
    ASSERT_TRUE(mono.Create(11, 3, 1));
    mono.Row(1)[0] = 0x81;
    mono.Row(1)[1] = 0x20;                                                // x = 10
    const clipvane::RgbQuad colours[2] = {{0, 0, 0, 0}, {255, 0, 0, 0}};  // 1 = blue
    mono.SetPalette(0, 2, colours);
    ASSERT_TRUE(test::WriteBytes(dir / "m.png", clipvane::EncodePng(mono)));
    const test::RgbaPixels px = test::MagickPixels(dir / "m.png");
    ASSERT_EQ(px.width, 11);
    auto blue = [&](int x, int y) { return px.rgba[size_t(y * 11 + x) * 4 + 2]; };
    EXPECT_EQ(blue(0, 1), 255);
    EXPECT_EQ(blue(7, 1), 255);
    EXPECT_EQ(blue(10, 1), 255);
    EXPECT_EQ(blue(1, 1), 0);
    EXPECT_EQ(blue(0, 0), 0);
    if (test::Run("command -v pngcheck >/dev/null 2>&1") == 0) {
        EXPECT_EQ(test::Run("pngcheck -q " + test::Quote(dir / "m.png") + " >/dev/null"), 0);
    }
}

}  // namespace
