// Reading every format that goes through FreeImage, from files made by
// ImageMagick, and the isolation of the decoder process.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <new>

#include "imagefile/Handlers.h"
#include "imagefile/ImageFile.h"
#include "imagefile/IsolatedDecoder.h"
#include "support/MagickFiles.h"

#if defined(__SANITIZE_ADDRESS__)
#define FILES_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FILES_TEST_ASAN 1
#endif
#endif

namespace {

namespace test = clipvane::test;

using clipvane::PixelImage;
using clipvane::test::Magick;
using clipvane::test::Quote;
using clipvane::test::ScratchDir;

class FreeImageRead : public ::testing::Test {
protected:
    void SetUp() override { clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory); }
    void TearDown() override {
        clipvane::SetDecoderChildHook(nullptr);
        clipvane::SetDecoderLimits(clipvane::DecoderLimits{});
    }

    // Makes `name` with ImageMagick and loads it through LoadFromFile. A
    // "FORMAT:" prefix on the name goes to ImageMagick only.
    PixelImage MakeAndLoad(const std::string& args, const std::string& name) {
        const size_t colon = name.find(':');
        path_ = dir_ / name.substr(colon == std::string::npos ? 0 : colon + 1);
        const std::string prefix = colon == std::string::npos ? "" : name.substr(0, colon + 1);
        EXPECT_TRUE(Magick(args + " " + Quote(prefix + path_))) << args;
        PixelImage img;
        EXPECT_TRUE(clipvane::LoadFromFile(path_, img)) << name;
        return img;
    }

    ScratchDir dir_;
    std::string path_;
};

// A picture with flat areas, a gradient and sharp edges, 8 bits per channel
// and no alpha (ImageMagick would otherwise write 16-bit channels or alpha
// that the program reduces differently).
const std::string kPicture =
    "-size 23x17 gradient:orange-navy -fill white -draw 'rectangle 3,3 12,8' "
    "-fill black -draw 'line 0,16 22,0' -alpha off -depth 8";

TEST_F(FreeImageRead, LosslessFormatsMatchImageMagick) {
    struct Case {
        const char* name;
        std::string extra;
        int depth;
    } cases[] = {
        {"PNG24:a.png", "", 24},
        {"a8.png", "", 0},
        {"b.png", "-alpha set -channel A -fx 'i/w' +channel", 32},
        {"c.tif", "-compress LZW", 24},
        {"d.psd", "", 24},
        {"e.xpm", "-colors 12", 0},
        {"f.pcx", "-type TrueColor", 24},
        {"g.pcx", "-colors 40 -type Palette", 8},
        {"h.ico", "-resize 16x16!", 0},
        {"i.gif", "-colors 30", 8},
        {"j.bmp", "", 24},
        {"k.tga", "-orient TopLeft", 24},
    };
    for (const Case& c : cases) {
        PixelImage img = MakeAndLoad(kPicture + " " + c.extra, c.name);
        ASSERT_FALSE(img.IsEmpty()) << c.name;
        if (c.depth) {
            EXPECT_EQ(img.Depth(), c.depth) << c.name;
        }
        EXPECT_EQ(test::MaxDifference(test::ImagePixels(img), test::MagickPixels(path_)), 0) << c.name;
    }
}

TEST_F(FreeImageRead, JpegIsCloseToImageMagicksDecoding) {
    PixelImage img = MakeAndLoad(kPicture + " -quality 95", "p.jpg");
    ASSERT_EQ(img.Depth(), 24);
    // Both use libjpeg-turbo, FreeImage with the fast inverse transform and
    // plain upsampling: close, not equal. A swapped channel or flipped image
    // would differ by far more.
    const int diff = test::MaxDifference(test::ImagePixels(img), test::MagickPixels(path_));
    EXPECT_GE(diff, 0);
    EXPECT_LE(diff, 16);
    // Upper-case extensions and the long form give the same type.
    PixelImage again;
    ASSERT_EQ(std::rename(path_.c_str(), (dir_ / "P.JPEG").c_str()), 0);
    EXPECT_TRUE(clipvane::LoadFromFile(dir_ / "P.JPEG", again));
}

TEST_F(FreeImageRead, PaletteTransparencyBecomesAlpha) {
    // 16 colours, one of them transparent, used in the left third only.
    const std::string args =
        "-size 12x6 xc:none -fill red -draw 'rectangle 4,0 7,5' -fill blue -draw 'rectangle 8,0 11,2' "
        "-fill lime -draw 'rectangle 8,3 11,5'";
    for (const char* name : {"t.png", "t.gif"}) {
        const std::string file = std::string(name) == "t.png" ? "PNG8:" + (dir_ / name) : dir_ / name;
        ASSERT_TRUE(Magick(args + " -type PaletteAlpha " + Quote(file))) << name;
        path_ = dir_ / name;
        PixelImage img;
        ASSERT_TRUE(clipvane::LoadFromFile(path_, img)) << name;
        ASSERT_EQ(img.Depth(), 32) << name;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x) {
                const uint8_t alpha = img.PixelAddress(x, y)[3];
                EXPECT_EQ(alpha, x < 4 ? 0 : 255) << name << " at " << x << "," << y;
            }
        EXPECT_EQ(img.GetPixel(5, 1) & 0xFFFFFF, 0xFF0000u) << name;
        EXPECT_EQ(img.GetPixel(9, 1) & 0xFFFFFF, 0x0000FFu) << name;
    }
}

TEST_F(FreeImageRead, AnimatedGifGivesFirstFrameAndDelay) {
    // 37 hundredths of a second between frames; FreeImage reports 370 ms.
    ASSERT_TRUE(
        Magick("-delay 37 -size 10x8 xc:red -size 10x8 xc:blue -size 10x8 xc:lime " + Quote(dir_ / "anim.gif")));
    PixelImage img;
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "anim.gif", img));
    EXPECT_EQ(img.frameDelay, 370);
    EXPECT_EQ(test::ImagePixels(img).rgba[0], 255);  // red
    EXPECT_EQ(test::ImagePixels(img).rgba[2], 0);

    clipvane::FreeImageHandler h;
    ASSERT_TRUE(h.LoadFile(dir_ / "anim.gif"));
    ASSERT_EQ(h.Frames().size(), 3u);
    EXPECT_EQ(test::ImagePixels(*h.Frames()[1]).rgba[2], 255);  // blue
    EXPECT_EQ(h.Frames()[2]->frameDelay, 370);
}

TEST_F(FreeImageRead, MultiPageTiffPageByPage) {
    ASSERT_TRUE(Magick("-size 8x8 xc:red -size 12x6 xc:blue " + Quote(dir_ / "multi.tif")));
    clipvane::FreeImageHandler h;
    ASSERT_TRUE(h.LoadFile(dir_ / "multi.tif"));
    ASSERT_EQ(h.Frames().size(), 2u);
    EXPECT_EQ(h.Frames()[0]->Width(), 8);
    EXPECT_EQ(h.Frames()[1]->Width(), 12);
    EXPECT_EQ(h.Frames()[1]->Height(), 6);
    EXPECT_EQ(h.Frames()[0]->frameDelay, 0);
    PixelImage first;
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "multi.tif", first));
    EXPECT_EQ(first.Width(), 8);

    // Frames past the limit on all pixels together are dropped: page 1 holds
    // 8 rows of 24 bytes (192), page 2 another 6 x 36 = 216; a limit of 300
    // keeps the first page only. A limit below the first page refuses.
    clipvane::DecoderLimits limits;
    limits.totalFrameBytes = 300;
    clipvane::SetDecoderLimits(limits);
    clipvane::FreeImageHandler limited;
    ASSERT_TRUE(limited.LoadFile(dir_ / "multi.tif"));
    EXPECT_EQ(limited.Frames().size(), 1u);
    limits.totalFrameBytes = 100;
    clipvane::SetDecoderLimits(limits);
    clipvane::FreeImageHandler refused;
    EXPECT_FALSE(refused.LoadFile(dir_ / "multi.tif"));
    EXPECT_TRUE(refused.Frames().empty());
}

TEST_F(FreeImageRead, MemoryLoadingAndBadData) {
    ASSERT_TRUE(Magick(kPicture + " " + Quote(dir_ / "m.png")));
    const std::vector<uint8_t> bytes = test::ReadBytes(dir_ / "m.png");
    clipvane::FreeImageHandler h;
    ASSERT_TRUE(h.LoadMemory(bytes.data(), bytes.size()));
    ASSERT_EQ(h.Frames().size(), 1u);
    EXPECT_EQ(h.Frames()[0]->Width(), 23);

    // Cut in half, garbage, empty: all ordinary failures.
    std::vector<uint8_t> half(bytes.begin(), bytes.begin() + long(bytes.size() / 2));
    test::WriteBytes(dir_ / "half.png", half);
    PixelImage img;
    const bool halfLoaded = clipvane::LoadFromFile(dir_ / "half.png", img);
    if (halfLoaded) {
        EXPECT_EQ(img.Width(), 23);  // libpng may give back what it decoded
    }
    test::WriteBytes(dir_ / "junk.psd", std::vector<uint8_t>(500, 0x5A));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "junk.psd", img));
    test::WriteBytes(dir_ / "empty.png", {});
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "empty.png", img));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "missing.png", img));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_.Path(), img));
    // A pipe named like an image is refused at once, not read until the
    // decoder's time limit.
    ASSERT_EQ(mkfifo((dir_ / "pipe.png").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "pipe.png", img));
    ASSERT_EQ(mkfifo((dir_ / "pipe.bmp").c_str(), 0600), 0);
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "pipe.bmp", img));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    clipvane::FreeImageHandler none;
    EXPECT_FALSE(none.LoadMemory(nullptr, 10));
}

TEST_F(FreeImageRead, FailedLoadLeavesTheImageAlone) {
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 3, 24));
    img.PixelAddress(1, 1)[0] = 77;
    test::WriteBytes(dir_ / "bad.gif", std::vector<uint8_t>(64, 1));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "bad.gif", img));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "noext", img));
    EXPECT_EQ(img.Width(), 3);
    EXPECT_EQ(img.PixelAddress(1, 1)[0], 77);
}

// ---- the decoder process ----------------------------------------------------

void CrashHook() { std::abort(); }
void HangHook() {
    for (;;) pause();
}
#ifndef FILES_TEST_ASAN
void GreedyHook() {
    // Far beyond the limit set by the test: the mapping must fail, and a
    // decoder whose allocation fails dies. Were there no limit, the mapping
    // would succeed and the load with it.
    void* p = mmap(nullptr, size_t(2) << 30, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) std::abort();
    munmap(p, size_t(2) << 30);
}
#endif

TEST_F(FreeImageRead, ChildCrashIsAnOrdinaryFailure) {
    ASSERT_TRUE(Magick(kPicture + " " + Quote(dir_ / "c.tif")));
    clipvane::SetDecoderChildHook(CrashHook);
    PixelImage img;
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "c.tif", img));
    clipvane::SetDecoderChildHook(nullptr);
    EXPECT_TRUE(clipvane::LoadFromFile(dir_ / "c.tif", img));  // and the program carries on
}

TEST_F(FreeImageRead, ChildHangEndsAtTheTimeLimit) {
    ASSERT_TRUE(Magick(kPicture + " " + Quote(dir_ / "h.tif")));
    clipvane::DecoderLimits limits;
    limits.timeoutMs = 300;
    clipvane::SetDecoderLimits(limits);
    clipvane::SetDecoderChildHook(HangHook);
    PixelImage img;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "h.tif", img));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 250);
    EXPECT_LT(ms, 5000);
}

TEST_F(FreeImageRead, ChildMemoryLimit) {
#ifdef FILES_TEST_ASAN
    GTEST_SKIP() << "the address-space limit is not set under AddressSanitizer";
#else
    ASSERT_TRUE(Magick(kPicture + " " + Quote(dir_ / "g.tif")));
    clipvane::DecoderLimits limits;
    limits.memoryBytes = uint64_t(256) << 20;
    clipvane::SetDecoderLimits(limits);
    clipvane::SetDecoderChildHook(GreedyHook);
    PixelImage img;
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "g.tif", img));
#endif
}

}  // namespace
