// The stamp list: folder order, which files count, the thumbnail rule and
// the chosen picture.
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "support/ImageBuilders.h"
#include "editor/tools/StampLibrary.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

// A 24-bit image filled with one colour (blue, green, red bytes).
PixelImage Solid(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    PixelImage image;
    image.Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            p[0] = b, p[1] = g, p[2] = r;
        }
    return image;
}

struct StampFixture : ::testing::Test {
    StampFixture() {
        // As at start-up: PNG stamps are read through the standard handlers.
        InstallHandlerFactory(new StandardHandlerFactory);
        shipped = dir.filePath("shipped").toStdString();
        user = dir.filePath("user").toStdString();
        fs::create_directories(shipped);
        fs::create_directories(user);
    }
    static void Save(const PixelImage& image, const std::string& path) { ASSERT_TRUE(SaveToFile(image, path)); }
    static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path) << bytes; }

    QTemporaryDir dir;
    std::string shipped, user;
    StampLibrary library;
};

TEST_F(StampFixture, ShippedFolderFirstThenUserEachSortedAndOnlyReadableFiles) {
    Save(Solid(10, 10, 1, 1, 1), shipped + "/b.bmp");
    Save(Solid(10, 10, 2, 2, 2), shipped + "/a.tga");
    Write(shipped + "/notes.txt", "not a picture");
    Write(shipped + "/broken.bmp", "BM this is no bitmap");
    fs::create_directories(shipped + "/sub.bmp");
    Save(Solid(10, 10, 3, 3, 3), user + "/0.bmp");
    library.LoadStamps({shipped, user});
    ASSERT_EQ(library.Count(), 3);
    EXPECT_EQ(library.Paths()[0], shipped + "/a.tga");
    EXPECT_EQ(library.Paths()[1], shipped + "/b.bmp");
    EXPECT_EQ(library.Paths()[2], user + "/0.bmp");
    EXPECT_EQ(library.ThumbnailImage(0).pixel(35, 26), qRgb(2, 2, 2));

    // Loading again starts over; missing folders add nothing.
    library.LoadStamps({dir.filePath("nowhere").toStdString()});
    EXPECT_EQ(library.Count(), 0);
    EXPECT_TRUE(library.SelectedStampImage(1).IsEmpty());
}

TEST_F(StampFixture, ThumbnailsTakeTheNearestSourcePixel) {
    // 4 x 3 image, pixel (x, y) with blue x, green y, red 200.
    PixelImage source;
    ASSERT_TRUE(source.Create(4, 3, 32));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = source.PixelAddress(x, y);
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = 200, p[3] = 0;
        }
    const PixelImage thumb = StampLibrary::MakeThumbnail(source);
    ASSERT_EQ(thumb.Width(), 36);
    ASSERT_EQ(thumb.Height(), 27);
    ASSERT_EQ(thumb.Depth(), 24);
    for (int y = 0; y < 27; ++y)
        for (int x = 0; x < 36; ++x) {
            const uint8_t* p = thumb.PixelAddress(x, y);
            ASSERT_EQ(p[0], x * 4 / 36) << x << "," << y;
            ASSERT_EQ(p[1], y * 3 / 27) << x << "," << y;
            ASSERT_EQ(p[2], 200);
        }
    // Larger than the thumbnail: every second source pixel is taken.
    PixelImage wide = test::Gradient(72, 54, 24);
    const PixelImage small = StampLibrary::MakeThumbnail(wide);
    EXPECT_EQ(small.PixelAddress(5, 7)[0], 10);
    EXPECT_EQ(small.PixelAddress(5, 7)[1], 14);

    // Images under 8 bits per pixel are scaled too.
    PixelImage paletted;
    ASSERT_TRUE(paletted.Create(2, 2, 1));
    const RgbQuad colours[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    paletted.SetPalette(0, 2, colours);
    paletted.Row(0)[0] = 0x40;  // (1, 0) white
    const PixelImage one = StampLibrary::MakeThumbnail(paletted);
    ASSERT_EQ(one.Width(), 36);
    EXPECT_EQ(one.PixelAddress(18, 0)[0], 255);
    EXPECT_EQ(one.PixelAddress(17, 0)[0], 0);
    EXPECT_EQ(one.PixelAddress(18, 14)[0], 0);
}

TEST_F(StampFixture, SelectedStampImageIs32BitsAndEmptyWhenItCannotBe) {
    Save(Solid(7, 5, 10, 20, 30), shipped + "/one.bmp");
    Save(Solid(3, 3, 0, 0, 0), shipped + "/two.bmp");
    library.LoadStamps({shipped});
    ASSERT_EQ(library.Count(), 2);
    const PixelImage image = library.SelectedStampImage(1);
    ASSERT_EQ(image.Depth(), 32);
    EXPECT_EQ(image.Width(), 7);
    EXPECT_EQ(image.Height(), 5);
    const uint8_t* p = image.PixelAddress(6, 4);
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[2], 30);
    EXPECT_EQ(p[3], 255);
    EXPECT_TRUE(library.SelectedStampImage(0).IsEmpty());
    EXPECT_TRUE(library.SelectedStampImage(3).IsEmpty());
    EXPECT_TRUE(library.SelectedStampImage(-1).IsEmpty());
    // Removed after the list was made: no picture rather than a failure.
    fs::remove(shipped + "/two.bmp");
    EXPECT_TRUE(library.SelectedStampImage(2).IsEmpty());
}

TEST_F(StampFixture, DefaultFoldersAreTheShippedStampsThenTheUsersOwn) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    const std::string data = dir.filePath("data").toStdString();
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    fs::create_directories(data + "/clipvane/stamps");
    Save(Solid(4, 4, 9, 9, 9), data + "/clipvane/stamps/mine.bmp");
    const std::vector<std::string> folders = StampLibrary::DefaultFolders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1], data + "/clipvane/stamps");

    library.LoadStamps();
    // The pictures that ship with the program, all readable, then the user's.
    ASSERT_GE(library.Count(), 13);
    EXPECT_EQ(library.Paths().back(), data + "/clipvane/stamps/mine.bmp");
    EXPECT_EQ(fs::path(library.Paths()[0]).filename(), "cross.png");
    const PixelImage first = library.SelectedStampImage(1);
    EXPECT_EQ(first.Depth(), 32);
    EXPECT_EQ(first.PixelAddress(0, 0)[3], 0);  // transparent corner kept
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace clipvane
