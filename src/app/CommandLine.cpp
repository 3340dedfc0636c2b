#include "app/CommandLine.h"

#include <cstdlib>
#include <cstring>

#include "base/HelpPage.h"

namespace clipvane {

namespace {

const HelpPage& Page() {
    static const HelpPage page{
        "clipvane",
        "screen capture and image editor",
        {"[OPTION]... [FILE]...", "--capture MODE", "--shot MODE --output FILE [--delay MS]"},
        "Screen capture and image editing. Opens each image FILE in a tab; when Clipvane is already running, "
        "the files (and --capture) go to that instance, whatever --config says.",
        "OPTIONS",
        {
            {"--config PATH", "read and write the settings in PATH"},
            {"--new-instance",
             "start a separate instance even when one runs (it gets a D-Bus name of its own, said on standard "
             "error)"},
            {"--capture MODE",
             "capture now (full, window, region, active, scroll, fixed), in the running instance or in one "
             "started for it"},
            {"--shot MODE --output FILE [--delay MS]", "capture (full or active) to FILE without a window and exit"},
            {"--help", "show this help"},
            {"--version", "show the version"},
        },
        {
            {"FILES",
             "config.ini beside the program when that file exists, or when its folder is writable and the "
             "program is not installed (no data folder beside it); otherwise "
             "$XDG_CONFIG_HOME/clipvane/config.ini (by default ~/.config/clipvane/config.ini).\n\n"
             "The data folder: share/clipvane beside the program's folder (/usr/share/clipvane for /usr/bin/clipvane), "
             "holding the capture sound clipvane.wav and the stamps folder.\n\n"
             "Stamps: the pictures in the data folder's stamps, then the image files in "
             "$XDG_DATA_HOME/clipvane/stamps (by default ~/.local/share/clipvane/stamps).\n\n"
             "Unsaved documents are kept against a crash in $XDG_STATE_HOME/clipvane/recovery (by default "
             "~/.local/state/clipvane/recovery)."},
            {"ENVIRONMENT",
             "CLIPVANE_TRACE: when set, trace lines go to standard error.\n\n"
             "CLIPVANE_PLATFORM: x11, wayland or portal (Wayland with every grab through the desktop portal) "
             "chooses how the screen is captured; unset, a Wayland session (WAYLAND_DISPLAY set, Qt on its "
             "wayland platform) captures through wlr-screencopy or the desktop portal, anything else through "
             "X11. On Wayland, window, active-window and scrolling capture are not possible and say so."},
            {"D-BUS",
             "The running instance owns the name org.clipvane.Clipvane on the session bus, object /Clipvane, "
             "interface org.clipvane.Clipvane (Command, Open, Activate, ActiveDocumentInfo, "
             "ActiveDocumentPixels, Capture, Highlight, CaptureWindow). Through the installed D-Bus service "
             "file, a call to that name starts Clipvane when it is not running."},
            {"EXIT STATUS",
             "0 on success; 1 when a --shot capture failed, or a file or capture handed to the running "
             "instance was refused or not answered; 2 for wrong arguments or when no X11 or Wayland display is "
             "available."},
            {"SEE ALSO", "clipvane-image(1)"},
        },
    };
    return page;
}

}  // namespace

const char* UsageText() {
    static const std::string text = FormatHelp(Page());
    return text.c_str();
}

std::string ManPage() { return FormatManPage(Page(), "Clipvane " CLIPVANE_VERSION, CLIPVANE_RELEASE_DATE); }

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
        } else if (arg == "--help-man") {
            cl.helpMan = true;
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
