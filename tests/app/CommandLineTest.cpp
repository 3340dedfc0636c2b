#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace clipvane {
namespace {

CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "clipvane");
    return ParseCommandLine(int(args.size()), const_cast<char**>(args.data()));
}

TEST(CommandLine, FilesAndOptions) {
    const CommandLine cl = Parse({"a.png", "--config", "/tmp/c.ini", "b.jpg", "--capture=region"});
    EXPECT_TRUE(cl.error.empty()) << cl.error;
    EXPECT_EQ(cl.files, (std::vector<std::string>{"a.png", "b.jpg"}));
    EXPECT_EQ(cl.configPath, "/tmp/c.ini");
    EXPECT_EQ(cl.capture, "region");
}

TEST(CommandLine, OneShotNeedsAnOutputAndAValidDelay) {
    EXPECT_FALSE(Parse({"--shot", "full"}).error.empty());
    EXPECT_FALSE(Parse({"--output", "x.png"}).error.empty());
    EXPECT_FALSE(Parse({"--shot", "full", "--output", "x.png", "--delay", "soon"}).error.empty());
    const CommandLine ok = Parse({"--shot", "active", "--output", "x.png", "--delay", "250"});
    EXPECT_TRUE(ok.error.empty());
    EXPECT_EQ(ok.delayMs, 250);
}

TEST(CommandLine, MistakesAreReported) {
    EXPECT_FALSE(Parse({"--bogus"}).error.empty());
    EXPECT_FALSE(Parse({"--config"}).error.empty());
    // After "--" everything is a file, even names starting with a dash.
    const CommandLine cl = Parse({"--", "--odd.png"});
    EXPECT_EQ(cl.files, std::vector<std::string>{"--odd.png"});
}

// A separate instance is started only when asked for; --config alone hands
// over to the running one like any other start.
TEST(CommandLine, NewInstanceIsAnExplicitOption) {
    EXPECT_FALSE(Parse({"--config", "/tmp/c.ini", "a.png"}).newInstance);
    const CommandLine cl = Parse({"--new-instance", "--config", "/tmp/c.ini", "a.png"});
    EXPECT_TRUE(cl.error.empty()) << cl.error;
    EXPECT_TRUE(cl.newInstance);
    EXPECT_EQ(cl.files, std::vector<std::string>{"a.png"});
    EXPECT_NE(std::string(UsageText()).find("--new-instance"), std::string::npos);
}

}  // namespace
}  // namespace clipvane
