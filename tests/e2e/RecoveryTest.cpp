// Crash recovery on the real program: two documents with unsaved changes (an
// arrow drawn with the pointer, an inverted picture) are written to the
// recovery folder, the program is killed, and the next start restores them
// through its prompt, pixel for pixel, with the path kept so that Save
// writes where it did. Damaged entries are reported and restore nothing.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;
namespace fs = std::filesystem;

std::string Pixels(ClipvaneProcess& app) {
    std::string reply;
    if (!app.Call("ActiveDocumentPixels", "", &reply)) return "?";
    const size_t q = reply.find('"');
    const size_t e = reply.rfind('"');
    return q == std::string::npos || e <= q ? std::string() : reply.substr(q + 1, e - q - 1);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Recovery entries (and folders) under the state folder.
int CountEntries(const std::string& state, bool folders = false) {
    const fs::path root = fs::path(state) / "clipvane/recovery";
    std::error_code ec;
    if (!fs::exists(root, ec)) return 0;
    int n = 0;
    for (const auto& f : fs::recursive_directory_iterator(root, ec))
        if (folders ? f.is_directory() : f.path().extension() == ".cvr") ++n;
    return n;
}

bool Activate(ClipvaneProcess& app, const std::string& path, const std::string& title) {
    return app.Call("Open", "string:" + path, nullptr) &&
           WaitFor([&] { return Contains(app.Info(), "title=" + title + ";"); }, 5000);
}

TEST(Recovery, UnsavedDocumentsComeBackAfterAKill) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const std::string dir = "/tmp/clipvane-recovery-" + std::to_string(getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string a = dir + "/plasma.png", b = dir + "/white.png", config = dir + "/config.ini";
    const std::string state = ClipvaneProcess::StateDir(config);
    RunCommand("convert -size 200x150 plasma:fractal -depth 8 '" + a + "'");
    RunCommand("convert -size 1800x1200 gradient:white-gray80 -type TrueColor '" + b + "'");
    RunCommand("convert '" + a + "' -negate -depth 8 '" + dir + "/expected.png'");
    RunCommand("cp '" + b + "' '" + dir + "/original.png'");

    std::string pixelsA, pixelsB;
    {
        ClipvaneProcess app(config, {a, b});
        ASSERT_TRUE(app.WaitForService());
        ASSERT_TRUE(WaitFor([&] { return Contains(app.Info(), "title=white.png;"); })) << app.Info();
        const std::string main = FindWindow("Clipvane");
        ASSERT_FALSE(main.empty());
        RunCommand("xdotool windowmove --sync " + main + " 0 0; xdotool windowsize --sync " + main + " 1600 1000");
        RunCommand("xdotool windowactivate --sync " + main);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        // An arrow dragged across the middle of the picture, which fills the view.
        ASSERT_TRUE(app.Command(kCmdToolArrow));
        RunCommand("xdotool mousemove 500 450 mousedown 1 mousemove 600 480 mousemove 800 520 mouseup 1");
        ASSERT_TRUE(WaitFor([&] { return Contains(Pixels(app), "objects=1"); }, 5000)) << Pixels(app);
        pixelsB = Pixels(app);

        ASSERT_TRUE(Activate(app, a, "plasma.png"));
        ASSERT_TRUE(app.Command(kCmdInvert));
        ASSERT_TRUE(WaitFor([&] { return Contains(app.Info(), "modified=1"); })) << app.Info();
        pixelsA = Pixels(app);

        ASSERT_TRUE(WaitFor([&] { return CountEntries(state) == 2; }, 10000)) << CountEntries(state);
        kill(app.Pid(), SIGKILL);
        EXPECT_EQ(app.WaitExit(5000), -1);  // killed, not exited
    }
    ASSERT_EQ(CountEntries(state), 2);

    ClipvaneProcess app(config);
    ASSERT_TRUE(app.WaitForService());
    const std::string prompt = FindWindow("Restore Unsaved Documents");
    ASSERT_FALSE(prompt.empty()) << "no restore prompt";
    Keys(prompt, "Return");  // Restore, the default button

    // Each comes back modified under its title, its path kept: opening the
    // path again finds the restored tab.
    ASSERT_TRUE(Activate(app, b, "white.png"));
    EXPECT_TRUE(Contains(app.Info(), "modified=1")) << app.Info();
    EXPECT_EQ(Pixels(app), pixelsB);
    ASSERT_TRUE(app.Command(kCmdFileSave));
    ASSERT_TRUE(WaitFor([&] { return Contains(app.Info(), "modified=0"); })) << app.Info();

    ASSERT_TRUE(Activate(app, a, "plasma.png"));
    EXPECT_TRUE(Contains(app.Info(), "modified=1")) << app.Info();
    EXPECT_EQ(Pixels(app), pixelsA);
    ASSERT_TRUE(app.Command(kCmdFileSave));
    ASSERT_TRUE(WaitFor([&] { return Contains(app.Info(), "modified=0"); })) << app.Info();

    // The saved files: the inverted picture exactly, the arrow drawn in.
    EXPECT_EQ(Trim(RunCommand("compare -metric AE '" + a + "' '" + dir + "/expected.png' null: 2>&1")), "0");
    const std::string changed =
        Trim(RunCommand("compare -metric AE '" + b + "' '" + dir + "/original.png' null: 2>&1"));
    EXPECT_NE(changed, "0");

    ASSERT_TRUE(app.Command(kCmdAppExit));
    EXPECT_EQ(app.WaitExit(10000), 0);
    // A clean exit leaves neither entries nor folders.
    EXPECT_EQ(CountEntries(state), 0);
    EXPECT_EQ(CountEntries(state, true), 0);
    fs::remove_all(dir);
}

TEST(Recovery, DamagedEntriesAreReportedAndRestoreNothing) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const std::string dir = "/tmp/clipvane-recovery-damaged-" + std::to_string(getpid());
    fs::remove_all(dir);
    const std::string config = dir + "/config.ini";
    const fs::path folder = fs::path(ClipvaneProcess::StateDir(config)) / "clipvane/recovery/4242-1";
    fs::create_directories(folder);
    RunCommand("touch '" + (folder / "lock").string() + "'");
    RunCommand("printf 'CVRECOV\\n\\001\\000\\000\\000\\000\\000\\000\\000\\377\\377' > '" +
               (folder / "doc-1.cvr").string() + "'");
    RunCommand("head -c 4000 /dev/urandom > '" + (folder / "doc-2.cvr").string() + "'");

    ClipvaneProcess app(config);
    ASSERT_TRUE(app.WaitForService());
    const std::string report = FindWindow("Damaged Recovery Files");
    ASSERT_FALSE(report.empty()) << "the damaged entries were not reported";
    EXPECT_TRUE(FindWindow("Restore Unsaved Documents", 1000).empty());
    Keys(report, "Return");
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder); }, 5000));
    EXPECT_FALSE(Contains(app.Info(), "title=")) << app.Info();
    ASSERT_TRUE(app.Command(kCmdAppExit));
    EXPECT_EQ(app.WaitExit(10000), 0);
    fs::remove_all(dir);
}

}  // namespace
