// Tray mode with `trayer` as the notification area: the icon appears, a left
// click hides and shows the main window, minimising hides it, and switching
// tray mode off removes the icon.
#include <fstream>
#include <sstream>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

// The window id of trayer's panel, "" when it is not there.
std::string Panel() { return Trim(RunCommand("xdotool search --name '^panel$' 2>/dev/null | head -1")); }

// Clipvane's icon window inside the panel as "id x y" (absolute centre), "" without one.
std::string TrayIconAt(const std::string& panel) {
    const std::string tree = RunCommand("xwininfo -tree -id " + panel + " 2>/dev/null");
    const size_t at = tree.find("\"Clipvane\"");
    if (at == std::string::npos) return "";
    const size_t lineStart = tree.rfind('\n', at) + 1;
    const std::string id = Trim(tree.substr(lineStart, at - lineStart));
    const std::string info = RunCommand("xwininfo -id " + id);
    auto field = [&](const std::string& name) {
        const size_t p = info.find(name);
        return p == std::string::npos ? 0 : std::atoi(info.c_str() + p + name.size());
    };
    const int x = field("Absolute upper-left X:") + field("Width:") / 2;
    const int y = field("Absolute upper-left Y:") + field("Height:") / 2;
    return id + " " + std::to_string(x) + " " + std::to_string(y);
}

// The main window's WM_STATE: "Normal", "Iconic", "Withdrawn" or "" when unknown.
std::string MainState(const std::string& window) {
    const std::string out = RunCommand("xprop -id " + window + " WM_STATE 2>/dev/null");
    for (const char* s : {"Normal", "Iconic", "Withdrawn"})
        if (out.find(s) != std::string::npos) return s;
    return out.find("not found") != std::string::npos || out.empty() ? "Withdrawn" : "";
}

// The visible main window: the "Clipvane" window wider than a tray icon.
std::string FindMainWindow() {
    std::istringstream ids(RunCommand("xdotool search --onlyvisible --name '^Clipvane$' 2>/dev/null"));
    std::string id;
    while (ids >> id) {
        const std::string geometry = RunCommand("xdotool getwindowgeometry " + id);
        const size_t at = geometry.find("Geometry: ");
        if (at != std::string::npos && std::atoi(geometry.c_str() + at + 10) > 200) return id;
    }
    return "";
}

bool MainVisible(const std::string& window) {
    const std::string ids = RunCommand("xdotool search --onlyvisible --name '^Clipvane$' 2>/dev/null");
    std::istringstream in(ids);
    std::string id;
    while (in >> id)
        if (id == window) return true;
    return false;
}

void ClickAt(const std::string& iconAt) {
    std::istringstream in(iconAt);
    std::string id;
    int x = 0, y = 0;
    in >> id >> x >> y;
    // Apart from the previous click by more than the double-click time.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

TEST(AppTray, IconTogglesTheWindowAndGoesAwayWhenTrayModeEnds) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const pid_t trayer = Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                                "32", "--SetDockType", "true"});
    ASSERT_GT(trayer, 0);
    std::string panel;
    ASSERT_TRUE(WaitFor([&] { return !(panel = Panel()).empty(); })) << "trayer did not start";

    const std::string config = "/tmp/clipvane-tray-" + std::to_string(getpid()) + ".ini";
    std::ofstream(config) << "[AppSet]\nIsTrayMode=1\n";
    {
        ClipvaneProcess app(config);
        ASSERT_TRUE(app.WaitForService());
        std::string main;
        ASSERT_TRUE(WaitFor([&] {
            main = FindMainWindow();
            return !main.empty();
        }));
        std::string icon;
        ASSERT_TRUE(WaitFor([&] { return !(icon = TrayIconAt(panel)).empty(); })) << "no tray icon in the panel";

        // A left click hides the visible window; the next brings it back.
        ClickAt(icon);
        ASSERT_TRUE(WaitFor([&] { return !MainVisible(main); })) << MainState(main);
        ClickAt(icon);
        ASSERT_TRUE(WaitFor([&] { return MainVisible(main); }));

        // Minimising in tray mode hides the window completely.
        RunCommand("xdotool windowminimize " + main);
        ASSERT_TRUE(WaitFor([&] { return MainState(main) == "Withdrawn"; })) << MainState(main);
        ClickAt(icon);
        ASSERT_TRUE(WaitFor([&] { return MainVisible(main); }));

        // Tray mode off: the icon leaves the panel at once.
        ASSERT_TRUE(app.Command(kCmdTrayMode));
        ASSERT_TRUE(WaitFor([&] { return TrayIconAt(panel).empty(); })) << "the icon stayed";
        ASSERT_TRUE(app.Command(kCmdAppExit));
        EXPECT_EQ(app.WaitExit(10000), 0);
    }
    std::ifstream in(config);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(written.find("IsTrayMode=0"), std::string::npos) << written;
    std::remove(config.c_str());
    Terminate(trayer);
}

}  // namespace
