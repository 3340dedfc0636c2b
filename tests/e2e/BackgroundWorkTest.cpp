// Effects on a large image run off the user-interface thread: the window
// stays live, Esc stops the work and leaves image and history as they were,
// and work left to finish gives the same bytes as the command-line runner.
// Driven through the menus with the keyboard, as a person would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

int UndoCount(const std::string& info) {
    const size_t at = info.find("undo=");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 5);
}

// The answer of ActiveDocumentPixels: size, object count and digest.
std::string Pixels(ClipvaneProcess& app) {
    std::string reply;
    app.Call("ActiveDocumentPixels", "", &reply);
    const size_t open = reply.find("string \"");
    return open == std::string::npos ? reply : Trim(reply.substr(open));
}

struct BigImage {
    BigImage() {
        dir = std::filesystem::temp_directory_path() / ("clipvane-bgwork-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        // 4000 x 3000 with detail everywhere, written quickly as a BMP.
        RunCommand("convert -size 400x300 plasma:fractal -seed 7 -scale 1000% '" + Path("big.bmp") + "'");
    }
    ~BigImage() {
        app.reset();
        std::filesystem::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    bool Start() {
        app = std::make_unique<ClipvaneProcess>(Path("config.ini"), std::vector<std::string>{Path("big.bmp")});
        if (!app->WaitForService()) return false;
        if (!WaitFor([&] { return app->Info().find("size=4000x3000") != std::string::npos; }, 20000)) return false;
        main = FindWindow("Clipvane");
        return !main.empty();
    }

    // Opens the Image menu from the File menu (Alt+I is also Filter's key)
    // and walks `keys` in it.
    void ImageMenu(const std::string& keys) { Keys(main, "alt+f Right Right Right Right " + keys); }

    std::filesystem::path dir;
    std::unique_ptr<ClipvaneProcess> app;
    std::string main;
};

TEST(BackgroundWork, EscStopsAnEffectAndLeavesPixelsAndHistoryAsTheyWere) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    BigImage session;
    ASSERT_TRUE(session.Start());
    ClipvaneProcess& app = *session.app;
    const std::string before = Pixels(app);
    ASSERT_NE(before.find("4000x3000"), std::string::npos) << before;
    ASSERT_EQ(UndoCount(app.Info()), 0);

    // Image / Hue/Saturation, the hue slider to its end, OK, and Esc at once:
    // the keys queue behind OK, so Esc arrives while the effect works.
    session.ImageMenu("Down Down Down Down Down Down Down Return");
    const std::string dialog = FindWindow("Hue/Saturation");
    ASSERT_FALSE(dialog.empty()) << "no Hue/Saturation dialog";
    const auto started = std::chrono::steady_clock::now();
    Keys(dialog, "End Return Escape");
    ASSERT_TRUE(WaitFor([&] { return FindWindow("Hue/Saturation", 0).empty(); }, 20000));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(UndoCount(app.Info()), 0) << app.Info();
    EXPECT_EQ(Pixels(app), before);
    std::printf("cancelled after %.2f s\n", seconds);

    // The window is free again, and the same keys without Esc apply the
    // effect (so the Esc above did stop a running effect).
    session.ImageMenu("Down Down Down Down Down Down Down Return");
    const std::string again = FindWindow("Hue/Saturation");
    ASSERT_FALSE(again.empty()) << "no Hue/Saturation dialog";
    Keys(again, "End Return");
    ASSERT_TRUE(WaitFor([&] { return UndoCount(app.Info()) == 1; }, 20000)) << app.Info();
    EXPECT_NE(Pixels(app), before);
}

TEST(BackgroundWork, AnEffectLeftToFinishGivesTheCommandLinesBytes) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    BigImage session;
    // The same command through the runner of clipvane-image, for comparison.
    RunCommand(BinaryDir() + "/clipvane-image apply " + std::to_string(kCmdGreyImage) + " '" + session.Path("big.bmp") +
               "' '" + session.Path("expected.bmp") + "'");
    const std::string expected = ImageInfo(session.Path("expected.bmp"));
    ASSERT_NE(expected.find("4000x3000 24"), std::string::npos) << expected;
    ASSERT_TRUE(session.Start());
    ClipvaneProcess& app = *session.app;

    // Image / Gray Image, then save over the opened file.
    session.ImageMenu("g");
    ASSERT_TRUE(WaitFor([&] { return UndoCount(app.Info()) == 1; }, 20000)) << app.Info();
    ASSERT_TRUE(app.Command(kCmdFileSave));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=0") != std::string::npos; }, 20000)) << app.Info();
    EXPECT_EQ(ImageInfo(session.Path("big.bmp")), expected);
}

}  // namespace
