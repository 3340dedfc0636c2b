#include "app/CommandLine.h"

#include <cstdlib>
#include <cstring>

namespace clipvane {

const char* UsageText() {
    return "Usage: clipvane [OPTION]... [FILE]...\n"
           "Screen capture and image editing. Opens each image FILE in a tab;\n"
           "when Clipvane is already running, the files (and --capture) go to that\n"
           "instance, whatever --config says.\n"
           "\n"
           "  --config PATH         read and write the settings in PATH\n"
           "  --new-instance        start a separate instance even when one runs (it gets\n"
           "                        a D-Bus name of its own, said on standard error)\n"
           "  --capture MODE        capture now (full, window, region, active, scroll, fixed)\n"
           "  --shot MODE --output FILE [--delay MS]\n"
           "                        capture (full or active) to FILE without a window and exit\n"
           "  --help                show this help\n"
           "  --version             show the version\n";
}

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine cl;
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* out) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                *out = arg.substr(eq + 1);
                return true;
            }
            if (i + 1 >= argc) {
                cl.error = "option " + arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        auto is = [&](const char* name) { return arg == name || (arg.rfind(std::string(name) + "=", 0) == 0); };
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            cl.files.push_back(arg);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--help" || arg == "-h") {
            cl.help = true;
        } else if (arg == "--new-instance") {
            cl.newInstance = true;
        } else if (arg == "--version") {
            cl.version = true;
        } else if (is("--config")) {
            if (!value(&cl.configPath)) break;
        } else if (is("--capture")) {
            if (!value(&cl.capture)) break;
        } else if (is("--shot")) {
            if (!value(&cl.shot)) break;
        } else if (is("--output")) {
            if (!value(&cl.output)) break;
        } else if (is("--delay")) {
            std::string text;
            if (!value(&text)) break;
            char* end = nullptr;
            const long ms = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end || ms < 0 || ms > 3600000) {
                cl.error = "--delay needs a number of milliseconds";
                break;
            }
            cl.delayMs = int(ms);
        } else if (arg.rfind("-platform", 0) == 0 || arg.rfind("-display", 0) == 0) {
            // Qt's own options: left for QApplication.
            if (arg.find('=') == std::string::npos) ++i;
        } else {
            cl.error = "unknown option " + arg;
            break;
        }
    }
    if (cl.error.empty() && !cl.shot.empty() && cl.output.empty()) cl.error = "--shot needs --output FILE";
    if (cl.error.empty() && cl.shot.empty() && !cl.output.empty()) cl.error = "--output only goes with --shot";
    return cl;
}

}  // namespace clipvane
