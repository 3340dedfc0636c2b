// clipvane-image apply end to end: files in, the command's sequence, file out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ImageBuilders.h"
#include "support/MagickFiles.h"
#include "support/PixelChecks.h"
#include "imagefile/ImageFile.h"
#include "image/effects/EffectRegistry.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

class ApplyTool : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("CLIPVANE_BINARY_DIR");
        tool = bin ? fs::path(bin) / "clipvane-image" : fs::path();
        if (tool.empty() || !fs::exists(tool)) GTEST_SKIP() << "clipvane-image is not built";
        dir = fs::temp_directory_path() / ("clipvane-apply-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        input = test::PhotoLike(37, 21, 24, 6);
        ASSERT_TRUE(SaveImageFile(input, (dir / "in.bmp").string()));
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }
    int Run(const std::string& args) {
        const std::string cmd = Quote(tool) + " apply " + args + " >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string In() const { return Quote(dir / "in.bmp"); }
    std::string Out(const char* name) const { return Quote(dir / name); }
    static std::string Quote(const fs::path& path) {
        std::string quoted(1, '\'');
        quoted.append(path.string());
        quoted.push_back('\'');
        return quoted;
    }
    PixelImage Load(const char* name) const {
        PixelImage img;
        EXPECT_TRUE(LoadFromFile((dir / name).string(), img));
        return img;
    }

    fs::path tool, dir;
    PixelImage input;
};

TEST_F(ApplyTool, RunsTheCommandSequence) {
    ASSERT_EQ(Run("20035:3 " + In() + " " + Out("a.bmp")), 0);
    PixelImage expected = input;
    EffectParams p;
    p.values[0] = 3;
    p.count = 1;
    expected.ConvertTo(32);
    ASSERT_TRUE(RunEffectCommand(kCmdEmboss, p, expected));
    PixelImage got = Load("a.bmp");
    got.ConvertTo(24);
    EXPECT_TRUE(test::SamePixels(got, expected));
}

TEST_F(ApplyTool, SeedMakesRandomCommandsRepeatable) {
    ASSERT_EQ(Run("--seed 9 20037:7 " + In() + " " + Out("a.bmp")), 0);
    ASSERT_EQ(Run("--seed 9 20037:7 " + In() + " " + Out("b.bmp")), 0);
    ASSERT_EQ(Run("--seed 10 20037:7 " + In() + " " + Out("c.bmp")), 0);
    EXPECT_TRUE(test::SamePixels(Load("a.bmp"), Load("b.bmp")));
    EXPECT_FALSE(test::SamePixels(Load("a.bmp"), Load("c.bmp")));
}

TEST_F(ApplyTool, RejectsBadArguments) {
    EXPECT_EQ(Run("19999 " + In() + " " + Out("x.bmp")), 2);          // not an Image/Filter id
    EXPECT_EQ(Run("20020:1,2,3,4 " + In() + " " + Out("x.bmp")), 2);  // four parameters
    EXPECT_EQ(Run("20020:7x " + In() + " " + Out("x.bmp")), 2);
    EXPECT_EQ(Run("--seed -1 20020 " + In() + " " + Out("x.bmp")), 2);
    EXPECT_EQ(Run("20020 " + In()), 2);
    EXPECT_EQ(Run("20020 '" + (dir / "missing.bmp").string() + "' " + Out("x.bmp")), 1);
    EXPECT_FALSE(fs::exists(dir / "x.bmp"));
}

TEST_F(ApplyTool, AcceptsOptionsAnywhere) {
    ASSERT_EQ(Run("--seed 9 20037:7 " + In() + " " + Out("a.bmp")), 0);
    ASSERT_EQ(Run("20037:7 " + In() + " " + Out("b.bmp") + " --seed 9"), 0);
    ASSERT_EQ(Run("20037:7 --seed=9 " + In() + " " + Out("c.bmp")), 0);
    EXPECT_TRUE(test::SamePixels(Load("a.bmp"), Load("b.bmp")));
    EXPECT_TRUE(test::SamePixels(Load("a.bmp"), Load("c.bmp")));
    // "--" ends the options: an output named like an option is a file.
    const std::string inDir = "cd " + Quote(dir) + " && " + Quote(tool) + " apply ";
    EXPECT_EQ(test::Run(inDir + "--seed 9 -- 20037:7 in.bmp -d.bmp 2>/dev/null"), 0);
    EXPECT_TRUE(test::SamePixels(Load("a.bmp"), Load("-d.bmp")));
    EXPECT_EQ(test::Run(inDir + "20037:7 in.bmp -e.bmp 2>/dev/null"), 2);  // an unknown option
    EXPECT_EQ(Run("20037:7 " + In() + " " + Out("f.bmp") + " --seed"), 2);
    EXPECT_FALSE(fs::exists(dir / "f.bmp"));
}

TEST_F(ApplyTool, ThreadCountsGiveTheSameFile) {
    // Blur (row groups of one), mosaic (groups of a block) and a turn, on an
    // image tall enough for every thread to get rows.
    PixelImage tall = test::PhotoLike(45, 300, 24, 8);
    ASSERT_TRUE(SaveImageFile(tall, (dir / "tall.bmp").string()));
    const std::string in = Quote(dir / "tall.bmp");
    for (const char* command : {"20042", "20040:7", "20004", "20019"}) {
        ASSERT_EQ(Run(std::string("--threads 1 ") + command + " " + in + " " + Out("one.bmp")), 0) << command;
        ASSERT_EQ(Run(std::string("--threads=3 ") + command + " " + in + " " + Out("three.bmp")), 0) << command;
        ASSERT_EQ(Run(std::string(command) + " " + in + " " + Out("default.bmp")), 0) << command;
        EXPECT_TRUE(test::SamePixels(Load("one.bmp"), Load("three.bmp"))) << command;
        EXPECT_TRUE(test::SamePixels(Load("one.bmp"), Load("default.bmp"))) << command;
    }
    EXPECT_EQ(Run("--threads -1 20020 " + In() + " " + Out("x.bmp")), 2);
    EXPECT_EQ(Run("--threads 1025 20020 " + In() + " " + Out("x.bmp")), 2);
    EXPECT_EQ(Run("--threads two 20020 " + In() + " " + Out("x.bmp")), 2);
    EXPECT_EQ(Run("20020 " + In() + " " + Out("x.bmp") + " --threads"), 2);
    EXPECT_FALSE(fs::exists(dir / "x.bmp"));
}

TEST_F(ApplyTool, RefusesParametersOutsideTheDialogRanges) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run("20036:1000 " + In() + " " + Out("x.bmp")), 2);  // oil paint radius, dialog stops at 15
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Run("20036:0 " + In() + " " + Out("x.bmp")), 2);
    EXPECT_EQ(Run("20017:0,255,8 " + In() + " " + Out("x.bmp")), 2);     // channel set 1..7
    EXPECT_EQ(Run("20009:30001,10,1 " + In() + " " + Out("x.bmp")), 2);  // resize side
    EXPECT_EQ(Run("20016:0,-129,0 " + In() + " " + Out("x.bmp")), 2);    // RGB offset
    EXPECT_EQ(Run("20014:0x1000000 " + In() + " " + Out("x.bmp")), 2);   // colour 0xBBGGRR
    EXPECT_EQ(Run("20005:1 " + In() + " " + Out("x.bmp")), 2);           // no parameters
    EXPECT_EQ(Run("20043 " + In() + " " + Out("x.bmp")), 2);             // Redact needs a band
    EXPECT_FALSE(fs::exists(dir / "x.bmp"));
    const std::string message =
        test::Capture(Quote(tool) + " apply 20036:1000 " + In() + " " + Out("x.bmp") + " 2>&1 >/dev/null");
    EXPECT_NE(message.find("radius 1000"), std::string::npos) << message;
    EXPECT_NE(message.find("1..15"), std::string::npos) << message;
    // The ends of each range are accepted.
    EXPECT_EQ(Run("20036:15 " + In() + " " + Out("a.bmp")), 0);
    EXPECT_EQ(Run("20016:-128,128,0 " + In() + " " + Out("b.bmp")), 0);
    EXPECT_EQ(Run("20017:0,255,7 " + In() + " " + Out("c.bmp")), 0);
}

TEST_F(ApplyTool, ListPrintsEveryCommandWithItsRanges) {
    const std::string list = test::Capture(Quote(tool) + " list");
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = list.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(list.substr(at, end - at));
    ASSERT_EQ(lines.size(), EffectRegistry().size()) << list;
    for (size_t i = 0; i < lines.size(); ++i) {
        const EffectEntry& e = EffectRegistry()[i];
        EXPECT_EQ(lines[i].rfind(std::to_string(e.id) + " " + e.name, 0), 0u) << lines[i];
    }
    // What apply accepts, with the start value it uses when left out.
    EXPECT_NE(list.find("\n20036 oil-paint radius=2 (1..15 px)\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\n20020 invert\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\n20014 color-tone colour=0x21A8FE (0x000000..0xFFFFFF)\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\n20016 rgb-value red=0 (-128..128), green=0 (-128..128), blue=0 (-128..128)\n"),
              std::string::npos)
        << list;
    EXPECT_EQ(test::Run(Quote(tool) + " list extra 2>/dev/null"), 2);
    EXPECT_NE(test::Capture(Quote(tool) + " --help").find("list"), std::string::npos);
}

}  // namespace
}  // namespace clipvane
