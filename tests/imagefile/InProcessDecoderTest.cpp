// PNG through libpng and JPEG through libjpeg-turbo, in this process: every
// layout that ImageMagick, vips and libjpeg write must give the pixels that
// the FreeImage decoder gave (compared on the same file), and damaged or
// oversized files must fail cleanly, leaving the image as it was.
#include <gtest/gtest.h>
#include <libdeflate.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "image/PixelLimit.h"
#include "imagefile/FreeImageDecode.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/Jpeg.h"
#include "imagefile/Png.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;
using clipvane::PixelImage;
using Bytes = std::vector<uint8_t>;

// What the FreeImage decoder makes of the file (first frame).
std::unique_ptr<PixelImage> FreeImageDecode(const std::string& path) {
    std::unique_ptr<PixelImage> result;
    clipvane::DecodeWithFreeImage(path.c_str(), nullptr, 0, [&](const clipvane::DecodedFrame& frame) {
        result = clipvane::ToPixelImage(frame);
        return false;
    });
    return result;
}

// Decodes with the in-process decoder and with FreeImage and expects the
// same colours and alpha in every pixel; `depth` is the depth expected from
// the in-process decoder (FreeImage's when 0).
void ExpectSameAsFreeImage(const std::string& path, int depth = 0) {
    SCOPED_TRACE(path);
    const Bytes bytes = test::ReadBytes(path);
    PixelImage ours;
    const bool png = path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
    ASSERT_TRUE(png ? clipvane::DecodePng(bytes.data(), bytes.size(), ours)
                    : clipvane::DecodeJpeg(bytes.data(), bytes.size(), ours));
    const auto theirs = FreeImageDecode(path);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(ours.Depth(), depth ? depth : theirs->Depth());
    EXPECT_EQ(test::MaxDifference(test::ImagePixels(ours), test::ImagePixels(*theirs)), 0);
    // The file layer reads the file in blocks: the same image.
    PixelImage viaFile;
    ASSERT_TRUE(clipvane::LoadFromFile(path, viaFile));
    EXPECT_EQ(viaFile.Depth(), ours.Depth());
    EXPECT_EQ(test::MaxDifference(test::ImagePixels(viaFile), test::ImagePixels(ours)), 0);
}

class InProcessDecode : public ::testing::Test {
protected:
    void SetUp() override { clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory); }
    bool Magick(const std::string& args, const std::string& out) {
        return test::Magick(kPicture + " " + args + " " + test::Quote(dir_ / out));
    }
    test::ScratchDir dir_;
    // Flat areas, a gradient, sharp edges and an alpha ramp where asked.
    const std::string kPicture =
        "-size 37x23 gradient:orange-navy -fill white -draw 'rectangle 3,3 12,8' "
        "-fill '#208040' -draw 'line 0,22 36,0'";
};

// ---- PNG ----------------------------------------------------------------------

TEST_F(InProcessDecode, PngLayoutsFromImageMagickAndVips) {
    const std::string alpha = "-alpha set -channel A -fx 'i/w' +channel ";
    ASSERT_TRUE(Magick("-alpha off -depth 8 -define png:color-type=2", "rgb8.png"));
    ASSERT_TRUE(Magick(alpha + "-depth 8 -define png:color-type=6", "rgba8.png"));
    ASSERT_TRUE(Magick("-alpha off -depth 16 -define png:color-type=2", "rgb16.png"));
    ASSERT_TRUE(Magick(alpha + "-depth 16 -define png:color-type=6", "rgba16.png"));
    ASSERT_TRUE(Magick(alpha + "-colorspace Gray -depth 8 -define png:color-type=4", "greyalpha8.png"));
    ASSERT_TRUE(Magick(alpha + "-colorspace Gray -depth 16 -define png:color-type=4", "greyalpha16.png"));
    ASSERT_TRUE(Magick("-alpha off -colors 200 -define png:color-type=3", "palette8.png"));
    ASSERT_TRUE(Magick("-alpha off -colors 9 -define png:color-type=3 -define png:bit-depth=4", "palette4.png"));
    ASSERT_TRUE(Magick("-alpha off -colors 2 -define png:color-type=3 -define png:bit-depth=1", "palette1.png"));
    ASSERT_TRUE(Magick("-alpha off -colors 30 -transparent white -define png:color-type=3", "palette-trns.png"));
    ASSERT_TRUE(Magick("-alpha off -depth 8 -interlace PNG -define png:color-type=2", "adam7-rgb.png"));
    ASSERT_TRUE(Magick(alpha + "-depth 8 -interlace PNG -define png:color-type=6", "adam7-rgba.png"));
    ASSERT_TRUE(Magick("-alpha off -colors 50 -interlace PNG -define png:color-type=3", "adam7-palette.png"));
    for (const char* name :
         {"rgb8.png", "rgba8.png", "rgb16.png", "rgba16.png", "greyalpha8.png", "greyalpha16.png", "palette8.png",
          "palette4.png", "palette1.png", "palette-trns.png", "adam7-rgb.png", "adam7-rgba.png", "adam7-palette.png"})
        ExpectSameAsFreeImage(dir_ / name);

    // Grey files open as 24-bit colour (FreeImage gave grey palette images
    // of the same colours).
    ASSERT_TRUE(Magick("-alpha off -colorspace Gray -depth 8 -define png:color-type=0", "grey8.png"));
    ASSERT_TRUE(Magick("-alpha off -colorspace Gray -depth 4 -define png:color-type=0", "grey4.png"));
    ASSERT_TRUE(Magick("-alpha off -colorspace Gray -depth 1 -define png:color-type=0", "grey1.png"));
    ASSERT_TRUE(
        Magick("-alpha off -colorspace Gray -depth 8 -interlace PNG -define png:color-type=0", "adam7-grey.png"));
    for (const char* name : {"grey8.png", "grey4.png", "grey1.png", "adam7-grey.png"})
        ExpectSameAsFreeImage(dir_ / name, 24);

    // vips: its own writer (libspng or libpng), plain and interlaced.
    ASSERT_TRUE(test::Run("vips copy " + test::Quote(dir_ / "rgba8.png") + " " + test::Quote(dir_ / "vips.png") +
                          " >/dev/null 2>&1") == 0);
    ASSERT_TRUE(test::Run("vips pngsave " + test::Quote(dir_ / "rgb8.png") + " " + test::Quote(dir_ / "vips-i.png") +
                          " --interlace >/dev/null 2>&1") == 0);
    ExpectSameAsFreeImage(dir_ / "vips.png");
    ExpectSameAsFreeImage(dir_ / "vips-i.png");
}

// A PNG built chunk by chunk, for layouts other writers do not make on
// request (transparency chunks on grey and RGB images).
Bytes MakePng(int width, int height, int bitDepth, int colourType, const Bytes& rawRows,
              const std::vector<std::pair<std::string, Bytes>>& before) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const std::string& type, const Bytes& data) {
        const uint32_t n = uint32_t(data.size());
        for (int s : {24, 16, 8, 0}) out.push_back(uint8_t(n >> s));
        Bytes body(type.begin(), type.end());
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        const uint32_t crc = libdeflate_crc32(0, body.data(), body.size());
        for (int s : {24, 16, 8, 0}) out.push_back(uint8_t(crc >> s));
    };
    Bytes ihdr = {0, 0, 0, uint8_t(width), 0, 0, 0, uint8_t(height), uint8_t(bitDepth), uint8_t(colourType), 0, 0, 0};
    chunk("IHDR", ihdr);
    for (const auto& [type, data] : before) chunk(type, data);
    auto* c = libdeflate_alloc_compressor(6);
    Bytes z(libdeflate_zlib_compress_bound(c, rawRows.size()));
    z.resize(libdeflate_zlib_compress(c, rawRows.data(), rawRows.size(), z.data(), z.size()));
    libdeflate_free_compressor(c);
    chunk("IDAT", z);
    chunk("IEND", {});
    return out;
}

TEST_F(InProcessDecode, TransparencyChunksOnGreyAndColourImages) {
    // Grey 8-bit, 3 x 2, grey 0x40 transparent.
    const Bytes grey = {0, 0x40, 0x80, 0xFF, 0, 0x10, 0x40, 0x40};
    ASSERT_TRUE(test::WriteBytes(dir_ / "grey-trns.png", MakePng(3, 2, 8, 0, grey, {{"tRNS", {0, 0x40}}})));
    // RGB 8-bit, 2 x 2, (1, 2, 3) transparent.
    const Bytes rgb = {0, 1, 2, 3, 9, 9, 9, 0, 1, 2, 3, 1, 2, 4};
    ASSERT_TRUE(test::WriteBytes(dir_ / "rgb-trns.png", MakePng(2, 2, 8, 2, rgb, {{"tRNS", {0, 1, 0, 2, 0, 3}}})));
    // Palette of three with alpha for the first two only.
    const Bytes indexes = {0, 0, 1, 2, 0, 2, 1, 0};
    ASSERT_TRUE(test::WriteBytes(
        dir_ / "pal-trns.png",
        MakePng(3, 2, 8, 3, indexes, {{"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255}}, {"tRNS", {0, 128}}})));
    // Two bits an index, 5 x 2: this decoder widens the indexes to 8 bits.
    const Bytes twoBit = {0, 0b00011011, 0b01000000, 0, 0b11100100, 0b10000000};
    ASSERT_TRUE(test::WriteBytes(dir_ / "palette2.png",
                                 MakePng(5, 2, 2, 3, twoBit, {{"PLTE", {9, 9, 9, 200, 0, 0, 0, 200, 0, 0, 0, 200}}})));
    for (const char* name : {"grey-trns.png", "rgb-trns.png", "pal-trns.png"}) ExpectSameAsFreeImage(dir_ / name);
    ExpectSameAsFreeImage(dir_ / "palette2.png", 8);

    PixelImage img;
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "grey-trns.png", img));
    ASSERT_EQ(img.Depth(), 32);
    EXPECT_EQ(img.Row(0)[3], 0);    // the transparent grey
    EXPECT_EQ(img.Row(0)[7], 255);  // any other
    EXPECT_EQ(img.Row(0)[4], 0x80);
    // A colour image's transparent colour becomes alpha 0 too.
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "rgb-trns.png", img));
    ASSERT_EQ(img.Depth(), 32);
    const uint8_t expected[2][8] = {{3, 2, 1, 0, 9, 9, 9, 255}, {3, 2, 1, 0, 4, 2, 1, 255}};
    for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(img.Row(y), expected[y], 8), 0) << y;
}

TEST_F(InProcessDecode, DamagedPngsFailAndLeaveTheImageAlone) {
    ASSERT_TRUE(Magick("-alpha off -depth 8 -define png:color-type=2", "good.png"));
    ASSERT_TRUE(Magick("-alpha off -depth 8 -interlace PNG", "adam7.png"));
    for (const char* name : {"good.png", "adam7.png"}) {
        const Bytes good = test::ReadBytes(dir_ / name);
        PixelImage before;
        ASSERT_TRUE(before.Create(5, 4, 24));
        before.Row(2)[3] = 77;
        // Every cut before the end of the image data (the chunks after it,
        // text and the end mark, add nothing to the picture).
        size_t dataEnd = 8;
        for (size_t at = 8; at + 8 <= good.size();) {
            const size_t length =
                size_t(good[at]) << 24 | size_t(good[at + 1]) << 16 | good[at + 2] << 8 | good[at + 3];
            if (std::memcmp(&good[at + 4], "IDAT", 4) == 0) dataEnd = at + 8 + length;
            at += 12 + length;
        }
        for (size_t cut = 0; cut < dataEnd; cut += 7) {
            PixelImage img(before);
            EXPECT_FALSE(clipvane::DecodePng(good.data(), cut, img)) << name << " cut at " << cut;
            ASSERT_EQ(img.Width(), 5);
            EXPECT_EQ(img.Row(2)[3], 77);
        }
        // A flipped bit in the image data: the chunk's CRC no longer fits.
        Bytes flipped = good;
        flipped[dataEnd - 10] ^= 0x10;
        PixelImage img(before);
        EXPECT_FALSE(clipvane::DecodePng(flipped.data(), flipped.size(), img)) << name;
        EXPECT_EQ(img.Width(), 5);
    }
    // Through the file layer, with the file layer's message.
    Bytes cut = test::ReadBytes(dir_ / "good.png");
    cut.resize(cut.size() / 2);
    ASSERT_TRUE(test::WriteBytes(dir_ / "cut.png", cut));
    PixelImage img;
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "cut.png", img));
    EXPECT_EQ(clipvane::LastImageFileError(), "it is not an image file Clipvane can read, or it is damaged");
}

TEST_F(InProcessDecode, HugeSizesAreRefusedFromTheHeaderAlone) {
    // 57 bytes claiming 100000 x 100000 pixels; a JPEG header claiming
    // 60000 x 60000.
    ASSERT_TRUE(test::WriteBytes(dir_ / "huge.png", MakePng(1, 1, 8, 2, {0, 1, 2, 3}, {})));
    Bytes png = test::ReadBytes(dir_ / "huge.png");
    const uint8_t size[8] = {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0};
    std::memcpy(&png[16], size, 8);
    const uint32_t crc = libdeflate_crc32(0, &png[12], 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
    ASSERT_TRUE(test::WriteBytes(dir_ / "huge.png", png));
    ASSERT_TRUE(test::Magick("-size 16x16 xc:red " + test::Quote(dir_ / "small.jpg")));
    Bytes jpeg = test::ReadBytes(dir_ / "small.jpg");
    for (size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = 0xEA, jpeg[i + 6] = 0x60, jpeg[i + 7] = 0xEA, jpeg[i + 8] = 0x60;  // 60000 x 60000
            break;
        }
    ASSERT_TRUE(test::WriteBytes(dir_ / "huge.jpg", jpeg));
    for (const char* name : {"huge.png", "huge.jpg"}) {
        PixelImage img;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(clipvane::LoadFromFile(dir_ / name, img)) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << name;
        EXPECT_NE(clipvane::LastImageFileError().find("more than the limit of 256.0 megapixels"), std::string::npos)
            << name << ": " << clipvane::LastImageFileError();
    }
    // Within a lower limit the same check holds.
    clipvane::SetMaxPixelCount(100);
    ASSERT_TRUE(Magick("-alpha off", "pic.png"));
    PixelImage img;
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "pic.png", img));
    EXPECT_NE(clipvane::LastImageFileError().find("37 x 23"), std::string::npos);
    clipvane::SetMaxPixelCount(clipvane::kDefaultMaxPixelCount);
}

TEST_F(InProcessDecode, ChunksClaimingGigabytesCostNothing) {
    // A text chunk that claims 1.6 GB in a file of 60 bytes: libpng would
    // take the claimed size before reading (found by fuzz_png).
    Bytes png = MakePng(1, 1, 8, 2, {0, 1, 2, 3}, {});
    const Bytes text = {0x5F, 0x22, 0x5F, 0x25, 't', 'E', 'X', 't', 'a', 'b', 'c'};
    png.insert(png.begin() + 33, text.begin(), text.end());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        PixelImage img;
        const bool decoded = clipvane::DecodePng(png.data(), png.size(), img);
        getrusage(RUSAGE_SELF, &after);
        _exit(decoded ? 1 : after.ru_maxrss - before.ru_maxrss > 64 * 1024 ? 2 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: decoded, 2: took more than 64 MiB";
}

// ---- JPEG ---------------------------------------------------------------------

// A YCCK file: libjpeg stores CMYK as YCCK when asked to.
void WriteYcck(const std::string& path) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = 19;
    c.image_height = 11;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_start_compress(&c, TRUE);
    uint8_t row[19 * 4];
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < 19; ++x) {
            row[x * 4] = uint8_t(x * 13), row[x * 4 + 1] = uint8_t(c.next_scanline * 20);
            row[x * 4 + 2] = uint8_t(200 - x * 5), row[x * 4 + 3] = uint8_t(255 - x * 3);
        }
        JSAMPROW p = row;
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    test::WriteBytes(path, Bytes(buffer, buffer + size));
    std::free(buffer);
}

TEST_F(InProcessDecode, JpegLayoutsGiveFreeImagesPixels) {
    ASSERT_TRUE(Magick("-alpha off", "baseline.jpg"));
    ASSERT_TRUE(Magick("-alpha off -interlace JPEG", "progressive.jpg"));
    ASSERT_TRUE(Magick("-alpha off -sampling-factor 1x1 -quality 95", "444.jpg"));
    ASSERT_TRUE(Magick("-alpha off -sampling-factor 2x1", "422.jpg"));
    ASSERT_TRUE(Magick("-alpha off -colorspace Gray", "grey.jpg"));
    ASSERT_TRUE(Magick("-alpha off -colorspace Gray -interlace JPEG", "grey-progressive.jpg"));
    ASSERT_TRUE(Magick("-alpha off -colorspace CMYK", "cmyk.jpg"));
    ASSERT_TRUE(Magick("-alpha off -define jpeg:arithmetic-coding=on", "arithmetic.jpg"));
    WriteYcck(dir_ / "ycck.jpg");
    ASSERT_EQ(test::Run("vips jpegsave " + test::Quote(dir_ / "baseline.jpg") + " " + test::Quote(dir_ / "vips.jpg") +
                        " --Q 90 --interlace >/dev/null 2>&1"),
              0);
    for (const char* name : {"baseline.jpg", "progressive.jpg", "444.jpg", "422.jpg", "grey.jpg",
                             "grey-progressive.jpg", "cmyk.jpg", "ycck.jpg", "vips.jpg"})
        ExpectSameAsFreeImage(dir_ / name);
    // Arithmetic coding, if this ImageMagick wrote it, reads too.
    if (test::FileExists(dir_ / "arithmetic.jpg")) ExpectSameAsFreeImage(dir_ / "arithmetic.jpg");
}

TEST_F(InProcessDecode, DamagedJpegsFailOrKeepWhatTheDecoderRecovers) {
    ASSERT_TRUE(Magick("-alpha off", "good.jpg"));
    ASSERT_TRUE(Magick("-alpha off -interlace JPEG", "progressive.jpg"));
    for (const char* name : {"good.jpg", "progressive.jpg"}) {
        const Bytes good = test::ReadBytes(dir_ / name);
        PixelImage before;
        ASSERT_TRUE(before.Create(5, 4, 24));
        before.Row(2)[3] = 77;
        // Cut inside the headers: refused, the image untouched.
        for (size_t cut = 0; cut < 150 && cut < good.size(); cut += 5) {
            PixelImage img(before);
            EXPECT_FALSE(clipvane::DecodeJpeg(good.data(), cut, img)) << name << " cut at " << cut;
            EXPECT_EQ(img.Width(), 5);
            EXPECT_EQ(img.Row(2)[3], 77);
        }
        // Cut in the data: what FreeImage does too (libjpeg pads the rest).
        Bytes half(good.begin(), good.begin() + long(good.size() * 2 / 3));
        ASSERT_TRUE(test::WriteBytes(dir_ / "half.jpg", half));
        ExpectSameAsFreeImage(dir_ / "half.jpg");
    }
    Bytes junk = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x12, 0x34};
    ASSERT_TRUE(test::WriteBytes(dir_ / "junk.jpg", junk));
    PixelImage img;
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "junk.jpg", img));
    EXPECT_EQ(clipvane::LastImageFileError(), "it is not an image file Clipvane can read, or it is damaged");
}

}  // namespace
