#include <gtest/gtest.h>

#include <sstream>

#include "app/CommandLine.h"
#include "base/HelpPage.h"

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

// --help and the manual page come from one description: every option --help
// lists is an entry of the manual page's OPTIONS, and the build-time option
// stays out of --help.
TEST(CommandLine, ManualPageListsEveryOptionOfTheHelp) {
    const std::string help = UsageText();
    const std::string man = ManPage();
    std::istringstream lines(help);
    int options = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) != 0) continue;
        std::string name = line.substr(2, line.find(' ', 2) - 2);
        std::string roff;
        for (char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(man.find(".TP\n\\fB" + roff + "\\fR"), std::string::npos) << name;
        ++options;
    }
    EXPECT_GE(options, 6);
    EXPECT_EQ(help.find("--help-man"), std::string::npos);
    EXPECT_TRUE(Parse({"--help-man"}).helpMan);
    EXPECT_EQ(man.rfind(".TH \"CLIPVANE\" 1 ", 0), 0u);
    EXPECT_NE(man.find(CLIPVANE_VERSION), std::string::npos);
}

TEST(HelpPage, RoffEscapesWhatTroffWouldTakeAsControls) {
    EXPECT_EQ(RoffEscape("--a\\b"), "\\-\\-a\\eb");
    // A line starting with a dot or an apostrophe would be a request.
    EXPECT_EQ(RoffEscape(".config"), "\\&.config");
    EXPECT_EQ(RoffEscape("'x'"), "\\&'x'");
    HelpPage page{"prog",
                  "does things",
                  {"[--delay MS] [FILE]..."},
                  ".hidden files are read",
                  "OPTIONS",
                  {{"--size=N", "the size"}},
                  {}};
    const std::string man = FormatManPage(page, "Prog 1", "2026-01-01");
    EXPECT_NE(man.find("[\\fB\\-\\-delay\\fR \\fIMS\\fR] [\\fIFILE\\fR]..."), std::string::npos) << man;
    EXPECT_NE(man.find("\n\\&.hidden files are read\n"), std::string::npos) << man;
    EXPECT_NE(man.find("\\fB\\-\\-size\\fR=\\fIN\\fR"), std::string::npos) << man;
}

// Help text is filled to 79 columns, option texts aligned after their name
// or on the next line when the name is long.
TEST(HelpPage, HelpLinesFitTheTerminal) {
    HelpPage page{"prog",
                  "s",
                  {"FILE"},
                  "word word word word word word word word word word word word word word "
                  "word word word word word word word",
                  "OPTIONS",
                  {{"--short", "a b c d e f g h i j k l m n o p q r s t u v w x y z a b c d e f g h i j k l m n o"},
                   {"--a-very-long-option VALUE", "text"}},
                  {}};
    const std::string help = FormatHelp(page);
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
    EXPECT_NE(help.find("  --short               a b"), std::string::npos) << help;
    EXPECT_NE(help.find("  --a-very-long-option VALUE\n                        text\n"), std::string::npos) << help;
    EXPECT_EQ(help.rfind("Usage: prog FILE\n", 0), 0u);
}

}  // namespace
}  // namespace clipvane
