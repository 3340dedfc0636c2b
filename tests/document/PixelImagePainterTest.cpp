#include "document/PixelImagePainter.h"
#include "support/ImageBuilders.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace clipvane {
namespace {

constexpr QRgb kBackground = 0xFF102030;

QImage Canvas(int w, int h) {
    QImage canvas(w, h, QImage::Format_ARGB32);
    canvas.fill(kBackground);
    return canvas;
}

// Colour of pixel (x, y) in the test pattern: distinct in every channel.
QRgb Pattern(int x, int y) { return qRgb(10 + 40 * x, 200 - 30 * y, 7 * x + 11 * y); }

PixelImage PatternImage(int w, int h, int depth, uint8_t alpha = 255) {
    PixelImage image;
    EXPECT_TRUE(image.Create(w, h, depth));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            const QRgb c = Pattern(x, y);
            p[0] = uint8_t(qBlue(c));
            p[1] = uint8_t(qGreen(c));
            p[2] = uint8_t(qRed(c));
            if (depth == 32) p[3] = alpha;
        }
    return image;
}

// Everything outside `area` still holds the background colour.
void ExpectUntouchedOutside(const QImage& canvas, const QRect& area) {
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (!area.contains(x, y)) {
                ASSERT_EQ(canvas.pixel(x, y), kBackground) << x << "," << y;
            }
}

TEST(PixelImagePainter, WrapsStorageWithoutCopying) {
    const PixelImage image = PatternImage(5, 3, 24);
    const QImage rows = WrapStoredRows(image);
    ASSERT_FALSE(rows.isNull());
    EXPECT_EQ(rows.constBits(), image.Bits());
    EXPECT_EQ(rows.bytesPerLine(), image.Stride());
    // Stored bottom-up: the wrap's first row is the image's bottom row.
    EXPECT_EQ(rows.pixel(1, 0), Pattern(1, 2));
    EXPECT_TRUE(WrapStoredRows(PixelImage()).isNull());
}

TEST(PixelImagePainter, DrawPlacesPixelsRightWayUp) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        const PixelImage image = PatternImage(3, 4, depth);
        QImage canvas = Canvas(12, 12);
        {
            QPainter painter(&canvas);
            Draw(painter, image, 5, 2);
        }
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.pixel(5 + x, 2 + y), 0xFF000000 | Pattern(x, y));
        ExpectUntouchedOutside(canvas, QRect(5, 2, 3, 4));
    }
}

TEST(PixelImagePainter, FourthByteIsNotAlpha) {
    // A new document's 32-bit image keeps alpha 0; it must still show.
    // Widgets paint into premultiplied or RGB32 backing stores.
    const PixelImage image = PatternImage(2, 2, 32, 0);
    for (QImage::Format format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
        SCOPED_TRACE(format);
        QImage canvas = Canvas(4, 4).convertToFormat(format);
        {
            QPainter painter(&canvas);
            Draw(painter, image, 1, 1);
        }
        EXPECT_EQ(canvas.pixel(1, 1), 0xFF000000 | Pattern(0, 0));
        EXPECT_EQ(canvas.pixel(2, 2), 0xFF000000 | Pattern(1, 1));
    }
}

TEST(PixelImagePainter, StretchDrawEnlargesToSolidBlocks) {
    const PixelImage image = PatternImage(2, 2, 24);
    QImage canvas = Canvas(10, 10);
    {
        QPainter painter(&canvas);
        StretchDrawAll(painter, image, Rect{1, 2, 7, 8});  // 3x enlargement
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(canvas.pixel(1 + x, 2 + y), 0xFF000000 | Pattern(x / 3, y / 3)) << x << "," << y;
    ExpectUntouchedOutside(canvas, QRect(1, 2, 6, 6));
}

TEST(PixelImagePainter, StretchDrawSourceRectangleIsTopDown) {
    // Source (1,1)-(3,3) of a 4x4 image doubled into (0,0)-(4,4): the
    // destination's top-left block is source pixel (1, 1), not (1, 2).
    // Both the wrapped path (RGB32 target) and the opaque-copy path (target
    // with alpha) are checked.
    const PixelImage image = PatternImage(4, 4, 32);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        SCOPED_TRACE(format);
        QImage canvas = Canvas(6, 6).convertToFormat(format);
        {
            QPainter painter(&canvas);
            StretchDraw(painter, image, Rect{0, 0, 4, 4}, Rect{1, 1, 3, 3});
        }
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(canvas.pixel(x, y), 0xFF000000 | Pattern(1 + x / 2, 1 + y / 2)) << x << "," << y;
        ExpectUntouchedOutside(canvas, QRect(0, 0, 4, 4));
    }
}

TEST(PixelImagePainter, StretchDrawShrinksByPickingPixels) {
    // 4 columns into 2: nearest-neighbour keeps whole pixels, never a mix.
    const PixelImage image = PatternImage(4, 1, 24);
    QImage canvas = Canvas(2, 1);
    {
        QPainter painter(&canvas);
        StretchDrawAll(painter, image, Rect{0, 0, 2, 1});
    }
    for (int x = 0; x < 2; ++x) {
        const QRgb got = canvas.pixel(x, 0);
        EXPECT_TRUE(got == (0xFF000000 | Pattern(2 * x, 0)) || got == (0xFF000000 | Pattern(2 * x + 1, 0))) << x;
    }
}

TEST(PixelImagePainter, ComposesWithThePaintersTransform) {
    // A view zoomed to 200 % scales the painter; the flip must not undo it.
    const PixelImage image = PatternImage(2, 2, 24);
    QImage canvas = Canvas(10, 10).convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&canvas);
        painter.translate(1, 1);
        painter.scale(2, 2);
        Draw(painter, image, 1, 1);  // lands at (3, 3), 4 x 4
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(canvas.pixel(3 + x, 3 + y), 0xFF000000 | Pattern(x / 2, y / 2));
    EXPECT_EQ(canvas.pixel(2, 2), kBackground);
    EXPECT_EQ(canvas.pixel(7, 7), kBackground);
}

TEST(PixelImagePainter, PaletteAndSixteenBitDepths) {
    // 8-bit grey ramp: index i shows grey i.
    PixelImage grey;
    ASSERT_TRUE(grey.Create(3, 2, 8));
    grey.SetGreyPalette();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) *grey.PixelAddress(x, y) = uint8_t(50 * x + 100 * y);
    // 1-bit: top row black-white, bottom row white-black (pixel 0 is the high bit).
    PixelImage mono;
    ASSERT_TRUE(mono.Create(2, 2, 1));
    mono.SetGreyPalette();
    *mono.PixelAddress(0, 0) = 0x40;
    *mono.PixelAddress(0, 1) = 0x80;
    // 4-bit grey ramp (palette 0..15 spread over 0..255 by 17): no Qt format.
    PixelImage nibble;
    ASSERT_TRUE(nibble.Create(2, 1, 4));
    nibble.SetGreyPalette();
    *nibble.PixelAddress(0, 0) = 0x3C;  // indices 3 and 12
    // 16-bit 5-6-5: pure red word 0xF800, pure green 0x07E0.
    PixelImage word = test::Make565(2, 1);
    ASSERT_FALSE(word.IsEmpty());
    reinterpret_cast<uint16_t*>(word.PixelAddress(0, 0))[0] = 0xF800;
    reinterpret_cast<uint16_t*>(word.PixelAddress(0, 0))[1] = 0x07E0;

    QImage canvas = Canvas(8, 8);
    {
        QPainter painter(&canvas);
        Draw(painter, grey, 0, 0);
        Draw(painter, mono, 4, 0);
        Draw(painter, nibble, 0, 3);
        Draw(painter, word, 4, 3);
    }
    EXPECT_EQ(canvas.pixel(1, 0), qRgb(50, 50, 50));
    EXPECT_EQ(canvas.pixel(2, 1), qRgb(200, 200, 200));
    EXPECT_EQ(canvas.pixel(4, 0), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 0), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(4, 1), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(5, 1), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(0, 3), qRgb(51, 51, 51));
    EXPECT_EQ(canvas.pixel(1, 3), qRgb(204, 204, 204));
    EXPECT_EQ(canvas.pixel(4, 3), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 3), qRgb(0, 255, 0));
}

TEST(PixelImagePainter, EmptyImageOrRectanglePaintsNothing) {
    QImage canvas = Canvas(4, 4);
    {
        QPainter painter(&canvas);
        Draw(painter, PixelImage(), 0, 0);
        StretchDraw(painter, PatternImage(2, 2, 24), Rect{1, 1, 1, 3}, Rect{0, 0, 2, 2});
        StretchDraw(painter, PatternImage(2, 2, 24), Rect{0, 0, 2, 2}, Rect{1, 0, 1, 2});
    }
    ExpectUntouchedOutside(canvas, QRect());
}

}  // namespace
}  // namespace clipvane
