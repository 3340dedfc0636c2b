// The program's own PNG encoder: chunk layout and CRCs, and files that other
// readers accept.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/Png.h"
#include "support/EffectThreadsScope.h"
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
    img.Row(1)[2] = 0x80;  // one red pixel: not grey
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

// Pieces of a given size for one scope (0: the default).
class PieceBytesScope {
public:
    explicit PieceBytesScope(size_t bytes) { clipvane::SetPngPieceBytes(bytes); }
    ~PieceBytesScope() { clipvane::SetPngPieceBytes(0); }
};

// Random pixels; `grey` makes blue, green and red equal; alpha random too.
PixelImage RandomImage(int w, int h, int depth, bool grey, uint32_t seed) {
    std::mt19937 random(seed);
    PixelImage img;
    EXPECT_TRUE(img.Create(w, h, depth));
    const int bytes = depth / 8;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            // Runs of equal pixels too, so that matches reach across rows.
            const uint32_t v = (x / 3 + y) % 4 == 0 ? 0x40u : random();
            for (int c = 0; c < bytes; ++c) p[c] = uint8_t(v >> (8 * c));
            if (grey) p[1] = p[2] = p[0];
        }
    return img;
}

struct Layout {
    const char* name;
    PixelImage image;
    bool alpha;
    int colourType;  // expected in IHDR
};

std::vector<Layout> Layouts() {
    std::vector<Layout> all;
    all.push_back({"rgb 13x7", RandomImage(13, 7, 24, false, 1), false, 2});
    all.push_back({"rgba 5x9", RandomImage(5, 9, 32, false, 2), true, 6});
    all.push_back({"32-bit without alpha", RandomImage(7, 6, 32, false, 3), false, 2});
    all.push_back({"grey 17x5", RandomImage(17, 5, 24, true, 4), false, 0});
    all.push_back({"grey and alpha 6x4", RandomImage(6, 4, 32, true, 5), true, 4});
    all.push_back({"32-bit grey without alpha", RandomImage(9, 3, 32, true, 6), false, 0});
    PixelImage almost = RandomImage(8, 8, 24, true, 7);
    almost.PixelAddress(7, 7)[2] ^= 1;  // one red off grey: colour
    all.push_back({"grey but one pixel", std::move(almost), false, 2});
    all.push_back({"1x1", RandomImage(1, 1, 24, false, 8), false, 2});
    all.push_back({"1x1 grey", RandomImage(1, 1, 24, true, 9), false, 0});
    all.push_back({"tall 1x300", RandomImage(1, 300, 24, false, 10), false, 2});
    all.push_back({"wide 301x1", RandomImage(301, 1, 32, false, 11), true, 6});
    all.push_back({"large 640x480", RandomImage(640, 480, 24, false, 12), false, 2});
    PixelImage indexed;
    EXPECT_TRUE(indexed.Create(9, 5, 4));
    for (int y = 0; y < 5; ++y) indexed.Row(y)[y % 4] = uint8_t(0x1F * (y + 1));
    all.push_back({"4-bit palette", std::move(indexed), false, 3});
    return all;
}

// Every stored byte of the pixels that the file keeps: blue, green, red, and
// alpha when written; the palette index bytes of palette images.
void ExpectSamePixels(const PixelImage& saved, bool alpha, const PixelImage& loaded, const std::string& what) {
    ASSERT_EQ(loaded.Width(), saved.Width()) << what;
    ASSERT_EQ(loaded.Height(), saved.Height()) << what;
    if (saved.Depth() <= 8) {
        ASSERT_EQ(loaded.Depth(), saved.Depth()) << what;
        const size_t bytes = (size_t(saved.Width()) * size_t(saved.Depth()) + 7) / 8;
        for (int y = 0; y < saved.Height(); ++y)
            ASSERT_EQ(std::memcmp(saved.Row(y), loaded.Row(y), bytes), 0) << what << " row " << y;
        return;
    }
    ASSERT_EQ(loaded.Depth(), alpha ? 32 : 24) << what;
    const int in = saved.Depth() / 8, out = loaded.Depth() / 8;
    for (int y = 0; y < saved.Height(); ++y)
        for (int x = 0; x < saved.Width(); ++x)
            ASSERT_EQ(std::memcmp(saved.Row(y) + x * in, loaded.Row(y) + x * out, size_t(out)), 0)
                << what << " pixel " << x << "," << y;
}

TEST(PngEncode, EveryLayoutReadsBackByteIdenticalAtEveryThreadCountAndSplit) {
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    test::ScratchDir dir;
    for (const Layout& layout : Layouts()) {
        std::vector<uint8_t> firstBytes;
        for (size_t pieceBytes : {size_t(1), size_t(40), size_t(0)}) {
            PieceBytesScope pieces(pieceBytes);
            firstBytes.clear();
            for (int threads : {1, 2, 7}) {
                test::EffectThreadsScope scope(threads);
                const std::string what = std::string(layout.name) + ", pieces of " + std::to_string(pieceBytes) +
                                         " bytes, " + std::to_string(threads) + " threads";
                const std::string path = dir / "out.png";
                ASSERT_TRUE(clipvane::WritePngFile(layout.image, layout.alpha, path)) << what;
                const std::vector<uint8_t> bytes = test::ReadBytes(path);
                ExpectValidChunks(bytes);
                ASSERT_GT(bytes.size(), 26u);
                EXPECT_EQ(bytes[25], layout.colourType) << what;
                EXPECT_EQ(bytes, clipvane::EncodePngImage(layout.image, layout.alpha)) << what;
                // The thread count never changes a byte.
                if (firstBytes.empty()) {
                    firstBytes = bytes;
                } else {
                    EXPECT_EQ(bytes, firstBytes) << what;
                }
                PixelImage loaded;
                ASSERT_TRUE(clipvane::LoadFromFile(path, loaded)) << what;
                ExpectSamePixels(layout.image, layout.alpha, loaded, what);
            }
        }
    }
}

TEST(PngEncode, SplitFilesAreReadByOtherProgramsAndNoLargerThanOneStream) {
    test::ScratchDir dir;
    const PixelImage colour = RandomImage(97, 61, 32, false, 21);
    const PixelImage grey = RandomImage(83, 40, 32, true, 22);
    for (const auto* image : {&colour, &grey}) {
        test::EffectThreadsScope threads(2);
        // Pieces of about three rows: the stream joins twenty and more.
        PieceBytesScope pieces(size_t(image->Width()) * 4 * 3);
        const std::string path = dir / "split.png";
        ASSERT_TRUE(clipvane::WritePngFile(*image, true, path));
        const test::RgbaPixels magick = test::MagickPixels(path);
        EXPECT_EQ(test::MaxDifference(magick, test::ImagePixels(*image)), 0);
        EXPECT_EQ(test::Run("pngcheck -q " + test::Quote(path) + " >/dev/null"), 0);
        // vips decodes every row to find the mean; a broken stream fails.
        EXPECT_EQ(test::Run("vips avg " + test::Quote(path) + " >/dev/null 2>&1"), 0);
    }
}

TEST(PngEncode, FailingSinkStopsTheEncoding) {
    test::EffectThreadsScope threads(2);
    PieceBytesScope pieces(64);
    const PixelImage image = RandomImage(50, 200, 24, false, 31);
    size_t calls = 0;
    EXPECT_FALSE(clipvane::WritePng(image, false, [&](const uint8_t*, size_t) { return ++calls < 10; }));
    EXPECT_EQ(calls, 10u);
    EXPECT_TRUE(clipvane::EncodePngImage(PixelImage(), false).empty());
}

}  // namespace
