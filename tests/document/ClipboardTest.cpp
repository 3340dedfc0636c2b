#include "document/Clipboard.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "document/QImageBridge.h"
#include "image/PixelImage.h"
#include "image/PixelLimit.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::At;
using test::Gradient;
using test::SamePixels;

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A 24-bit picture as a paste reads it: 32 bits, opaque.
PixelImage Opaque32(const PixelImage& image) {
    PixelImage copy(image);
    copy.ConvertTo(32);
    copy.SetAlpha(255);
    return copy;
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallHandlerFactory(new StandardHandlerFactory);
        ASSERT_TRUE(dir_.isValid());
        picture_ = Gradient(5, 3, 24);
    }
    std::string SavedPicture(const char* name) {
        const std::string path = dir_.filePath(QString::fromLatin1(name)).toStdString();
        EXPECT_TRUE(SaveToFile(picture_, path));
        return path;
    }

    QTemporaryDir dir_;
    PixelImage picture_;
};

TEST_F(ClipboardTest, OwnCopiesComeBackExactlyAndOfferPngAndBmp) {
    ASSERT_TRUE(CopyImageToClipboard(picture_));
    PixelImage read;
    ASSERT_TRUE(ReadClipboardImage(read));
    EXPECT_TRUE(SamePixels(read, Opaque32(picture_)));
    EXPECT_TRUE(ClipboardHasImage());

    // What other programs get decodes to the same pixels.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    QMimeData foreign;
    foreign.setData(QStringLiteral("image/bmp"), mime->data(QStringLiteral("image/bmp")));
    PixelImage fromBmp;
    ASSERT_TRUE(ImageFromMimeData(foreign, fromBmp));
    EXPECT_TRUE(SamePixels(fromBmp, Opaque32(picture_)));
    QMimeData png;
    png.setData(QStringLiteral("image/png"), mime->data(QStringLiteral("image/png")));
    PixelImage fromPng;
    ASSERT_TRUE(ImageFromMimeData(png, fromPng));
    EXPECT_TRUE(SamePixels(fromPng, Opaque32(picture_)));

    // Text replaces the picture, and the kept answer follows.
    QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    EXPECT_FALSE(ClipboardHasImage());
    EXPECT_FALSE(ReadClipboardImage(read));
    EXPECT_FALSE(CopyImageToClipboard(PixelImage()));
    EXPECT_FALSE(CopyImageToClipboard(test::MakeImage(1, 1, 8, {0})));
}

TEST_F(ClipboardTest, ReadsPngWithAlphaJpegAndQtImages) {
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, 0x80102030u);
    argb.setPixel(1, 0, 0xFFFFFFFFu);
    QMimeData png;
    png.setData(QStringLiteral("image/png"), Encoded(argb, "PNG"));
    EXPECT_TRUE(MimeDataHasImage(png));
    PixelImage image;
    ASSERT_TRUE(ImageFromMimeData(png, image));
    EXPECT_EQ(At(image, 0, 0), 0x80102030u);

    const QImage photo = ToQImage(Gradient(8, 8, 24));
    QMimeData jpeg;
    const QByteArray jpegBytes = Encoded(photo, "JPEG");
    jpeg.setData(QStringLiteral("image/jpeg"), jpegBytes);
    ASSERT_TRUE(ImageFromMimeData(jpeg, image));
    PixelImage decoded;
    ASSERT_TRUE(FromQImage(QImage::fromData(jpegBytes), decoded));
    EXPECT_TRUE(SamePixels(image, decoded));

    QMimeData qt;
    qt.setImageData(argb);
    ASSERT_TRUE(ImageFromMimeData(qt, image));
    EXPECT_EQ(At(image, 1, 0), 0xFFFFFFFFu);

    // A broken PNG gives nothing, and is no picture at all when it is all there is.
    QMimeData broken;
    broken.setData(QStringLiteral("image/png"), QByteArray("\x89PNG broken"));
    EXPECT_FALSE(ImageFromMimeData(broken, image));
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_FALSE(MimeDataHasImage(text));
    EXPECT_FALSE(ImageFromMimeData(text, image));
}

TEST_F(ClipboardTest, ReadsOneCopiedImageFileThroughTheFileLayer) {
    const std::string bmp = SavedPicture("copied.bmp");
    const QByteArray url = QUrl::fromLocalFile(QString::fromStdString(bmp)).toEncoded();

    QMimeData uris;
    uris.setData(QStringLiteral("text/uri-list"), "# a comment\r\n" + url + "\r\n");
    EXPECT_TRUE(MimeDataHasImage(uris));
    PixelImage image;
    ASSERT_TRUE(ImageFromMimeData(uris, image));
    EXPECT_TRUE(SamePixels(image, Opaque32(picture_)));

    QMimeData gnome;
    gnome.setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url);
    ASSERT_TRUE(ImageFromMimeData(gnome, image));
    EXPECT_EQ(CopiedFilePath(gnome), QString::fromStdString(bmp));

    // Several files, a remote one, a missing one, or one that is no picture:
    // nothing to paste.
    const std::string text = dir_.filePath(QStringLiteral("notes.txt")).toStdString();
    FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("words", f);
    std::fclose(f);
    const QByteArray refused[] = {
        url + "\n" + url + "\n",
        "https://example.org/a.png\n",
        QUrl::fromLocalFile(dir_.filePath(QStringLiteral("gone.png"))).toEncoded(),
        QUrl::fromLocalFile(QString::fromStdString(text)).toEncoded(),
    };
    for (const QByteArray& list : refused) {
        QMimeData mime;
        mime.setData(QStringLiteral("text/uri-list"), list);
        EXPECT_FALSE(MimeDataHasImage(mime)) << list.constData();
        EXPECT_FALSE(ImageFromMimeData(mime, image)) << list.constData();
    }
}

// Qt refused pictures over its own 256 MB allocation limit, far below the
// program's pixel limit: an 8000 x 8000 PNG pasted nothing and said nothing.
// One over the pixel limit is refused with the reason.
TEST_F(ClipboardTest, LargePicturesFollowThePixelLimitAndRefusalsSayWhy) {
    QMimeData big;
    {
        QImage picture(8000, 8000, QImage::Format_RGB32);
        picture.fill(0xFF336699u);
        big.setData(QStringLiteral("image/png"), Encoded(picture, "PNG"));
    }
    PixelImage image;
    ASSERT_TRUE(ImageFromMimeData(big, image)) << ClipboardImageRefusal().toStdString();
    EXPECT_EQ(image.Width(), 8000);
    EXPECT_EQ(At(image, 7999, 7999) & 0xFFFFFFu, 0x336699u);
    EXPECT_TRUE(ClipboardImageRefusal().isEmpty());
    image = PixelImage();
    SetMaxPixelCount(1000);
    EXPECT_FALSE(ImageFromMimeData(big, image));
    SetMaxPixelCount(0);
    EXPECT_TRUE(ClipboardImageRefusal().contains(QStringLiteral("8000 x 8000")))
        << ClipboardImageRefusal().toStdString();
}

}  // namespace
}  // namespace clipvane
