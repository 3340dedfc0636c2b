// The program's own PCX encoder and decoder, byte by byte on small images.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "imagefile/Handlers.h"
#include "imagefile/Pcx.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::PixelImage;

TEST(PcxEncode, TrueColourPlanes) {
    // 3 x 1 at 24 bits: pixels red, red, (blue 0xC5). Width 3 is odd, so each
    // plane line holds 4 bytes, the last one padding (0).
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 1, 24));
    img.PixelAddress(0, 0)[2] = 0xFF;
    img.PixelAddress(1, 0)[2] = 0xFF;
    img.PixelAddress(2, 0)[0] = 0xC5;
    const std::vector<uint8_t> b = clipvane::EncodePcx(img);
    ASSERT_GE(b.size(), 128u);
    EXPECT_EQ(b[0], 0x0A);
    EXPECT_EQ(b[1], 5);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(b[3], 8);
    EXPECT_EQ(b[8], 2);   // xmax = width - 1
    EXPECT_EQ(b[10], 0);  // ymax = height - 1
    EXPECT_EQ(b[65], 3);  // planes
    EXPECT_EQ(b[66], 4);  // bytes per plane line, even
    // Red plane FF FF 00 00: a run of two (C2 FF), a run of two zeros (C2 00).
    // Green plane 00 00 00 00: one run of four (C4 00).
    // Blue plane 00 00 C5 00: run C2 00, then C5 needs a count (C1 C5), then 00.
    const std::vector<uint8_t> data(b.begin() + 128, b.end());
    EXPECT_EQ(data, (std::vector<uint8_t>{0xC2, 0xFF, 0xC2, 0x00, 0xC4, 0x00, 0xC2, 0x00, 0xC1, 0xC5, 0x00}));
}

TEST(PcxEncode, PaletteImageAndLongRuns) {
    // 100 x 1 at 8 bits, all index 7: runs of 63 and 37 -> FF 07 E5 07. Even
    // width: no padding. Then 0x0C and 256 RGB entries.
    PixelImage img;
    ASSERT_TRUE(img.Create(100, 1, 8));
    std::memset(img.Row(0), 7, 100);
    const clipvane::RgbQuad q{1, 2, 3, 0};
    img.SetPalette(7, 1, &q);
    const std::vector<uint8_t> b = clipvane::EncodePcx(img);
    ASSERT_EQ(b.size(), 128u + 4 + 769);
    EXPECT_EQ(b[65], 1);
    EXPECT_EQ(b[66], 100);
    EXPECT_EQ(b[128], 0xFF);
    EXPECT_EQ(b[129], 7);
    EXPECT_EQ(b[130], 0xE5);
    EXPECT_EQ(b[131], 7);
    EXPECT_EQ(b[132], 0x0C);
    // Entry 7 as red, green, blue.
    EXPECT_EQ(b[133 + 21], 3);
    EXPECT_EQ(b[133 + 22], 2);
    EXPECT_EQ(b[133 + 23], 1);
}

TEST(PcxEncode, OtherDepthsAndLimits) {
    // 4-bit pixels become 8-bit indexes: 0x12 -> indexes 1, 2, both literal.
    PixelImage nibbles;
    ASSERT_TRUE(nibbles.Create(2, 1, 4));
    nibbles.Row(0)[0] = 0x12;
    const std::vector<uint8_t> b = clipvane::EncodePcx(nibbles);
    ASSERT_EQ(b.size(), 128u + 2 + 769);
    EXPECT_EQ(b[128], 1);
    EXPECT_EQ(b[129], 2);
    // 32 bits lose alpha and become three planes.
    PixelImage alpha;
    ASSERT_TRUE(alpha.Create(2, 1, 32));
    EXPECT_EQ(clipvane::EncodePcx(alpha)[65], 3);
    EXPECT_TRUE(clipvane::EncodePcx(PixelImage()).empty());
    PixelImage wide;
    ASSERT_TRUE(wide.Create(70000, 1, 8));
    EXPECT_TRUE(clipvane::EncodePcx(wide).empty());
}

TEST(PcxDecode, ReadsWhatTheWriterWrites) {
    // Thin images too: FreeImage refuses PCX files one pixel wide or tall.
    for (const auto& [w, h, depth] : {std::tuple{1, 1, 24}, {1, 7, 8}, {9, 1, 24}, {33, 5, 8}, {4, 3, 4}}) {
        PixelImage img;
        ASSERT_TRUE(img.Create(w, h, depth));
        for (int y = 0; y < h; ++y)
            for (int i = 0; i < img.Stride(); ++i) img.Row(y)[i] = uint8_t(i * 31 + y * 7);
        const std::vector<uint8_t> file = clipvane::EncodePcx(img);
        PixelImage back;
        ASSERT_EQ(clipvane::DecodePcx(file.data(), file.size(), back), clipvane::PcxResult::kDecoded);
        ASSERT_EQ(back.Width(), w);
        ASSERT_EQ(back.Height(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (depth == 24) {
                    EXPECT_EQ(back.GetPixel(x, y), img.GetPixel(x, y));
                } else {
                    const clipvane::RgbQuad want = img.Palette()[img.GetPixel(x, y)];
                    EXPECT_EQ(back.Palette()[back.GetPixel(x, y)], want);
                }
            }
    }
}

TEST(PcxDecode, RefusesMalformedFiles) {
    PixelImage img;
    ASSERT_TRUE(img.Create(6, 4, 24));
    const std::vector<uint8_t> good = clipvane::EncodePcx(img);
    PixelImage out;
    ASSERT_EQ(clipvane::DecodePcx(good.data(), good.size(), out), clipvane::PcxResult::kDecoded);
    // Data ends inside the last run: C? value pairs cut off.
    EXPECT_EQ(clipvane::DecodePcx(good.data(), good.size() - 1, out), clipvane::PcxResult::kRefused);
    EXPECT_EQ(clipvane::DecodePcx(good.data(), 127, out), clipvane::PcxResult::kRefused);
    std::vector<uint8_t> b = good;
    b[0] = 0x0B;  // not ZSoft
    EXPECT_EQ(clipvane::DecodePcx(b.data(), b.size(), out), clipvane::PcxResult::kRefused);
    b = good;
    b[66] = 4;  // 4 bytes per plane line for 6 pixels
    EXPECT_EQ(clipvane::DecodePcx(b.data(), b.size(), out), clipvane::PcxResult::kRefused);
    b = good;
    b[8] = 0;
    b[4] = 3;  // xmax 0 < xmin 3
    EXPECT_EQ(clipvane::DecodePcx(b.data(), b.size(), out), clipvane::PcxResult::kRefused);
    b = good;
    b[8] = 0xFF;
    b[9] = 0xFF;
    b[10] = 0xFF;
    b[11] = 0xFF;  // 65536 x 65536 x 3 bytes: over the limit
    b[66] = 0xFF;
    b[67] = 0xFF;
    EXPECT_EQ(clipvane::DecodePcx(b.data(), b.size(), out), clipvane::PcxResult::kRefused);
    b = good;
    b[3] = 1;
    b[65] = 4;  // 16-colour EGA layout: handed to FreeImage
    EXPECT_EQ(clipvane::DecodePcx(b.data(), b.size(), out), clipvane::PcxResult::kOtherLayout);
    EXPECT_TRUE(out.IsEmpty() || out.Width() == 6);
}

TEST(PcxDecode, OlderLayoutsThroughFreeImage) {
    test::ScratchDir dir;
    ASSERT_TRUE(test::Magick("-size 16x5 xc:white -fill black -draw 'rectangle 2,1 9,3' -monochrome " +
                             test::Quote(dir / "mono.pcx")));
    clipvane::PcxHandler h;
    ASSERT_TRUE(h.LoadFile(dir / "mono.pcx"));
    ASSERT_EQ(h.Frames().size(), 1u);
    EXPECT_EQ(test::MaxDifference(test::ImagePixels(*h.Frames()[0]), test::MagickPixels(dir / "mono.pcx")), 0);
}

}  // namespace
