// Hostile and unlucky input to the file layer: special files, tiny files that
// claim huge sizes, bad colour masks, images too large for a format, long
// animations, and the reasons given for each failure. Cases that hung or ran
// away before run in a child process with a time limit, so that a regression
// fails instead of stopping the test program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

#include "image/PixelLimit.h"
#include "imagefile/Handlers.h"
#include "imagefile/AlphaFiles.h"
#include "imagefile/ImageFile.h"
#include "imagefile/IsolatedDecoder.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::PixelImage;
using clipvane::test::Quote;
using clipvane::test::ScratchDir;

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A BMP file: 40-byte info header, three masks when `masks` is given
// (bit-field compression), then `pixelBytes` bytes of pixels.
std::vector<uint8_t> Bmp(int width, int height, int depth, size_t pixelBytes, const uint32_t* masks = nullptr) {
    const size_t offset = 14 + 40 + (masks ? 12 : 0);
    std::vector<uint8_t> b(offset + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, uint32_t(offset));
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(height));
    Put16(b, 26, 1);
    Put16(b, 28, uint32_t(depth));
    Put32(b, 30, masks ? 3 : 0);
    if (masks)
        for (int i = 0; i < 3; ++i) Put32(b, 54 + size_t(i) * 4, masks[i]);
    for (size_t i = 0; i < pixelBytes; ++i) b[offset + i] = uint8_t(0x5A + i);
    return b;
}

// A 35-byte GIF: no colour table, one width x height frame, a few bytes of
// image data.
std::vector<uint8_t> HugeGif(int width, int height) {
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0};
    Put16(b, 6, uint32_t(width));
    Put16(b, 8, uint32_t(height));
    const uint8_t descriptor[10] = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    b.insert(b.end(), descriptor, descriptor + 10);
    Put16(b, 13 + 5, uint32_t(width));
    Put16(b, 13 + 7, uint32_t(height));
    const uint8_t data[] = {2, 8, 0x84, 0x8F, 0xA9, 0xCB, 0xED, 0x0F, 0xA3, 0x9C, 0, 0x3B};
    b.insert(b.end(), data, data + sizeof data);
    return b;
}

struct ChildResult {
    bool finished = false;  // ended by itself within the time
    int status = -1;        // its exit status
    long maxRssKb = 0;      // its peak resident memory
};

// Runs `body` in a child process (its return value the exit status), killed
// after `ms`. Memory the child's own decoder processes use is not counted.
ChildResult RunInChild(int ms, const std::function<int()>& body) {
    ChildResult result;
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int status = 0;
    struct rusage usage {};
    for (;;) {
        const pid_t got = wait4(pid, &status, WNOHANG, &usage);
        if (got == pid) {
            result.finished = true;
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            result.maxRssKb = usage.ru_maxrss;
            return result;
        }
        if (std::chrono::steady_clock::now() > end) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, &usage);
    return result;
}

// Peak memory of a child that does nothing: what it shares with this test
// program (much more under the sanitizers than without).
long BaselineRssKb() {
    return RunInChild(5000, [] { return 0; }).maxRssKb;
}

PixelImage Picture(int width, int height, int depth) {
    PixelImage img;
    img.Create(width, height, depth);
    return img;
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override { clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory); }
    void TearDown() override {
        clipvane::SetMaxPixelCount(0);
        clipvane::SetDecoderLimits({});
    }
    ScratchDir dir_;
};

// ---- special files -----------------------------------------------------------

TEST_F(HostileInput, PipesAndFoldersAreRefusedWithoutWaiting) {
    const std::string pipe = dir_ / "pipe.png";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const ChildResult saved = RunInChild(3000, [&] {
        const bool refused = clipvane::SaveImageFile(Picture(4, 4, 24), pipe) == 0 &&
                             clipvane::LastImageFileError() == "it is not a regular file";
        return refused ? 0 : 1;
    });
    EXPECT_TRUE(saved.finished) << "saving onto a pipe blocked";
    EXPECT_EQ(saved.status, 0);
    struct stat st {};
    ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // left as it was

    PixelImage img;
    for (const char* name : {"pipe.png", "pipe.bmp", "pipe.gif"}) {
        const std::string path = dir_ / name;
        if (!test::FileExists(path)) {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        }
        EXPECT_FALSE(clipvane::LoadFromFile(path, img)) << name;
        EXPECT_EQ(clipvane::LastImageFileError(), "it is not a regular file") << name;
    }
    EXPECT_FALSE(clipvane::LoadFromFile(dir_.Path() + "/", img));
    // A device behind a link named like an image.
    ASSERT_EQ(symlink("/dev/null", (dir_ / "null.png").c_str()), 0);
    EXPECT_EQ(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / "null.png"), 0);
    EXPECT_EQ(clipvane::LastImageFileError(), "it is not a regular file");
    EXPECT_EQ(dir_.Entries().size(), 4u);  // the pipes and the link, nothing more
}

TEST_F(HostileInput, FailuresCarryTheSystemsReason) {
    PixelImage img;
    EXPECT_EQ(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / "missing/x.png"), 0);
    EXPECT_EQ(clipvane::LastImageFileError(), "No such file or directory");
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "missing.png", img));
    EXPECT_EQ(clipvane::LastImageFileError(), "No such file or directory");
    ASSERT_TRUE(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / "ok.png"));
    EXPECT_EQ(clipvane::LastImageFileError(), "");
    EXPECT_EQ(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / "x.psd"), 0);
    EXPECT_NE(clipvane::LastImageFileError().find("cannot write files of this type"), std::string::npos);
    ASSERT_TRUE(test::WriteBytes(dir_ / "junk.bmp", std::vector<uint8_t>(64, 7)));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "junk.bmp", img));
    EXPECT_FALSE(clipvane::LastImageFileError().empty());
}

// ---- colour masks --------------------------------------------------------------

TEST_F(HostileInput, SixteenBitMasksAreValidated) {
    // The 130-byte file: 4 x 8 at 16 bits, every mask 0xFFFFFFFF. Converted
    // to TGA it looped forever in the 5-5-5 repacking.
    const uint32_t all[3] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const std::vector<uint8_t> hostile = Bmp(4, 8, 16, 64, all);
    ASSERT_EQ(hostile.size(), 130u);
    ASSERT_TRUE(test::WriteBytes(dir_ / "masks.bmp", hostile));
    const ChildResult converted = RunInChild(5000, [&] {
        PixelImage img;
        if (!clipvane::LoadFromFile(dir_ / "masks.bmp", img)) return 0;
        return clipvane::SaveImageFile(img, dir_ / "masks.tga") ? 1 : 0;
    });
    EXPECT_TRUE(converted.finished) << "the TGA writer did not end";
    EXPECT_EQ(converted.status, 0);
    EXPECT_FALSE(test::FileExists(dir_ / "masks.tga"));

    const uint32_t overlapping[3] = {0xF800, 0x0FE0, 0x001F};
    const uint32_t empty[3] = {0x7C00, 0, 0x001F};
    const uint32_t wide[3] = {0x1F0000, 0x03E0, 0x001F};
    for (const uint32_t* masks : {overlapping, empty, wide}) {
        clipvane::BmpHandler h;
        const std::vector<uint8_t> b = Bmp(4, 8, 16, 64, masks);
        EXPECT_FALSE(h.LoadMemory(b.data(), b.size())) << std::hex << masks[0] << " " << masks[1];
    }
    // 5-6-5 is fine, and comes out of TGA as the same colours.
    const uint32_t rgb565[3] = {0xF800, 0x07E0, 0x001F};
    ASSERT_TRUE(test::WriteBytes(dir_ / "565.bmp", Bmp(4, 8, 16, 64, rgb565)));
    PixelImage img, back;
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "565.bmp", img));
    ASSERT_TRUE(clipvane::SaveImageFile(img, dir_ / "565.tga"));
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "565.tga", back));
    img.ConvertTo(24);
    back.ConvertTo(24);
    // TGA keeps five bits of green where 5-6-5 had six.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img.GetPixel(x, y) & 0xF8F8F8, back.GetPixel(x, y) & 0xF8F8F8);
}

// ---- the pixel limit -------------------------------------------------------------

TEST_F(HostileInput, TinyFilesClaimingHugeSizesAreRefusedQuickly) {
    // 118 bytes claiming 16384 x 32760 at 16 bits; 35 bytes of GIF claiming
    // one 38000 x 38000 frame.
    const std::vector<uint8_t> bmp = Bmp(16384, 32760, 16, 64);
    const std::vector<uint8_t> gif = HugeGif(38000, 38000);
    ASSERT_EQ(bmp.size(), 118u);
    ASSERT_EQ(gif.size(), 35u);
    ASSERT_TRUE(test::WriteBytes(dir_ / "huge.bmp", bmp));
    ASSERT_TRUE(test::WriteBytes(dir_ / "huge.gif", gif));
    const long baseline = BaselineRssKb();
    for (const char* name : {"huge.bmp", "huge.gif"}) {
        const auto start = std::chrono::steady_clock::now();
        const ChildResult r = RunInChild(10000, [&] {
            PixelImage img;
            if (clipvane::LoadFromFile(dir_ / name, img)) {
                img.ConvertTo(32);  // as opening a document does
                return clipvane::SaveImageFile(img, dir_ / "out.png") ? 1 : 2;
            }
            return 0;
        });
        EXPECT_TRUE(r.finished) << name;
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_LT(r.maxRssKb - baseline, 200 * 1024) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << name;
    }
    PixelImage img;
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "huge.bmp", img));
    EXPECT_EQ(clipvane::LastImageFileError(),
              "the image is 16384 x 32760 pixels (511.9 megapixels), more than the limit of 256.0 megapixels");
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "huge.gif", img));
    EXPECT_NE(clipvane::LastImageFileError().find("38000 x 38000"), std::string::npos);
}

TEST_F(HostileInput, OneLimitOverThePipeline) {
    EXPECT_EQ(clipvane::MaxPixelCount(), clipvane::kDefaultMaxPixelCount);
    PixelImage img;
    EXPECT_FALSE(img.Create(16385, 16384, 1));  // one row past 256 megapixels, at any depth
    clipvane::SetMaxPixelCount(100);
    EXPECT_EQ(clipvane::MaxPixelCount(), 100u);
    EXPECT_FALSE(img.Create(11, 10, 24));
    ASSERT_TRUE(img.Create(10, 10, 8));
    // A conversion, an effect's re-creation, a resize: each stays within.
    img.ConvertTo(32);
    EXPECT_EQ(img.Depth(), 32);
    img.Resize(20, 10);
    EXPECT_EQ(img.Width(), 10);  // refused, the image as it was
    img.Expand(false, 1, 0, 0, 0);
    EXPECT_EQ(img.Width(), 10);
    // Readers refuse before allocating, saves before writing.
    ASSERT_TRUE(test::WriteBytes(dir_ / "b.bmp", Bmp(11, 10, 24, 10 * 36)));
    EXPECT_FALSE(clipvane::LoadFromFile(dir_ / "b.bmp", img));
    EXPECT_NE(clipvane::LastImageFileError().find("11 x 10"), std::string::npos);
    clipvane::SetMaxPixelCount(0);
    EXPECT_EQ(clipvane::MaxPixelCount(), clipvane::kDefaultMaxPixelCount);
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "b.bmp", img));
    clipvane::SetMaxPixelCount(100);
    EXPECT_EQ(clipvane::SaveImageFile(img, dir_ / "b.png"), 0);
    EXPECT_FALSE(test::FileExists(dir_ / "b.png"));
}

// ---- format limits ---------------------------------------------------------------

TEST_F(HostileInput, ImagesTooLargeForTheFormatAreRefusedBeforeWriting) {
    clipvane::SetMaxPixelCount(uint64_t(1) << 32);
    // 2147483647 x 1 at 1 bit: a row of 256 MiB, for which the library wrote
    // a file of 234 bytes without pixels and reported success. The storage
    // is mapped but never touched.
    PixelImage wide;
    ASSERT_TRUE(wide.Create(2147483647, 1, 1));
    const long baseline = BaselineRssKb();
    const ChildResult r = RunInChild(10000, [&] { return clipvane::SaveImageFile(wide, dir_ / "wide.tif"); });
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0);
    EXPECT_LT(r.maxRssKb - baseline, 200 * 1024);
    EXPECT_EQ(clipvane::SaveImageFile(wide, dir_ / "wide.tif"), 0);
    EXPECT_NE(clipvane::LastImageFileError().find("too large for TIFF files"), std::string::npos)
        << clipvane::LastImageFileError();
    EXPECT_FALSE(test::FileExists(dir_ / "wide.tif"));

    const PixelImage tga = Picture(65536, 1, 24);
    EXPECT_EQ(clipvane::SaveImageFile(tga, dir_ / "x.tga"), 0);
    EXPECT_NE(clipvane::LastImageFileError().find("at most 65535 x 65535 pixels"), std::string::npos);
    EXPECT_EQ(clipvane::SaveImageFile(Picture(1, 65501, 24), dir_ / "x.jpg"), 0);
    EXPECT_NE(clipvane::LastImageFileError().find("JPEG"), std::string::npos);
    EXPECT_EQ(clipvane::SaveImageFile(Picture(65536, 1, 8), dir_ / "x.gif"), 0);
    EXPECT_EQ(clipvane::SaveImageFile(Picture(65536, 1, 24), dir_ / "x.pcx"), 0);
    // The writer that keeps a transparent document's alpha has the same limits.
    EXPECT_EQ(clipvane::SaveImageFileWithAlpha(Picture(65536, 1, 32), dir_ / "x.gif"), 0);
    EXPECT_NE(clipvane::LastImageFileError().find("at most 65535 x 65535 pixels"), std::string::npos)
        << clipvane::LastImageFileError();
    EXPECT_TRUE(dir_.Entries().empty());
    EXPECT_NE(clipvane::FormatRefusal(clipvane::kFileTiff, wide).find("TIFF"), std::string::npos);
    EXPECT_EQ(clipvane::FormatRefusal(clipvane::kFileTga, Picture(65535, 2, 8)), "");
    // The largest sizes that fit are written.
    EXPECT_NE(clipvane::SaveImageFile(Picture(65535, 1, 24), dir_ / "y.tga"), 0);
    EXPECT_NE(clipvane::SaveImageFile(Picture(65500, 1, 24), dir_ / "y.jpg"), 0);
}

// Bytes the TIFF writer skips over (it aligns its directory by seeking past
// the end) are zero, not whatever memory the process held before: the same
// image gives the same file however the heap looks, and leaks nothing.
TEST_F(HostileInput, TiffSavesCarryNoStaleMemory) {
    PixelImage image;
    ASSERT_TRUE(image.Create(37, 23, 32));  // odd row sizes leave a gap before the directory
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width() * 4; ++x) image.Row(y)[x] = uint8_t(x * 7 + y * 13);
    auto name = [](const char* stem, int i) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%s%d.tif", stem, i);
        return std::string(buffer);
    };
    std::vector<std::vector<uint8_t>> files;
    for (int i = 0; i < 4; ++i) {
        // Freed blocks full of 0xFF for the encoder's allocations to reuse.
        for (size_t size : {size_t(4096), size_t(5000), size_t(8192), size_t(16384)}) {
            std::vector<uint8_t> junk(size + size_t(i) * 512, 0xFF);
            ASSERT_EQ(junk.back(), 0xFF);
        }
        const std::string path = dir_ / name("t", i);
        ASSERT_NE(clipvane::SaveImageFileWithAlpha(image, path), 0);
        files.push_back(test::ReadBytes(path));
        ASSERT_NE(clipvane::SaveImageFile(image, dir_ / name("p", i)), 0);
    }
    for (size_t i = 1; i < files.size(); ++i) EXPECT_EQ(files[i], files[0]) << "save " << i;
    EXPECT_EQ(test::ReadBytes(dir_ / "p0.tif"), test::ReadBytes(dir_ / "p3.tif"));
}

// ---- animations ------------------------------------------------------------------

TEST_F(HostileInput, LongAnimationOpensAtItsFirstFrame) {
    // 500 frames of 300 x 200 (one frame made by ImageMagick, repeated):
    // decoding them all takes far longer than decoding the first.
    ASSERT_TRUE(test::Magick("-size 300x200 plasma:red-blue -delay 7 " + Quote(dir_ / "one.gif")));
    std::vector<uint8_t> one = test::ReadBytes(dir_ / "one.gif");
    ASSERT_GT(one.size(), 13u);
    const size_t head = 13 + ((one[10] & 0x80) ? 3 * (size_t(2) << (one[10] & 7)) : 0);
    ASSERT_EQ(one.back(), 0x3B);  // the trailer
    // The frame's control extension: 7 hundredths of a second per frame.
    ASSERT_TRUE(one.size() > head + 6 && one[head] == 0x21 && one[head + 1] == 0xF9);
    one[head + 4] = 7;
    std::vector<uint8_t> many(one.begin(), one.begin() + long(head));
    for (int i = 0; i < 500; ++i) many.insert(many.end(), one.begin() + long(head), one.end() - 1);
    many.push_back(0x3B);
    ASSERT_TRUE(test::WriteBytes(dir_ / "long.gif", many));

    // Decoding all 500 takes about 10 s here, the first one 50 ms.
    constexpr int kLimitMs = 1500;
    clipvane::DecoderLimits limits;
    limits.timeoutMs = kLimitMs;
    clipvane::SetDecoderLimits(limits);
    PixelImage img;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(clipvane::LoadFromFile(dir_ / "long.gif", img)) << clipvane::LastImageFileError();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kLimitMs));
    EXPECT_EQ(img.Width(), 300);
    EXPECT_EQ(img.frameDelay, 70);
    // Decoding every frame runs into the limit; the frames that came whole
    // before it are kept.
    clipvane::FreeImageHandler all;
    ASSERT_TRUE(all.LoadFile(dir_ / "long.gif"));
    EXPECT_GE(all.Frames().size(), 1u);
    EXPECT_LT(all.Frames().size(), 500u);
}

// ---- saves: temporary files ----------------------------------------------------

TEST_F(HostileInput, StaleTemporariesAreRemovedHeldOnesKept) {
    const std::string stale = dir_ / ".clipvane-Ab12Cd.tmp";
    const std::string held = dir_ / ".clipvane-Xy34Zw.tmp";
    const std::string other = dir_ / ".clipvane-notes.tmp";  // not a name saves make
    ASSERT_TRUE(test::WriteBytes(stale, {1}));
    ASSERT_TRUE(test::WriteBytes(held, {2}));
    ASSERT_TRUE(test::WriteBytes(other, {3}));
    const int fd = open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);  // as a running save holds it
    ASSERT_NE(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / "a.png"), 0);
    EXPECT_FALSE(test::FileExists(stale));
    EXPECT_TRUE(test::FileExists(held));
    EXPECT_TRUE(test::FileExists(other));
    close(fd);
    ASSERT_NE(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / "b.png"), 0);
    EXPECT_FALSE(test::FileExists(held));
    EXPECT_EQ(dir_.Entries().size(), 3u);  // a.png, b.png and the foreign file
}

TEST_F(HostileInput, LongestNamesCanBeSaved) {
    for (size_t length : {248u, 252u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".png";
        ASSERT_EQ(name.size(), length);
        EXPECT_NE(clipvane::SaveImageFile(Picture(4, 4, 24), dir_ / name), 0) << length;
        PixelImage back;
        EXPECT_TRUE(clipvane::LoadFromFile(dir_ / name, back)) << length;
        EXPECT_NE(clipvane::SaveImageFile(Picture(5, 4, 24), dir_ / name), 0) << length;  // replaced
    }
    EXPECT_EQ(dir_.Entries().size(), 3u);
}

TEST_F(HostileInput, InPlaceWhenOnlyTheFileIsWritable) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into any folder whatever its mode";
    const std::string folder = dir_ / "locked";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/shot.png";
    ASSERT_TRUE(test::WriteBytes(path, std::vector<uint8_t>(5000, 9)));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    EXPECT_NE(clipvane::SaveImageFile(Picture(6, 5, 24), path), 0) << clipvane::LastImageFileError();
    PixelImage back;
    EXPECT_TRUE(clipvane::LoadFromFile(path, back));
    EXPECT_EQ(back.Width(), 6);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_LT(st.st_size, 5000);  // the old, longer content is cut off
    // A refused save leaves the file as it was.
    const PixelImage larger = Picture(7, 5, 24);
    clipvane::SetMaxPixelCount(10);
    EXPECT_EQ(clipvane::SaveImageFile(larger, path), 0);
    clipvane::SetMaxPixelCount(0);
    ASSERT_TRUE(clipvane::LoadFromFile(path, back));
    EXPECT_EQ(back.Width(), 6);
    chmod(folder.c_str(), 0755);
}

}  // namespace
