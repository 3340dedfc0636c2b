// config.ini as hostile or unlucky input: special files, oversized files,
// symlinks and permissions, out-of-range numbers and titles with folders in
// them; and the file parsed once however many keys are read.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "settings/CaptureSettings.h"
#include "settings/ProfileFile.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("cv_profilefile_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "config.ini").string();
        setenv("XDG_PICTURES_DIR", (dir_ / "Pictures").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(ProfileFileTest, AFifoGivesTheDefaultsAtOnceAndIsNeverReplaced) {
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    ProfileFile f(path_);
    auto read = std::async(std::launch::async, [&] { return f.GetInt("CaptureSet", "CapDelayTime", 1234); });
    if (read.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end.
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        read.wait();
        FAIL() << "reading a FIFO blocked";
    }
    EXPECT_EQ(read.get(), 1234);
    EXPECT_TRUE(f.Exists());
    EXPECT_NE(f.Error().find("not a regular file"), std::string::npos) << f.Error();
    EXPECT_FALSE(f.WriteInt("AudoSaveSet", "StartNum", 5));
    struct stat st {};
    ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ProfileFileTest, AnOversizedFileGivesTheDefaultsAndStaysAsItWas) {
    {
        std::ofstream out(path_, std::ios::binary);
        out << "[AudoSaveSet]\nStartNum=77\n";
        out << std::string(size_t(kMaxProfileBytes), ';');
    }
    const auto size = fs::file_size(path_);
    ProfileFile f(path_);
    EXPECT_EQ(f.GetInt("AudoSaveSet", "StartNum", 1), 1);
    EXPECT_NE(f.Error().find("4 MiB"), std::string::npos) << f.Error();
    EXPECT_FALSE(f.WriteInt("AudoSaveSet", "StartNum", 5));
    EXPECT_EQ(fs::file_size(path_), size);

    // Exactly at the limit is still read.
    fs::resize_file(path_, uintmax_t(kMaxProfileBytes));
    EXPECT_EQ(f.GetInt("AudoSaveSet", "StartNum", 1), 77);
    EXPECT_EQ(f.Error(), "");
}

TEST_F(ProfileFileTest, WritesGoThroughASymlinkAndKeepTheMode) {
    fs::create_directories(dir_ / "dotfiles");
    const fs::path real = dir_ / "dotfiles" / "clipvane.ini";
    std::ofstream(real) << "[AppSet]\nIsTrayMode=1\n";
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink("dotfiles/clipvane.ini", path_);

    ProfileFile f(path_);
    ASSERT_TRUE(f.WriteInt("AudoSaveSet", "StartNum", 9));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(Read(real), "[AppSet]\nIsTrayMode=1\n\n[AudoSaveSet]\nStartNum=9\n");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // No temporary file is left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "dotfiles"), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);

    // A link whose target does not exist yet: the target is created.
    const std::string dangling = (dir_ / "dangling.ini").string();
    fs::create_symlink("dotfiles/new.ini", dangling);
    ProfileFile g(dangling);
    ASSERT_TRUE(g.WriteBool("AppSet", "IsEnableHotkey", true));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(Read(dir_ / "dotfiles" / "new.ini"), "[AppSet]\nIsEnableHotkey=1\n");
}

TEST_F(ProfileFileTest, ChangesMadeByAnotherProgramAreSeen) {
    std::ofstream(path_) << "[A]\nx=1\n";
    ProfileFile f(path_);
    EXPECT_EQ(f.GetInt("A", "x", 0), 1);
    {
        // Replaced, as editors do, with a new file.
        const std::string other = (dir_ / "other").string();
        std::ofstream(other) << "[A]\nx=22\ny=3\n";
        fs::rename(other, path_);
    }
    EXPECT_EQ(f.GetInt("A", "x", 0), 22);
    ASSERT_TRUE(f.WriteInt("A", "z", 4));
    EXPECT_EQ(Read(path_), "[A]\nx=22\ny=3\nz=4\n");
    fs::remove(path_);
    EXPECT_EQ(f.GetInt("A", "x", 0), 0);
    EXPECT_FALSE(f.Exists());
}

TEST_F(ProfileFileTest, ALargeFileIsParsedOnceForAllKeys) {
    {
        std::ofstream out(path_, std::ios::binary);
        // About 3.5 MB of keys before the settings, in many sections.
        for (int i = 0; i < 100000; ++i)
            out << (i % 50 == 0 ? "[Filler" + std::to_string(i) + "]\n" : "") << "Key" << i << "=value\n";
        out << "[AudoSaveSet]\nStartNum=42\nImageSaveTitle=Big\n";
    }
    ASSERT_LT(fs::file_size(path_), uintmax_t(kMaxProfileBytes));
    using Clock = std::chrono::steady_clock;
    auto us = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::microseconds>(d).count(); };
    ProfileFile f(path_);
    CaptureSettings s;
    const auto start = Clock::now();
    s.Load(f);  // reads and parses the file
    const auto first = Clock::now();
    for (int i = 0; i < 20; ++i) s.Load(f);
    const auto end = Clock::now();
    EXPECT_EQ(s.startNum, 42);
    EXPECT_EQ(s.imageSaveTitle, "Big");
    // Twenty more loads of ~30 keys each cost less than the one parse: the
    // file is not read again for every key (that took about 250 ms a load).
    EXPECT_LT(us(end - first), us(first - start)) << "first load " << us(first - start) << " us";
}

TEST_F(ProfileFileTest, ScrollHeightLimitHasADefaultAndARange) {
    CaptureSettings s;
    std::ofstream(path_) << "[CaptureSet]\nFixRectWidth=10\n";
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.scrollMaxHeight, kDefaultScrollMaxHeight);
    std::ofstream(path_) << "[CaptureSet]\nScrollMaxHeight=5\n";
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.scrollMaxHeight, kMinScrollMaxHeight);
    std::ofstream(path_) << "[CaptureSet]\nScrollMaxHeight=99999999999\n";
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.scrollMaxHeight, kMaxScrollMaxHeight);
    std::ofstream(path_) << "[CaptureSet]\nScrollMaxHeight=3000\n";
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.scrollMaxHeight, 3000);
}

TEST_F(ProfileFileTest, NumbersAreKeptWithinTheirRanges) {
    std::ofstream(path_) << "[CaptureSet]\nCapDelayTime=99999999999\nFixRectWidth=2147483647\nFixRectHeight=-50\n"
                            "[AudoSaveSet]\nStartNum=99999999999999999999\n"
                            "[CapRegion]\nHotkey=300\nHotkeyMask=-1\n";
    CaptureSettings s;
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.capDelayTime, kMaxCaptureDelay);
    EXPECT_EQ(s.fixRectWidth, kMaxFixRectSide);
    EXPECT_EQ(s.fixRectHeight, 1);
    EXPECT_EQ(s.startNum, kMaxStartNum);
    EXPECT_EQ(s.Hotkey(CaptureMode::Region), (HotkeyDef{255, 0}));

    std::ofstream(path_) << "[CaptureSet]\nFixRectWidth=0\n[AudoSaveSet]\nStartNum=2147483647\n";
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.fixRectWidth, 1);
    EXPECT_EQ(s.startNum, kMaxStartNum);
    std::ofstream(path_) << "[AudoSaveSet]\nStartNum=-7\n";
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.startNum, 0);
    // A clamped counter is written back as the number it became, never as -1.
    ProfileFile f(path_);
    std::ofstream(path_) << "[AudoSaveSet]\nStartNum=99999999999999999999\n";
    s.Load(f);
    s.SaveOnClose(f);
    EXPECT_EQ(f.GetString("AudoSaveSet", "StartNum"), "999999999");
}

TEST_F(ProfileFileTest, TheTitleIsAFileNameStem) {
    for (const auto& [stored, title] : std::vector<std::pair<std::string, std::string>>{{"../../x", "x"},
                                                                                        {"..", "Snap"},
                                                                                        {".", "Snap"},
                                                                                        {"a/", "Snap"},
                                                                                        {"/etc/passwd", "passwd"},
                                                                                        {"Shot", "Shot"}}) {
        std::ofstream(path_) << "[AudoSaveSet]\nImageSaveTitle=" << stored << "\n";
        CaptureSettings s;
        s.Load(ProfileFile(path_));
        EXPECT_EQ(s.imageSaveTitle, title) << stored;
    }
    CaptureSettings s;
    s.imageSavePath = "/home/u/Shots";
    s.imageSaveTitle = "../../x";  // typed into memory some other way
    EXPECT_EQ(NumberedCapturePath(s), "/home/u/Shots/x1.bmp");
    s.imageSaveTitle = "..";
    EXPECT_EQ(NumberedCapturePath(s), "/home/u/Shots/1.bmp");
}

TEST_F(ProfileFileTest, FirstRunDefaultsShowCapturesAndKeepTheWindowOutOfThem) {
    CaptureSettings s;
    s.ApplyFirstRunDefaults();
    EXPECT_TRUE(s.hideWindowBeforeCapture);
    EXPECT_TRUE(s.restoreWindowAfterCapture);
    EXPECT_TRUE(s.copyToClipboard);
    EXPECT_EQ(s.capAppViewMode, kViewNewWindow);
    EXPECT_FALSE(s.isAutoSave);
}

}  // namespace
