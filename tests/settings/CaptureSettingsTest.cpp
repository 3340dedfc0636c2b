// ProfileFile's reading rules and the capture settings' defaults, fix-ups
// and write orders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/CaptureSettings.h"
#include "settings/ProfileFile.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("cv_profile_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / "config.ini").string();
        setenv("XDG_PICTURES_DIR", (dir_ / "Pictures").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Write(const std::string& text) { std::ofstream(path_) << text; }
    std::string Read() {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(ProfileTest, BooleansAcceptTrueYesAndNonZeroNumbers) {
    Write("[S]\na=yes\nb=TRUE\nc=1\nd=0\ne=no\nf=abc\ng=12abc\nh=-3\ni=\nj= Yes \n");
    ProfileFile f(path_);
    EXPECT_TRUE(f.GetBool("S", "a", false));
    EXPECT_TRUE(f.GetBool("S", "b", false));
    EXPECT_TRUE(f.GetBool("S", "c", false));
    EXPECT_FALSE(f.GetBool("S", "d", true));
    EXPECT_FALSE(f.GetBool("S", "e", true));
    EXPECT_FALSE(f.GetBool("S", "f", true));
    EXPECT_TRUE(f.GetBool("S", "g", false));
    EXPECT_TRUE(f.GetBool("S", "h", false));
    EXPECT_TRUE(f.GetBool("S", "i", true));  // empty gives the default
    EXPECT_FALSE(f.GetBool("S", "i", false));
    EXPECT_TRUE(f.GetBool("S", "j", false));  // values are trimmed
    EXPECT_TRUE(f.GetBool("S", "missing", true));
}

TEST_F(ProfileTest, IntegersIgnoreTrailingGarbageAndUseTheirBase) {
    Write("[s]\nn=42px\nempty=\nhex=ff\nneg=-5\nword=abc\nlong=" + std::string(70, '1') + "\n");
    ProfileFile f(path_);
    EXPECT_EQ(f.GetInt("S", "N", 0), 42);  // names match in any case
    EXPECT_EQ(f.GetInt("S", "empty", 9), 9);
    EXPECT_EQ(f.GetInt("S", "hex", 0, 16), 255);
    EXPECT_EQ(f.GetInt("S", "hex", 7), 0);  // base 10: no digits at all
    EXPECT_EQ(f.GetInt("S", "neg", 0), -5);
    EXPECT_EQ(f.GetInt("S", "word", 3), 0);
    EXPECT_EQ(f.GetInt("S", "nothing", 3), 3);
}

TEST_F(ProfileTest, NullNamesGiveDefaultsAndRefuseWrites) {
    ProfileFile f(path_);
    EXPECT_EQ(f.GetString(nullptr, "k", "d"), "d");
    EXPECT_EQ(f.GetString("S", nullptr, nullptr), "");
    EXPECT_FALSE(f.WriteString(nullptr, "k", "v"));
    EXPECT_FALSE(f.WriteInt("S", nullptr, 1));
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ProfileTest, WritesCreateTheFileAndUpdateInPlace) {
    ProfileFile f(path_);
    ASSERT_TRUE(f.WriteString("A", "x", "1"));
    ASSERT_TRUE(f.WriteString("B", "y", "two words"));
    ASSERT_TRUE(f.WriteInt("A", "z", -7));
    ASSERT_TRUE(f.WriteBool("a", "X", true));  // same key, other letter case
    ASSERT_TRUE(f.WriteString("B", "empty", nullptr));
    EXPECT_EQ(Read(), "[A]\nX=1\nz=-7\n\n[B]\ny=two words\nempty=\n");
    EXPECT_EQ(f.GetString("B", "y"), "two words");
    EXPECT_TRUE(f.HasKey("B", "empty"));
    EXPECT_FALSE(f.HasKey("B", "none"));
}

TEST_F(ProfileTest, TheFirstWriteCreatesTheConfigurationFolder) {
    const std::string nested = (dir_ / "xdg" / "clipvane" / "config.ini").string();
    ProfileFile f(nested);
    ASSERT_TRUE(f.WriteInt("AppSet", "IsTrayMode", 1));
    EXPECT_TRUE(f.GetBool("AppSet", "IsTrayMode", false));
}

TEST_F(ProfileTest, KeysOfOtherSectionsAndCommentsDoNotCount) {
    Write("; comment\n[Other]\nKey=1\n[Mine]\n#Key=2\n  Key = \"quoted value\" \r\n");
    ProfileFile f(path_);
    EXPECT_EQ(f.GetString("Mine", "Key"), "quoted value");
    EXPECT_EQ(f.GetInt("Other", "Key", 0), 1);
}

TEST_F(ProfileTest, FreshInstallationDefaults) {
    CaptureSettings s;
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.capDelayTime, 800);
    EXPECT_EQ(s.fixRectWidth, 100);
    EXPECT_EQ(s.fixRectHeight, 100);
    EXPECT_EQ(s.imageSaveTitle, "Snap");
    EXPECT_EQ(s.imageSavePath, (dir_ / "Pictures" / "Clipvane images").string());
    EXPECT_FALSE(fs::exists(s.imageSavePath));  // made only when a save needs it
    EXPECT_EQ(s.startNum, 1);
    EXPECT_EQ(s.imageFormat, kFormatBmp);
    EXPECT_EQ(s.capAppViewMode, kViewNewWindow);
    EXPECT_FALSE(s.hideWindowBeforeCapture || s.restoreWindowAfterCapture || s.playSoundOnCapture ||
                 s.copyToClipboard || s.isAutoSave || s.isTrayMode || s.isEnableHotkey);
    for (const HotkeyDef& h : s.hotkeys) EXPECT_EQ(h, HotkeyDef{});
}

TEST_F(ProfileTest, LoadFixUps) {
    Write(
        "[CaptureSet]\nCapDelayTime=0\nHideWndBeforCap=yes\n[AudoSaveSet]\nImageSaveTitle=\nImageSavePath=\n"
        "StartNum=12\nImageFormat=7\n[CapRegion]\nHotkey=82\nHotkeyMask=6\n");
    CaptureSettings s;
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.capDelayTime, 800);
    EXPECT_TRUE(s.hideWindowBeforeCapture);
    EXPECT_EQ(s.imageSaveTitle, "Snap");
    EXPECT_EQ(s.imageSavePath, (dir_ / "Pictures" / "Clipvane images").string());
    EXPECT_TRUE(fs::is_directory(s.imageSavePath));  // an empty folder value has the default one made
    EXPECT_EQ(s.startNum, 12);
    EXPECT_EQ(s.imageFormat, 7);
    EXPECT_EQ(s.Hotkey(CaptureMode::Region), (HotkeyDef{82, 6}));
    EXPECT_EQ(ProfileFile(path_).GetInt("CaptureSet", "CapDelayTime", -1), 0);  // the file keeps what was written
}

TEST_F(ProfileTest, WindowsDriveFolderAndOverlongValuesAreMended) {
    Write("[AudoSaveSet]\nImageSavePath=c:\\\nImageSaveTitle=" + std::string(80, 't') + "\n");
    CaptureSettings s;
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.imageSavePath, (dir_ / "Pictures" / "Clipvane images").string());
    EXPECT_EQ(s.imageSaveTitle.size(), kMaxSaveTitleLength);
}

TEST_F(ProfileTest, OnlyAbsoluteFoldersAreKept) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", dir_.c_str(), 1);
    for (const char* value : {"D:\\Shots", "shots/here", "C:\\"}) {
        Write(std::string("[AudoSaveSet]\nImageSavePath=") + value + "\n");
        CaptureSettings s;
        s.Load(ProfileFile(path_));
        EXPECT_EQ(s.imageSavePath, (dir_ / "Pictures" / "Clipvane images").string()) << value;
    }
    Write("[AudoSaveSet]\nImageSavePath=~/Shots\n");
    CaptureSettings s;
    s.Load(ProfileFile(path_));
    EXPECT_EQ(s.imageSavePath, (dir_ / "Shots").string());
    setenv("HOME", home.c_str(), 1);
}

TEST_F(ProfileTest, CaptureSetIsWrittenInItsOrder) {
    CaptureSettings s;
    s.capDelayTime = 300;  // written as entered
    s.copyToClipboard = true;
    s.imageSavePath = "/tmp/shots";
    ProfileFile f(path_);
    s.SaveCaptureSet(f);
    EXPECT_EQ(Read(),
              "[CaptureSet]\nHideWndBeforCap=0\nRestoreWndAftCap=0\nPlaySoundWhenCap=0\nCapAppViewMode=0\n"
              "CopyToClipboard=1\nCapDelayTime=300\nFixRectWidth=100\nFixRectHeight=100\n\n[AudoSaveSet]\n"
              "IsAudoSave=0\nImageFormat=0\nImageSavePath=/tmp/shots\nImageSaveTitle=Snap\nStartNum=1\n");
    CaptureSettings back;
    back.Load(f);
    EXPECT_EQ(back.imageSavePath, "/tmp/shots");
    EXPECT_TRUE(back.copyToClipboard);
}

TEST_F(ProfileTest, ScrollFromCurrentIsWrittenOnceItWasTurnedOn) {
    CaptureSettings s;
    ProfileFile f(path_);
    s.SaveCaptureSet(f);
    EXPECT_EQ(Read().find("ScrollFromCurrent"), std::string::npos);  // off by default, not written
    s.scrollFromCurrent = true;
    s.SaveCaptureSet(f);
    CaptureSettings back;
    back.Load(f);
    EXPECT_TRUE(back.scrollFromCurrent);
    // Turned off again: the key stays and says so.
    s.scrollFromCurrent = false;
    s.SaveCaptureSet(f);
    EXPECT_NE(Read().find("ScrollFromCurrent=0"), std::string::npos);
    back.Load(f);
    EXPECT_FALSE(back.scrollFromCurrent);
}

TEST_F(ProfileTest, HotkeysAreWrittenSectionBySection) {
    CaptureSettings s;
    for (int m = 0; m < kCaptureModeCount; ++m) s.hotkeys[size_t(m)] = DefaultHotkey(CaptureMode(m));
    ProfileFile f(path_);
    s.SaveHotkeys(f);
    const std::string text = Read();
    EXPECT_EQ(text.find("[CapFullScreen]\nHotkey=70\nHotkeyMask=7\n"), 0u);
    size_t last = 0;
    for (const char* section :
         {"CapFullScreen", "CapWindows", "CapActiveWindow", "CapRegion", "CapScroll", "CapFixRect"}) {
        const size_t at = text.find(std::string("[") + section + "]");
        ASSERT_NE(at, std::string::npos) << section;
        EXPECT_GE(at, last);
        last = at;
    }
    CaptureSettings back;
    back.Load(f);
    EXPECT_EQ(back.hotkeys, s.hotkeys);
}

TEST(HotkeyText, ShowsModifiersInCtrlAltShiftOrder) {
    EXPECT_EQ(HotkeyText({70, 6}), "Ctrl + Shift + F");
    EXPECT_EQ(HotkeyText({70, 1}), "Alt + F");
    EXPECT_EQ(HotkeyText({70, 3}), "Ctrl + Alt + F");
    EXPECT_EQ(HotkeyText({70, 7}), "Ctrl + Alt + Shift + F");
    EXPECT_EQ(HotkeyText({88, 4}), "Shift + X");
    EXPECT_EQ(HotkeyText({0, 0}), "");
}

TEST(NumberedPath, FolderTitleNumberAndExtension) {
    CaptureSettings s;
    s.imageSavePath = "/home/u/Shots/";
    s.imageSaveTitle = "Snap";
    s.startNum = 7;
    s.imageFormat = kFormatJpeg;
    EXPECT_EQ(NumberedCapturePath(s), "/home/u/Shots/Snap7.jpg");
    s.imageFormat = 9;
    s.startNum = 10;
    EXPECT_EQ(NumberedCapturePath(s), "/home/u/Shots/Snap10");
    s.imageFormat = kFormatGif;
    EXPECT_EQ(NumberedCapturePath(s), "/home/u/Shots/Snap10.gif");
}

}  // namespace
