// clipvane-image info and convert, run as a separate program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::test::Quote;

std::string Tool() {
    const char* bin = std::getenv("CLIPVANE_BINARY_DIR");
    return std::string(bin ? bin : ".") + "/clipvane-image";
}

class ImageTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::FileExists(Tool())) GTEST_SKIP() << "clipvane-image not built";
    }
    test::ScratchDir dir_;
};

TEST_F(ImageTool, InfoPrintsSizeDepthAndRowHash) {
    // 2 x 2 at 24 bits, top row red, white; bottom row blue, black. Meaningful
    // row bytes (blue, green, red per pixel, no padding), top row first:
    // 00 00 FF FF FF FF | FF 00 00 00 00 00.
    ASSERT_TRUE(
        test::Magick("-size 2x2 xc:black -fill red -draw 'point 0,0' -fill white -draw 'point 1,0' "
                     "-fill blue -draw 'point 0,1' -type TrueColor " +
                     Quote("BMP3:" + (dir_ / "p.bmp"))));
    const std::string expected =
        test::Capture("printf '\\000\\000\\377\\377\\377\\377\\377\\000\\000\\000\\000\\000' | sha256sum");
    ASSERT_GE(expected.size(), 64u);
    EXPECT_EQ(test::Capture(Tool() + " info " + Quote(dir_ / "p.bmp")), "2x2 24 " + expected.substr(0, 64) + "\n");
}

TEST_F(ImageTool, ConvertThenInfoAgree) {
    ASSERT_TRUE(test::Magick("-size 31x9 gradient:red-blue -depth 8 " + Quote("PNG24:" + (dir_ / "in.png"))));
    for (const char* out : {"o.bmp", "o.tga", "o.pcx", "o.tif", "o.png"}) {
        ASSERT_EQ(test::Run(Tool() + " convert " + Quote(dir_ / "in.png") + " " + Quote(dir_ / out)), 0) << out;
        // Lossless writers keep the pixels: same hash line, and ImageMagick
        // counts no differing pixel.
        EXPECT_EQ(test::Capture(Tool() + " info " + Quote(dir_ / out)),
                  test::Capture(Tool() + " info " + Quote(dir_ / "in.png")))
            << out;
        EXPECT_EQ(
            test::Capture("compare -metric AE " + Quote(dir_ / "in.png") + " " + Quote(dir_ / out) + " null: 2>&1"),
            "0")
            << out;
    }
}

TEST_F(ImageTool, GreyPicturesSaveAsGreyPngsThatOpenAsTheSamePixels) {
    // An RGB file whose pixels are all grey, and a large colour photo that
    // the writer splits into pieces on several threads.
    ASSERT_TRUE(test::Magick("-size 97x61 gradient:white-black -type TrueColor -depth 8 " +
                             Quote("PNG24:" + (dir_ / "grey.png"))));
    ASSERT_TRUE(
        test::Magick("-size 1500x1200 -seed 3 plasma:fractal -depth 8 " + Quote("PNG24:" + (dir_ / "photo.png"))));
    for (const char* name : {"grey.png", "photo.png"}) {
        const std::string in = dir_ / name, out = dir_ / (std::string("out-") + name);
        ASSERT_EQ(test::Run(Tool() + " convert " + Quote(in) + " " + Quote(out)), 0) << name;
        // The same pixels back at 24 bits, as the program and ImageMagick see them.
        EXPECT_EQ(test::Capture(Tool() + " info " + Quote(out)), test::Capture(Tool() + " info " + Quote(in))) << name;
        EXPECT_EQ(test::Capture("compare -metric AE " + Quote(in) + " " + Quote(out) + " null: 2>&1"), "0") << name;
        const std::vector<uint8_t> bytes = test::ReadBytes(out);
        ASSERT_GT(bytes.size(), 26u);
        EXPECT_EQ(bytes[25], std::string(name) == "grey.png" ? 0 : 2) << name << ": PNG colour type";
        EXPECT_EQ(test::Run("pngcheck -q " + Quote(out) + " >/dev/null"), 0) << name;
    }
    // A grey file is a third of the RGB one's size or less.
    EXPECT_LT(test::ReadBytes(dir_ / "out-grey.png").size() * 3, test::ReadBytes(dir_ / "grey.png").size() + 200);
}

TEST_F(ImageTool, FailuresExitWithStatusOne) {
    EXPECT_EQ(test::Run(Tool() + " info " + Quote(dir_ / "missing.png") + " 2>/dev/null"), 1);
    const std::string message = test::Capture(Tool() + " info " + Quote(dir_ / "missing.png") + " 2>&1");
    EXPECT_NE(message.find("missing.png"), std::string::npos);
    ASSERT_TRUE(test::Magick("-size 4x4 xc:red " + Quote(dir_ / "in.bmp")));
    EXPECT_EQ(test::Run(Tool() + " convert " + Quote(dir_ / "in.bmp") + " " + Quote(dir_ / "out.ico") + " 2>/dev/null"),
              1);
    EXPECT_EQ(
        test::Run(Tool() + " convert " + Quote(dir_ / "nope.bmp") + " " + Quote(dir_ / "out.png") + " 2>/dev/null"), 1);
    EXPECT_FALSE(test::FileExists(dir_ / "out.png"));
}

}  // namespace
