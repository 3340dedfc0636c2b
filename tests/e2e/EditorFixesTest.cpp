// Editor fixes on the real program, driven as a person would: idle clicks of
// the Crop tool leave the undo history alone, and a picture with transparent
// pixels is shown over a checkerboard and saved back with its alpha.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "app/CommandIds.h"
#include "support/AppDriver.h"
#include "support/MagickFiles.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

// The opaque marker pixel at each picture's top-left, found on the screen.
constexpr int kMarkerRed = 1, kMarkerGreen = 254, kMarkerBlue = 3;

struct Session {
    Session() {
        clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
        dir = std::filesystem::temp_directory_path() / ("clipvane-editorfix-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }
    ~Session() {
        app.reset();  // ended without questions: nothing here needs saving
        std::filesystem::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    // Starts the program on `picture` with its main window at the screen's
    // top-left; false when it does not come up.
    bool Start(const std::string& picture) {
        app = std::make_unique<ClipvaneProcess>(Path("config.ini"));
        if (!app->WaitForService()) return false;
        main = FindWindow("Clipvane");
        if (main.empty()) return false;
        RunCommand("xdotool windowmove --sync " + main + " 0 0; xdotool windowsize --sync " + main + " 1000 700");
        std::string reply;
        if (!app->Call("Open", "string:" + picture, &reply) || reply.find("true") == std::string::npos) return false;
        RunCommand("xdotool windowactivate --sync " + main);
        return true;
    }
    // The screen position of the marker (the picture's top-left pixel).
    bool FindMarker(int* x, int* y) {
        return WaitFor(
            [&] {
                RunCommand("import -window root '" + Path("screen.png") + "' 2>/dev/null");
                clipvane::PixelImage screen;
                if (!clipvane::LoadFromFile(Path("screen.png"), screen) || screen.Depth() < 24) return false;
                shot = std::move(screen);
                for (int j = 0; j < shot.Height(); ++j)
                    for (int i = 0; i < shot.Width(); ++i) {
                        const uint8_t* p = shot.PixelAddress(i, j);
                        if (p[2] == kMarkerRed && p[1] == kMarkerGreen && p[0] == kMarkerBlue) {
                            *x = i;
                            *y = j;
                            return true;
                        }
                    }
                return false;
            },
            10000);
    }
    std::string Pixels() {
        std::string reply;
        if (!app->Call("ActiveDocumentPixels", "", &reply)) return "?";
        const size_t q = reply.find('"'), e = reply.rfind('"');
        return q == std::string::npos || e <= q ? std::string() : reply.substr(q + 1, e - q - 1);
    }
    std::filesystem::path dir;
    std::unique_ptr<ClipvaneProcess> app;
    std::string main;
    clipvane::PixelImage shot;
};

void Click(int x, int y) {
    RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
}

TEST(EditorFixes, IdleCropClicksLeaveAFlipUndoable) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    Session s;
    RunCommand("convert -size 320x240 plasma:fractal -fill 'rgb(1,254,3)' -draw 'point 0,0' '" + s.Path("in.png") +
               "'");
    ASSERT_TRUE(s.Start(s.Path("in.png")));
    int ox = 0, oy = 0;
    ASSERT_TRUE(s.FindMarker(&ox, &oy)) << "the picture is not on the screen";
    const std::string original = s.Pixels();

    ASSERT_TRUE(s.app->Command(kCmdFlipHorizontal));
    ASSERT_TRUE(WaitFor([&] { return s.app->Info().find("undo=1;") != std::string::npos; })) << s.app->Info();
    ASSERT_TRUE(s.app->Command(kCmdToolCrop));
    for (int i = 0; i < 10; ++i) Click(ox + 40 + 20 * i, oy + 60 + 10 * i);
    // Ten presses with nothing to burn in record nothing.
    EXPECT_NE(s.app->Info().find("undo=1;"), std::string::npos) << s.app->Info();
    // The pointer does reach the tool: a band dragged and Enter crop, as one step.
    RunCommand("xdotool mousemove " + std::to_string(ox + 20) + " " + std::to_string(oy + 20) + " mousedown 1");
    for (int i = 1; i <= 4; ++i)
        RunCommand("xdotool mousemove " + std::to_string(ox + 20 + 25 * i) + " " + std::to_string(oy + 20 + 20 * i));
    RunCommand("xdotool mouseup 1");
    Keys(s.main, "Return");
    ASSERT_TRUE(WaitFor([&] { return s.app->Info().find("size=100x80;") != std::string::npos; }, 5000))
        << s.app->Info();
    EXPECT_NE(s.app->Info().find("undo=2;"), std::string::npos) << s.app->Info();
    ASSERT_TRUE(s.app->Command(kCmdEditUndo));
    ASSERT_TRUE(s.app->Command(kCmdEditUndo));
    EXPECT_TRUE(WaitFor([&] { return s.Pixels() == original; }, 5000)) << s.Pixels();
}

TEST(EditorFixes, TransparentPngShowsACheckerboardAndSavesItsAlpha) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    Session s;
    // Clear on the left, half-transparent blue on the right, the opaque marker
    // at the top-left.
    RunCommand(
        "convert -size 64x48 xc:none -fill 'rgba(0,0,255,0.5)' -draw 'rectangle 32,0 63,47' "
        "-fill 'rgb(1,254,3)' -draw 'point 0,0' -depth 8 '" +
        s.Path("clear.png") + "'");
    ASSERT_TRUE(s.Start(s.Path("clear.png")));
    int ox = 0, oy = 0;
    ASSERT_TRUE(s.FindMarker(&ox, &oy)) << "the picture is not on the screen";
    // Clear pixels show light grey and white squares of 8, not black.
    const uint8_t* light = s.shot.PixelAddress(ox + 2, oy + 2);
    const uint8_t* dark = s.shot.PixelAddress(ox + 10, oy + 2);
    EXPECT_EQ(light[0] + light[1] + light[2], 3 * 255);
    EXPECT_EQ(dark[0] + dark[1] + dark[2], 3 * 204);

    ASSERT_TRUE(s.app->Command(kCmdFileSaveAs));
    const std::string dialog = FindWindow("Save As");
    ASSERT_FALSE(dialog.empty()) << "no Save As dialog";
    Keys(dialog, "ctrl+a");
    TypeText(dialog, s.Path("saved.png"));
    Keys(dialog, "Return");
    ASSERT_TRUE(WaitFor([&] { return s.app->Info().find("title=saved.png") != std::string::npos; })) << s.app->Info();
    const RgbaPixels in = MagickPixels(s.Path("clear.png")), out = MagickPixels(s.Path("saved.png"));
    ASSERT_EQ(in.width, 64);
    EXPECT_EQ(in.rgba, out.rgba);
    EXPECT_EQ(out.rgba[(10 * 64 + 10) * 4 + 3], 0);
}

}  // namespace
