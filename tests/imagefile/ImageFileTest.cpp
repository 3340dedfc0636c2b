// The save paths: file types, the factory registry, every writer through
// SaveImageFile checked by reading back with the program and with
// ImageMagick, and atomic replacement when saving fails.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "imagefile/Handlers.h"
#include "imagefile/ImageFile.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::PixelImage;
using clipvane::test::Quote;
using clipvane::test::ScratchDir;

TEST(ImageFileType, FromExtension) {
    EXPECT_EQ(clipvane::TypeFromPath("a.bmp"), clipvane::kFileBmp);
    EXPECT_EQ(clipvane::TypeFromPath("/x/y/SHOT.JPG"), clipvane::kFileJpeg);
    EXPECT_EQ(clipvane::TypeFromPath("shot.jpeg"), clipvane::kFileJpeg);
    EXPECT_EQ(clipvane::TypeFromPath("a.Pcx"), clipvane::kFilePcx);
    EXPECT_EQ(clipvane::TypeFromPath("a.tif"), clipvane::kFileTiff);
    EXPECT_EQ(clipvane::TypeFromPath("a.TIFF"), clipvane::kFileTiff);
    EXPECT_EQ(clipvane::TypeFromPath("a.tga"), clipvane::kFileTga);
    EXPECT_EQ(clipvane::TypeFromPath("a.gif"), clipvane::kFileGif);
    EXPECT_EQ(clipvane::TypeFromPath("a.png"), clipvane::kFilePng);
    EXPECT_EQ(clipvane::TypeFromPath("a.psd"), clipvane::kFilePsd);
    EXPECT_EQ(clipvane::TypeFromPath("a.ico"), clipvane::kFileIco);
    EXPECT_EQ(clipvane::TypeFromPath("a.xpm"), clipvane::kFileXpm);
    // The last "." of the whole path counts, even inside a folder name.
    EXPECT_EQ(clipvane::TypeFromPath("dir.png/file"), clipvane::kFileNone);
    EXPECT_EQ(clipvane::TypeFromPath("noextension"), clipvane::kFileNone);
    EXPECT_EQ(clipvane::TypeFromPath("trailing."), clipvane::kFileNone);
    EXPECT_EQ(clipvane::TypeFromPath("a.png.txt"), clipvane::kFileNone);
    EXPECT_EQ(clipvane::TypeFromPath(""), clipvane::kFileNone);
}

struct CountingFactory : clipvane::StandardHandlerFactory {
    explicit CountingFactory(int* deleted) : deleted_(deleted) {}
    ~CountingFactory() override { ++*deleted_; }
    int* deleted_;
};

TEST(HandlerRegistry, InstallingReplacesAndDeletes) {
    int deleted = 0;
    auto* a = new CountingFactory(&deleted);
    clipvane::InstallHandlerFactory(a);
    EXPECT_EQ(&clipvane::CurrentHandlerFactory(), a);
    clipvane::InstallHandlerFactory(a);  // the same object again: kept
    EXPECT_EQ(deleted, 0);
    clipvane::InstallHandlerFactory(new clipvane::BasicHandlerFactory);
    EXPECT_EQ(deleted, 1);
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
}

TEST(HandlerRegistry, FactoryColumns) {
    auto is = [](const std::unique_ptr<clipvane::ImageFormatHandler>& h, auto* type) {
        return h && dynamic_cast<decltype(type)>(h.get()) != nullptr;
    };
    clipvane::BasicHandlerFactory basic;
    EXPECT_TRUE(is(basic.CreateHandler(clipvane::kFileBmp), (clipvane::BmpHandler*)nullptr));
    EXPECT_TRUE(is(basic.CreateHandler(clipvane::kFileTga), (clipvane::TgaHandler*)nullptr));
    EXPECT_TRUE(is(basic.CreateHandler(clipvane::kFileJpeg), (clipvane::JpegHandler*)nullptr));
    EXPECT_TRUE(is(basic.CreateHandler(clipvane::kFileGif), (clipvane::FreeImageHandler*)nullptr));
    EXPECT_FALSE(basic.CreateHandler(clipvane::kFilePng));
    EXPECT_FALSE(basic.CreateHandler(clipvane::kFilePcx));

    clipvane::StandardHandlerFactory standard;
    EXPECT_TRUE(is(standard.CreateHandler(clipvane::kFilePcx), (clipvane::PcxHandler*)nullptr));
    EXPECT_TRUE(is(standard.CreateHandler(clipvane::kFilePng), (clipvane::PngHandler*)nullptr));
    EXPECT_TRUE(is(standard.CreateHandler(clipvane::kFileJpeg), (clipvane::JpegHandler*)nullptr));
    for (clipvane::ImageFileType t :
         {clipvane::kFileGif, clipvane::kFileTiff, clipvane::kFilePsd, clipvane::kFileIco, clipvane::kFileXpm})
        EXPECT_TRUE(is(standard.CreateHandler(t), (clipvane::FreeImageHandler*)nullptr)) << t;
    EXPECT_FALSE(standard.CreateHandler(clipvane::kFileNone));

    clipvane::EncoderHandlerFactory encoder;
    EXPECT_TRUE(is(encoder.CreateHandler(clipvane::kFilePcx), (clipvane::PcxHandler*)nullptr));
    EXPECT_TRUE(is(encoder.CreateHandler(clipvane::kFilePng), (clipvane::EncoderHandler*)nullptr));
    EXPECT_TRUE(is(encoder.CreateHandler(clipvane::kFileBmp), (clipvane::BmpHandler*)nullptr));
    for (clipvane::ImageFileType t : {clipvane::kFilePsd, clipvane::kFileIco, clipvane::kFileXpm, clipvane::kFileNone})
        EXPECT_FALSE(encoder.CreateHandler(t)) << t;
}

// Test pictures at every depth the core has.
PixelImage Picture(int depth) {
    PixelImage img;
    const int w = 45, h = 29;
    if (depth == 16) {
        clipvane::BitmapInfoHeader hdr;
        hdr.biWidth = w;
        hdr.biHeight = h;
        hdr.biBitCount = 16;
        hdr.biCompression = clipvane::kBiBitfields;
        const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
        img.CreateFromHeader(hdr, masks);
    } else {
        img.Create(w, h, depth);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            const bool box = x > 5 && x < 20 && y > 4 && y < 15;
            switch (depth) {
            case 1:
                if ((x + y) % 3 == 0) *p |= uint8_t(0x80 >> (x % 8));
                break;
            case 4: *p |= uint8_t(((x / 3) & 15) << (x % 2 ? 0 : 4)); break;
            case 8: *p = box ? 200 : uint8_t(x * 5 + y); break;
            case 16: {
                const uint16_t v = box ? 0xF800 : uint16_t((x & 31) | ((y & 63) << 5));
                p[0] = uint8_t(v);
                p[1] = uint8_t(v >> 8);
                break;
            }
            default:
                p[0] = box ? 255 : uint8_t(x * 5);
                p[1] = box ? 255 : uint8_t(y * 8);
                p[2] = box ? 255 : uint8_t(100 + x);
                if (depth == 32) p[3] = uint8_t(x < 10 ? 255 : 60 + y);
            }
        }
    if (depth <= 8) {
        // Colours, not greys, so that a palette mix-up shows.
        for (int i = 0; i < (1 << depth); ++i) {
            const clipvane::RgbQuad q{uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 11)};
            img.SetPalette(i, 1, &q);
        }
    }
    return img;
}

class SaveImage : public ::testing::Test {
protected:
    void SetUp() override { clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory); }
    ScratchDir dir_;
};

TEST_F(SaveImage, EveryWriterRoundTrips) {
    struct Case {
        const char* name;
        const char* magickFormat;
        bool lossy;
    } cases[] = {
        {"o.bmp", "BMP3", false}, {"o.tga", "TGA", false}, {"o.png", "PNG", false},
        {"o.tif", "TIFF", false}, {"o.pcx", "PCX", false}, {"O.PCX", "PCX", false},
        {"o.Pcx", "PCX", false},  {"o.jpg", "JPEG", true}, {"o.gif", "GIF", true},
    };
    for (int depth : {1, 4, 8, 16, 24, 32}) {
        const PixelImage img = Picture(depth);
        const test::RgbaPixels want = test::ImagePixels(img);
        for (const Case& c : cases) {
            const std::string path = dir_ / c.name;
            const std::string what = std::string(c.name) + " at " + std::to_string(depth);
            // TGA has no layout for 1 and 4 bits.
            const bool expected = !(std::string(c.magickFormat) == "TGA" && depth < 8);
            ASSERT_EQ(clipvane::SaveImageFile(img, path) != 0, expected) << what;
            EXPECT_NE(dynamic_cast<clipvane::StandardHandlerFactory*>(&clipvane::CurrentHandlerFactory()), nullptr);
            if (!expected) continue;
            EXPECT_EQ(test::Capture("identify -format '%m' " + Quote(path + "[0]")), c.magickFormat) << what;
            // JPEG files get the encoder's default quality.
            if (std::string(c.magickFormat) == "JPEG") {
                EXPECT_EQ(test::Capture("identify -format '%Q' " + Quote(path)), "75") << what;
            }
            // The fourth byte is kept by BMP and TGA, which store the rows as
            // they are; PNG, TIFF, PCX and the lossy formats write colour only.
            const std::string format = c.magickFormat;
            const bool alpha = depth == 32 && (format == "BMP3" || format == "TGA");
            PixelImage back;
            ASSERT_TRUE(clipvane::LoadFromFile(path, back)) << what;
            const test::RgbaPixels ours = test::ImagePixels(back);
            const test::RgbaPixels magick = test::MagickPixels(path);
            if (c.lossy) {
                // Quantised or compressed: close on average (the palette
                // pictures are colour noise, hard on JPEG), and the two
                // decoders of the same file agree on average.
                const double limit = depth >= 16 ? 12 : 40;
                EXPECT_GE(test::MeanDifference(ours, want), 0) << what;
                EXPECT_LE(test::MeanDifference(ours, want), limit) << what;
                EXPECT_GE(test::MeanDifference(ours, magick), 0) << what;
                // (Chroma upsampling differs between them, which shows on noise.)
                EXPECT_LE(test::MeanDifference(ours, magick), depth >= 24 ? 3 : 16) << what;
                continue;
            }
            // 16-bit channels of 5 and 6 bits widen differently (ImageMagick
            // repeats the top bits, the core fills with zeros) and TGA keeps
            // 5 bits of green: at most 7 apart. Everything else is exact.
            const int tolerance = depth == 16 ? 7 : 0;
            EXPECT_GE(test::MaxDifference(ours, want, alpha), 0) << what;
            EXPECT_LE(test::MaxDifference(ours, want, alpha), tolerance) << what;
            EXPECT_GE(test::MaxDifference(magick, want, alpha), 0) << what;
            EXPECT_LE(test::MaxDifference(magick, want, alpha), tolerance) << what;
        }
    }
}

TEST_F(SaveImage, PngAndTiffWriteTheColoursOfA32BitImage) {
    // As a new image: white with every fourth byte 0, which the program shows
    // as opaque white. One pixel carries a colour and a fourth byte of 128.
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 2, 32));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = img.Row(y) + x * 4;
            p[0] = p[1] = p[2] = 255;
        }
    uint8_t* coloured = img.Row(1) + 2 * 4;
    coloured[0] = 10;
    coloured[1] = 20;
    coloured[2] = 30;
    coloured[3] = 128;
    for (const char* name : {"new.png", "new.tif"}) {
        const std::string path = dir_ / name;
        ASSERT_NE(clipvane::SaveImageFile(img, path), 0) << name;
        PixelImage back;
        ASSERT_TRUE(clipvane::LoadFromFile(path, back)) << name;
        EXPECT_EQ(back.Depth(), 24) << name;
        ASSERT_EQ(back.Width(), 3) << name;
        ASSERT_EQ(back.Height(), 2) << name;
        EXPECT_EQ(back.GetPixel(0, 0), 0xFFFFFFu) << name;
        EXPECT_EQ(back.GetPixel(1, 1), 0xFFFFFFu) << name;
        EXPECT_EQ(back.GetPixel(2, 1), 0x1E140Au) << name;  // red 30, green 20, blue 10
    }
}

TEST_F(SaveImage, RefusalsCreateNothing) {
    const PixelImage img = Picture(24);
    EXPECT_EQ(clipvane::SaveImageFile(img, dir_ / "icon.ico"), 0);
    EXPECT_EQ(clipvane::SaveImageFile(img, dir_ / "picture.psd"), 0);
    EXPECT_EQ(clipvane::SaveImageFile(img, dir_ / "noext"), 0);
    EXPECT_EQ(clipvane::SaveImageFile(PixelImage(), dir_ / "empty.png"), 0);
    EXPECT_FALSE(clipvane::SaveToFile(img, "", -1));
    EXPECT_EQ(clipvane::SaveImageFile(img, dir_ / "missing-folder/x.png"), 0);
    EXPECT_TRUE(dir_.Entries().empty());
}

TEST_F(SaveImage, FailedSaveLeavesTheOldFile) {
    const std::string path = dir_ / "keep.tga";
    ASSERT_TRUE(test::WriteBytes(path, {1, 2, 3}));
    // The TGA writer refuses 1-bit images.
    EXPECT_EQ(clipvane::SaveImageFile(Picture(1), path), 0);
    EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"keep.tga"});
    // A successful save replaces it and keeps its permissions.
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    EXPECT_NE(clipvane::SaveImageFile(Picture(24), path), 0);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_GT(st.st_size, 3);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"keep.tga"});
}

TEST_F(SaveImage, ThroughASymbolicLink) {
    const std::string real = dir_ / "real.png";
    const std::string link = dir_ / "link.png";
    ASSERT_TRUE(test::WriteBytes(real, {9}));
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_NE(clipvane::SaveImageFile(Picture(24), link), 0);
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_GT(test::ReadBytes(real).size(), 100u);
}

TEST_F(SaveImage, WriteErrorsOnADeviceAreFailures) {
    const PixelImage img = Picture(24);
    // Devices are written directly; /dev/full refuses every byte.
    clipvane::BmpHandler bmp;
    clipvane::TgaHandler tga;
    clipvane::PcxHandler pcx;
    clipvane::EncoderHandler png(clipvane::kFilePng), jpeg(clipvane::kFileJpeg), gif(clipvane::kFileGif),
        tiff(clipvane::kFileTiff);
    for (clipvane::ImageFormatHandler* h :
         std::initializer_list<clipvane::ImageFormatHandler*>{&bmp, &tga, &pcx, &png, &jpeg, &gif, &tiff}) {
        h->targets.push_back(&img);
        EXPECT_FALSE(h->SaveFile("/dev/full", -1));
        EXPECT_TRUE(h->SaveFile("/dev/null", -1));
    }
}

// A small tmpfs mounted for one test (needs root; the test skips otherwise).
class Mount {
public:
    Mount(const std::string& where, const std::string& options) : where_(where) {
        mounted_ = geteuid() == 0 &&
                   test::Run("mount -t tmpfs -o " + options + " tmpfs " + Quote(where) + " 2>/dev/null") == 0;
    }
    ~Mount() {
        if (mounted_) test::Run("umount " + Quote(where_));
    }
    bool Mounted() const { return mounted_; }

private:
    std::string where_;
    bool mounted_ = false;
};

TEST_F(SaveImage, ReadOnlyFolder) {
    const std::string folder = dir_ / "ro";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string old = folder + "/shot.png";
    std::unique_ptr<Mount> mount;
    if (geteuid() == 0) {
        // Root writes anywhere a mode allows nothing: use a read-only mount
        // holding one file (put there before remounting read-only).
        mount = std::make_unique<Mount>(folder, "size=1m");
        if (!mount->Mounted()) GTEST_SKIP() << "cannot mount a tmpfs";
        ASSERT_TRUE(test::WriteBytes(old, {7, 7}));
        ASSERT_EQ(test::Run("mount -o remount,ro " + Quote(folder)), 0);
    } else {
        // A writable file in a read-only folder is written in place (see
        // InPlaceWhenOnlyTheFileIsWritable); here neither takes a write.
        ASSERT_TRUE(test::WriteBytes(old, {7, 7}));
        ASSERT_EQ(chmod(old.c_str(), 0444), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    }
    EXPECT_EQ(clipvane::SaveImageFile(Picture(24), old), 0);
    EXPECT_EQ(clipvane::SaveImageFile(Picture(24), folder + "/new.bmp"), 0);
    EXPECT_EQ(test::ReadBytes(old), (std::vector<uint8_t>{7, 7}));
    EXPECT_FALSE(test::FileExists(folder + "/new.bmp"));
    if (geteuid() != 0) chmod(folder.c_str(), 0755);
}

// 200 x 200 at 24 bits, 120 000 bytes of BMP: more than a 64 KiB tmpfs. Noise,
// so that no writer compresses it below that.
PixelImage Noise() {
    PixelImage big;
    big.Create(200, 200, 24);
    uint32_t seed = 1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 600; ++x) {
            seed = seed * 1103515245 + 12345;
            big.Row(y)[x] = uint8_t(seed >> 16);
        }
    return big;
}

TEST_F(SaveImage, FullFileSystem) {
    const std::string folder = dir_ / "full";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    Mount mount(folder, "size=64k");
    if (!mount.Mounted()) GTEST_SKIP() << "needs root to mount a tiny tmpfs";
    const std::string old = folder + "/shot.bmp";
    ASSERT_TRUE(test::WriteBytes(old, std::vector<uint8_t>(1000, 42)));
    const PixelImage big = Noise();
    for (const char* name : {"shot.bmp", "shot.tga", "shot.pcx", "shot.png", "new.bmp"}) {
        EXPECT_EQ(clipvane::SaveImageFile(big, folder + "/" + name), 0) << name;
    }
    EXPECT_EQ(test::ReadBytes(old), std::vector<uint8_t>(1000, 42));
    std::vector<std::string> left;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") left.push_back(e->d_name);
        closedir(d);
    }
    EXPECT_EQ(left, std::vector<std::string>{"shot.bmp"});
    // A small image still fits.
    EXPECT_NE(clipvane::SaveImageFile(Picture(8), folder + "/small.png"), 0);
}

// The folder takes no new file, so the save goes over the file in place; the
// disk has no room for the new content. The save fails and the old content
// stays whole (it was once cut to the bytes that fitted).
TEST_F(SaveImage, FullDiskInPlaceKeepsTheOldFile) {
    const std::string folder = dir_ / "inplace";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    Mount mount(folder, "size=64k");
    if (!mount.Mounted()) GTEST_SKIP() << "needs root to mount a tiny tmpfs";
    const std::string old = folder + "/shot.bmp";
    ASSERT_TRUE(test::WriteBytes(old, std::vector<uint8_t>(1000, 42)));
    ASSERT_EQ(chmod(old.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(dir_.Path().c_str(), 0711), 0);
    const PixelImage big = Noise();
    // As another user, for whom only the file is writable.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const bool refused = clipvane::SaveImageFile(big, old) == 0;
        const bool full = clipvane::LastImageFileError().find("No space") != std::string::npos;
        if (!(refused && full)) std::fprintf(stderr, "%d %s\n", int(refused), clipvane::LastImageFileError().c_str());
        _exit(refused && full ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save did not fail for want of space";
    EXPECT_EQ(test::ReadBytes(old), std::vector<uint8_t>(1000, 42));
}

}  // namespace
