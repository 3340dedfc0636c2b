// clipvane-image apply end to end: files in, the command's sequence, file out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "imagefile/ImageFile.h"
#include "image/effects/EffectCommands.h"

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

}  // namespace
}  // namespace clipvane
