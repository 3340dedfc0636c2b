// Documents opened from files with transparency keep their alpha: through
// effects, undo and captures, and back into PNG, TIFF and GIF files. Captures,
// new images and opaque files keep a fourth byte that is not alpha, and save
// exactly as before.
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "image/effects/EffectCommands.h"
#include "imagefile/AlphaFiles.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/MagickFiles.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::At;
using test::Magick;
using test::MagickPixels;
using test::Quote;

struct TransparencyFixture : ::testing::Test {
    TransparencyFixture() {
        InstallHandlerFactory(new StandardHandlerFactory);  // as the program does at start-up
        // Red to blue across, alpha falling from opaque at the top to fully
        // transparent at the bottom, and a clear 4 x 4 hole.
        EXPECT_TRUE(
            Magick("-size 40x30 gradient:red-blue \\( -size 40x30 gradient:white-black \\) -alpha off "
                   "-compose CopyOpacity -composite -region 4x4+2+2 -alpha transparent +region -depth 8 " +
                   Quote(Path("in.png"))));
    }
    std::string Path(const std::string& name) const { return dir / name; }
    bool Open(const std::string& name) { return doc.OpenDocument(QString::fromStdString(Path(name))); }
    bool Save(const std::string& name) { return doc.SaveDocument(QString::fromStdString(Path(name))); }
    // The colour type byte of a PNG's header: 2 RGB, 6 RGBA.
    int PngColourType(const std::string& name) const {
        const std::vector<uint8_t> bytes = test::ReadBytes(Path(name));
        return bytes.size() > 25 ? bytes[25] : -1;
    }

    test::ScratchDir dir;
    ImageDocument doc;
};

TEST_F(TransparencyFixture, PngAlphaSurvivesOpenAndSaveByteExact) {
    ASSERT_TRUE(Open("in.png"));
    EXPECT_TRUE(doc.Transparent());
    ASSERT_TRUE(Save("out.png"));
    EXPECT_EQ(PngColourType("out.png"), 6);
    const test::RgbaPixels in = MagickPixels(Path("in.png")), out = MagickPixels(Path("out.png"));
    ASSERT_EQ(in.width, 40);
    EXPECT_EQ(in.rgba, out.rgba);
    EXPECT_EQ(out.rgba[(3 * 40 + 3) * 4 + 3], 0);  // the hole
    EXPECT_EQ(out.rgba[(0 * 40 + 20) * 4 + 3], 255);
}

TEST_F(TransparencyFixture, TiffKeepsAlphaAndGifATransparentIndex) {
    ASSERT_TRUE(Open("in.png"));
    ASSERT_TRUE(Save("out.tif"));
    const test::RgbaPixels in = MagickPixels(Path("in.png"));
    const test::RgbaPixels tiff = MagickPixels(Path("out.tif"));
    ASSERT_EQ(tiff.rgba.size(), in.rgba.size());
    for (size_t i = 3; i < in.rgba.size(); i += 4) ASSERT_EQ(tiff.rgba[i], in.rgba[i]) << i / 4;

    ASSERT_TRUE(Save("out.gif"));
    const test::RgbaPixels gif = MagickPixels(Path("out.gif"));
    ASSERT_EQ(gif.rgba.size(), in.rgba.size());
    for (size_t i = 3; i < in.rgba.size(); i += 4) ASSERT_EQ(gif.rgba[i], in.rgba[i] < 128 ? 0 : 255) << i / 4;

    // Reopened, each is a transparent document again.
    for (const char* name : {"out.tif", "out.gif"}) {
        ImageDocument again;
        ASSERT_TRUE(again.OpenDocument(QString::fromStdString(Path(name))));
        EXPECT_TRUE(again.Transparent()) << name;
    }
}

TEST_F(TransparencyFixture, OpaqueFilesAndCapturesSaveAsBefore) {
    ASSERT_TRUE(Magick("-size 20x10 gradient:red-blue " + Quote(Path("opaque.png"))));
    ASSERT_TRUE(Open("opaque.png"));
    EXPECT_FALSE(doc.Transparent());
    ASSERT_TRUE(Save("opaque-out.png"));
    EXPECT_EQ(PngColourType("opaque-out.png"), 2);
    PixelImage expected;
    ASSERT_TRUE(LoadFromFile(Path("opaque.png"), expected));
    expected.ConvertTo(32);
    ASSERT_EQ(SaveImageFile(expected, Path("plain.png")), 1);
    EXPECT_EQ(test::ReadBytes(Path("opaque-out.png")), test::ReadBytes(Path("plain.png")));

    // A capture's fourth byte is not alpha, whatever it holds.
    ImageDocument capture;
    PixelImage grab = test::Solid(8, 8, 32, 10, 20, 30, 0);
    capture.ApplyCapture(grab, false);
    EXPECT_FALSE(capture.Transparent());
    ASSERT_TRUE(capture.SaveDocument(QString::fromStdString(Path("capture.png"))));
    EXPECT_EQ(PngColourType("capture.png"), 2);
    EXPECT_EQ(MagickPixels(Path("capture.png")).rgba[3], 255);

    // A 32-bit bitmap whose fourth byte is all 0 is opaque.
    ASSERT_TRUE(Magick("-size 6x6 xc:green -alpha set -channel A -evaluate set 0 +channel -define bmp:format=bmp4 " +
                       Quote(Path("zero.bmp"))));
    ASSERT_TRUE(Open("zero.bmp"));
    EXPECT_FALSE(doc.Transparent());
}

TEST_F(TransparencyFixture, IconsAndPaletteGifsOpenTransparent) {
    ASSERT_TRUE(Magick("-size 32x32 xc:none -fill 'rgba(255,0,0,0.6)' -draw 'circle 16,16 16,4' -depth 8 " +
                       Quote(Path("icon.ico"))));
    ASSERT_TRUE(Magick("-size 32x32 xc:none -fill red -draw 'circle 16,16 16,4' " + Quote(Path("clear.gif"))));
    for (const char* name : {"icon.ico", "clear.gif"}) {
        ImageDocument opened;
        ASSERT_TRUE(opened.OpenDocument(QString::fromStdString(Path(name))));
        EXPECT_TRUE(opened.Transparent()) << name;
        EXPECT_EQ(opened.image.PixelAddress(0, 0)[3], 0) << name;
        EXPECT_NE(opened.image.PixelAddress(16, 16)[3], 0) << name;
    }
}

TEST(Transparency, HasTransparencyNeedsSomeAlphaBetweenTheEnds) {
    EXPECT_FALSE(HasTransparency(test::Solid(3, 3, 32, 1, 2, 3, 255)));
    EXPECT_FALSE(HasTransparency(test::Solid(3, 3, 32, 1, 2, 3, 0)));  // never-used fourth byte
    EXPECT_FALSE(HasTransparency(test::Solid(3, 3, 24, 1, 2, 3)));
    EXPECT_FALSE(HasTransparency(PixelImage()));
    EXPECT_TRUE(HasTransparency(test::Solid(3, 3, 32, 1, 2, 3, 128)));
    PixelImage mixed = test::Solid(3, 3, 32, 1, 2, 3, 255);
    mixed.PixelAddress(2, 2)[3] = 0;
    EXPECT_TRUE(HasTransparency(mixed));
    EXPECT_TRUE(TypeKeepsAlpha("a.PNG"));
    EXPECT_TRUE(TypeKeepsAlpha("a.tiff"));
    EXPECT_FALSE(TypeKeepsAlpha("a.jpg"));
    EXPECT_FALSE(TypeKeepsAlpha("a.bmp"));
}

TEST_F(TransparencyFixture, EffectsAndUndoKeepTheAlpha) {
    ASSERT_TRUE(Open("in.png"));
    const PixelImage opened = doc.image;
    doc.ApplyEffectCommand(kCmdFlipHorizontal, EffectParams{});
    ASSERT_EQ(doc.image.Depth(), 32);  // not normalised to 24 bits
    EXPECT_EQ(At(doc.image, 39, 10), At(opened, 0, 10));
    EXPECT_EQ(doc.image.PixelAddress(36, 3)[3], 0);  // the hole moved with the pixels
    doc.ApplyEffectCommand(kCmdInvert, EffectParams{});
    EXPECT_EQ(doc.image.PixelAddress(36, 3)[3], 0);
    EXPECT_EQ(doc.image.PixelAddress(20, 0)[3], 255);
    doc.OnUndo();
    doc.OnUndo();
    EXPECT_TRUE(test::SamePixels(doc.image, opened));

    // A capture replacing the image is opaque; undo brings the alpha back.
    doc.ApplyCapture(test::Solid(5, 5, 24, 1, 2, 3), true);
    EXPECT_EQ(At(doc.image, 0, 0), 0xFF030201u);
    doc.OnUndo();
    EXPECT_TRUE(test::SamePixels(doc.image, opened));

    // Without transparency the same command ends at 24 bits, as always.
    ImageDocument plain;
    plain.image = test::Gradient(10, 10);
    plain.ApplyEffectCommand(kCmdFlipHorizontal, EffectParams{});
    EXPECT_EQ(plain.image.Depth(), 24);
}

TEST_F(TransparencyFixture, ObjectsOverTransparentPixelsSaveWithTheirOwnAlpha) {
    ASSERT_TRUE(Open("in.png"));
    doc.objects.push_back(test::MakeHighlight(0, 0, 40, 30, 50));  // half strength
    ASSERT_TRUE(Save("drawn.png"));
    const test::RgbaPixels out = MagickPixels(Path("drawn.png"));
    // Over the clear hole the highlight keeps its half strength as alpha.
    EXPECT_EQ(out.rgba[(3 * 40 + 3) * 4 + 3], 127);
    EXPECT_EQ(doc.objects.size(), 1u);  // still editable
}

}  // namespace
}  // namespace clipvane
