#pragma once
// The program's command line: image files to open, --config PATH,
// --capture MODE, and the one-shot --shot MODE --output FILE [--delay MS].
#include <string>
#include <vector>

namespace clipvane {

struct CommandLine {
    std::vector<std::string> files;
    std::string configPath;
    std::string capture;  // full, window, region, active, scroll, fixed
    std::string shot;     // full, active
    std::string output;
    int delayMs = 0;
    bool newInstance = false;  // --new-instance: never hand over to a running one
    bool help = false;
    bool version = false;
    bool helpMan = false;  // --help-man: the manual page, written at build time
    std::string error;     // non-empty: the arguments are wrong
};

CommandLine ParseCommandLine(int argc, char** argv);
// --help: the options and what they do.
const char* UsageText();
// The manual page clipvane(1) in roff, from the same description as --help.
std::string ManPage();

}  // namespace clipvane
