// Headers are judged before bodies are read or pixels allocated: huge sparse
// files with headers that cannot be right, and tiny files claiming huge
// images, are refused without the memory their size would take.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>

#include "imagefile/Handlers.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/MagickFiles.h"

namespace clipvane {
namespace {

// Peak resident memory of this process (each test case runs in its own) in MiB.
long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A sparse file of `size` bytes starting with `head`.
bool WriteSparse(const std::string& path, const std::vector<uint8_t>& head, off_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = write(fd, head.data(), head.size()) == ssize_t(head.size()) && ftruncate(fd, size) == 0;
    close(fd);
    return ok;
}

std::vector<uint8_t> BmpHead(int32_t width, int32_t height, uint32_t infoSize = 40) {
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    b[10] = 54;
    b[14] = uint8_t(infoSize);
    std::memcpy(&b[18], &width, 4);
    std::memcpy(&b[22], &height, 4);
    b[26] = 1;
    b[28] = 24;
    return b;
}

TEST(HeaderFirst, SparseFilesWithImpossibleHeadersAreNotRead) {
    InstallHandlerFactory(new StandardHandlerFactory);
    test::ScratchDir dir;
    const off_t big = off_t(1) << 30;
    const long before = PeakMiB();
    // An unknown info header, a TGA of no known depth, a PCX of no lines.
    ASSERT_TRUE(WriteSparse(dir / "a.bmp", BmpHead(100, 100, 41), big));
    ASSERT_TRUE(WriteSparse(dir / "a.tga", std::vector<uint8_t>(18, 0), big));
    std::vector<uint8_t> pcx(128, 0);
    pcx[0] = 0x0A;
    pcx[3] = 3;
    ASSERT_TRUE(WriteSparse(dir / "a.pcx", pcx, big));
    for (const char* name : {"a.bmp", "a.tga", "a.pcx"}) {
        PixelImage image;
        EXPECT_FALSE(LoadFromFile(dir / name, image)) << name;
    }
    EXPECT_LT(PeakMiB() - before, 200) << "a refused file was read whole";
}

// A header claiming far more rows than the file holds: refused, not padded.
TEST(HeaderFirst, FilesMuchShorterThanTheirRowsAreRefused) {
    InstallHandlerFactory(new StandardHandlerFactory);
    std::vector<uint8_t> bmp = BmpHead(16383, 16383);
    bmp.resize(118, 0x55);
    BmpHandler handler;
    EXPECT_FALSE(handler.LoadMemory(bmp.data(), bmp.size()));
    test::ScratchDir dir;
    ASSERT_TRUE(test::WriteBytes(dir / "tall.bmp", bmp));
    PixelImage image;
    EXPECT_FALSE(LoadFromFile(dir / "tall.bmp", image));
    EXPECT_NE(LastImageFileError().find("shorter than the rows"), std::string::npos) << LastImageFileError();
    // A 3-row bitmap may lack its last row, not more.
    std::vector<uint8_t> small = BmpHead(2, 3);
    small.resize(54 + 8 + 8, 0x20);
    EXPECT_TRUE(handler.LoadMemory(small.data(), small.size()));
    small.resize(54 + 8 + 7);
    EXPECT_FALSE(handler.LoadMemory(small.data(), small.size()));

    // PSD: 30 000 x 30 000 in 104 bytes.
    std::vector<uint8_t> psd(104, 0);
    std::memcpy(psd.data(), "8BPS\0\1", 6);
    psd[13] = 3;
    const uint8_t side[4] = {0, 0, 0x75, 0x30};
    std::memcpy(&psd[14], side, 4);
    std::memcpy(&psd[18], side, 4);
    psd[23] = 8;
    psd[25] = 3;
    ASSERT_TRUE(test::WriteBytes(dir / "big.psd", psd));
    EXPECT_FALSE(LoadFromFile(dir / "big.psd", image));
    EXPECT_NE(LastImageFileError().find("30000 x 30000"), std::string::npos) << LastImageFileError();
    FreeImageHandler psdHandler;
    EXPECT_FALSE(psdHandler.LoadMemory(psd.data(), psd.size()));
}

}  // namespace
}  // namespace clipvane
