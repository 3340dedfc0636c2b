// One instance per session with the real program: programs started at once
// settle on one window that holds every file, a running instance that does
// not answer makes the next start fail fast, --config hands over like any
// start and --new-instance is the way to a second window. And Ctrl+W closes
// a tab.
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;
using Clock = std::chrono::steady_clock;

struct AppFixes : ::testing::Test {
    void SetUp() override {
        std::string error;
        ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
        dir =
            std::filesystem::temp_directory_path() / ("clipvane-fixes-" + std::to_string(getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // A small PNG of its own size, so that each file is told apart by it.
    std::string Picture(const std::string& name, int width, int height) {
        const std::string path = Path(name);
        RunCommand("convert -size " + std::to_string(width) + "x" + std::to_string(height) + " xc:teal '" + path + "'");
        return path;
    }
    // The titles of the open documents, closing each in turn.
    static std::set<std::string> CloseAll(ClipvaneProcess& app) {
        std::set<std::string> titles;
        for (int i = 0; i < 20; ++i) {
            const std::string info = app.Info();
            if (info.empty() || info == "?") break;
            titles.insert(info.substr(0, info.find(';')));
            if (!app.Command(kCmdFileClose)) break;
            WaitFor([&] { return app.Info() != info; }, 5000);
        }
        return titles;
    }
    static std::string BusOwnerPid() {
        const std::string reply = RunCommand(
            "dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
            "org.freedesktop.DBus.GetConnectionUnixProcessID string:org.clipvane.Clipvane 2>&1");
        const size_t at = reply.find("uint32 ");
        return at == std::string::npos ? reply : Trim(reply.substr(at + 7));
    }

    std::filesystem::path dir;
};

// Six programs started together: the first to take the bus name runs, the
// other five hand their files over and end with status 0.
TEST_F(AppFixes, ProgramsStartedTogetherEndAsOneInstanceWithEveryFile) {
    const auto start = Clock::now();
    std::vector<std::unique_ptr<ClipvaneProcess>> apps;
    std::set<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "at-once-" + std::to_string(i) + ".png";
        expected.insert("title=" + name);
        apps.push_back(
            std::make_unique<ClipvaneProcess>(Path("config.ini"), std::vector<std::string>{Picture(name, 20 + i, 10)}));
    }
    std::vector<int> statuses(apps.size(), -2);
    auto ended = [&] {
        int n = 0;
        for (size_t i = 0; i < apps.size(); ++i) {
            if (statuses[i] == -2 && apps[i]->Pid() > 0) {
                const int status = apps[i]->WaitExit(0);
                if (apps[i]->Pid() < 0) statuses[i] = status;
            }
            n += statuses[i] != -2;
        }
        return n;
    };
    ASSERT_TRUE(WaitFor([&] { return ended() == 5; }, 40000)) << ended() << " of 6 ended";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(ended(), 5);
    ClipvaneProcess* running = nullptr;
    for (size_t i = 0; i < apps.size(); ++i) {
        if (statuses[i] == -2)
            running = apps[i].get();
        else
            EXPECT_EQ(statuses[i], 0) << "instance " << i;
    }
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(BusOwnerPid(), std::to_string(running->Pid()));
    ASSERT_TRUE(WaitFor([&] { return running->Info().find("title=") != std::string::npos; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CloseAll(*running), expected);
    ASSERT_TRUE(running->Command(kCmdAppExit));
    EXPECT_EQ(running->WaitExit(10000), 0);
    std::printf("[ figures  ] six programs started together settled in %.1f s\n",
                std::chrono::duration<double>(Clock::now() - start).count());
}

// The owner of the name is stopped (SIGSTOP): the next start says so on
// standard error and fails within seconds instead of waiting and exiting 0.
TEST_F(AppFixes, AnInstanceThatDoesNotAnswerMakesTheNextStartFailFast) {
    ClipvaneProcess first(Path("config.ini"));
    ASSERT_TRUE(first.WaitForService());
    const std::string picture = Picture("late.png", 16, 16);
    ASSERT_EQ(kill(first.Pid(), SIGSTOP), 0);
    const auto start = Clock::now();
    int status = -1;
    const std::string out = RunCommand(
        "timeout 40 " + BinaryDir() + "/clipvane --config '" + Path("config.ini") + "' '" + picture + "' 2>&1",
        &status);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    kill(first.Pid(), SIGCONT);
    EXPECT_NE(status, 0) << out;
    EXPECT_NE(out.find("did not answer"), std::string::npos) << out;
    EXPECT_LT(seconds, 12.0) << out;
    std::printf("[ figures  ] a start against a stopped instance gave up after %.1f s\n", seconds);
    // Awake again, it still answers and took nothing.
    ASSERT_TRUE(first.WaitForService());
    EXPECT_EQ(first.Info(), "");
}

// --config does not make a second window: the files go to the running one.
// --new-instance does, under a bus name of its own that it names. Ctrl+W
// closes the active tab.
TEST_F(AppFixes, ConfigHandsOverNewInstanceStartsAnotherAndCtrlWCloses) {
    ClipvaneProcess first(Path("config.ini"));
    ASSERT_TRUE(first.WaitForService());
    const std::string picture = Picture("handed.png", 12, 9);
    int status = -1;
    const std::string out = RunCommand(
        "timeout 20 " + BinaryDir() + "/clipvane --config '" + Path("other.ini") + "' '" + picture + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("--config is not used"), std::string::npos) << out;
    ASSERT_TRUE(WaitFor([&] { return first.Info().find("title=handed.png;size=12x9") != std::string::npos; }))
        << first.Info();
    EXPECT_FALSE(std::filesystem::exists(Path("other.ini")));

    // Ctrl+W on the main window closes the tab.
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    Keys(main, "ctrl+w");
    EXPECT_TRUE(WaitFor([&] { return first.Info().empty(); }, 5000)) << first.Info();

    int fd = -1;
    const pid_t second =
        Spawn({"/bin/sh", "-c",
               "exec '" + BinaryDir() + "/clipvane' --new-instance --config '" + Path("other.ini") + "' 2>&1"},
              &fd);
    std::string line;
    while (ReadLine(fd, &line, 15000) && line.rfind("clipvane:", 0) != 0) {
        // Qt's own warnings come first.
    }
    const std::string own = "org.clipvane.Clipvane.Instance" + std::to_string(second);
    EXPECT_EQ(line, "clipvane: separate instance; D-Bus name " + own);
    std::string reply;
    EXPECT_TRUE(WaitFor(
        [&] {
            int s = -1;
            reply = RunCommand("dbus-send --session --print-reply --dest=" + own +
                                   " /Clipvane org.clipvane.Clipvane.ActiveDocumentInfo 2>&1",
                               &s);
            return s == 0;
        },
        15000))
        << reply;
    EXPECT_EQ(BusOwnerPid(), std::to_string(first.Pid()));
    Terminate(second);
    close(fd);
}

// Online Help on a desktop whose opener fails (xdg-open without a browser)
// says so in a message instead of nothing.
TEST_F(AppFixes, OnlineHelpWithoutABrowserSaysSo) {
    std::filesystem::create_directories(dir / "bin");
    const std::string opener = Path("bin/xdg-open");
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/asked\"\nexit 3\n";
    }
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (Path("bin") + ":" + oldPath).c_str(), 1);
    ClipvaneProcess app(Path("config.ini"));
    setenv("PATH", oldPath.c_str(), 1);
    ASSERT_TRUE(app.WaitForService());
    ASSERT_FALSE(FindWindow("Clipvane").empty());
    ASSERT_TRUE(app.Command(kCmdOnlineHelp));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(Path("bin/asked")); }, 5000));
    // The main window and the message box, both called "Clipvane".
    EXPECT_TRUE(WaitFor(
        [&] { return Trim(RunCommand("xdotool search --onlyvisible --name '^Clipvane$' 2>/dev/null | wc -l")) == "2"; },
        5000));
}

}  // namespace
