// Redact on the real program, as a person would use it: capture a terminal
// showing a secret, drag a Crop band over the text with the pointer, press
// Ctrl+Shift+X, save, and find the band turned into uniform cells with every
// other pixel of the capture as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;
using clipvane::PixelImage;
using clipvane::Rect;

// Green text on white: the terminal's text pixels are the strongly green
// ones, which nothing else on the captured frame (title bar, icon) is.
bool TextPixel(const uint8_t* p) { return p[1] > 100 && p[0] < 80 && p[2] < 80; }

Rect Bounds(const PixelImage& image, bool (*inside)(const uint8_t*)) {
    Rect r{image.Width(), image.Height(), 0, 0};
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (inside(image.PixelAddress(x, y))) {
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    return r;
}

bool SameRgb(const PixelImage& a, int ax, int ay, const PixelImage& b, int bx, int by) {
    const uint8_t* p = a.PixelAddress(ax, ay);
    const uint8_t* q = b.PixelAddress(bx, by);
    return p[0] == q[0] && p[1] == q[1] && p[2] == q[2];
}

// Where `picture` appears whole on `screen`, found from one row of its text.
bool Locate(const PixelImage& screen, const PixelImage& picture, const Rect& text, int* sx, int* sy) {
    const int row = (text.top + text.bottom) / 2;
    for (int y = row; y < screen.Height() - (picture.Height() - row); ++y)
        for (int x = text.left; x < screen.Width() - (picture.Width() - text.left); ++x) {
            bool match = true;
            for (int i = text.left; i < text.right && match; ++i)
                match = SameRgb(screen, x + i - text.left, y, picture, i, row);
            if (!match) continue;
            const int ox = x - text.left, oy = y - row;
            for (int j = 0; j < picture.Height() && match; ++j)
                for (int i = 0; i < picture.Width() && match; ++i)
                    match = SameRgb(screen, ox + i, oy + j, picture, i, j);
            if (match) {
                *sx = ox;
                *sy = oy;
                return true;
            }
        }
    return false;
}

std::string Drag(int x0, int y0, int x1, int y1) {
    std::string steps = "xdotool mousemove " + std::to_string(x0) + " " + std::to_string(y0) + " mousedown 1";
    for (int i = 1; i <= 4; ++i)
        steps += " mousemove " + std::to_string(x0 + (x1 - x0) * i / 4) + " " + std::to_string(y0 + (y1 - y0) * i / 4);
    return steps + " mouseup 1";
}

TEST(Redact, ShortcutPixelatesTheCropBandOverATerminalCapture) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("clipvane-redact-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "shots");
    const std::string shot = (dir / "shots" / "Term1.bmp").string();
    {
        std::ofstream config(dir / "config.ini");
        config << "[CaptureSet]\nHideWndBeforCap=0\nCapAppViewMode=0\n[AudoSaveSet]\nIsAudoSave=1\nImageFormat=0\n"
               << "ImageSavePath=" << (dir / "shots").string() << "\nImageSaveTitle=Term\nStartNum=1\n";
    }
    auto app = std::make_unique<ClipvaneProcess>((dir / "config.ini").string());
    ASSERT_TRUE(app->WaitForService());
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    RunCommand("xdotool windowmove --sync " + main + " 0 0; xdotool windowsize --sync " + main + " 1000 700");

    // A terminal away from the main window, showing one line of green text
    // with the cursor hidden.
    const pid_t term = Spawn({"xterm", "-title", "RedactTerm", "-geometry", "44x3+1300+700", "-fa", "DejaVu Sans Mono",
                              "-fs", "9", "-bg", "white", "-fg", "rgb:00/a0/00", "-e", "sh", "-c",
                              "printf '\\033[?25lpassword: hunter2 token 8f3a91cc'; sleep 60"});
    ASSERT_GT(term, 0) << "xterm did not start";
    // Gone at the end whatever happens, so no later test finds it on the screen.
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            if (pid > 0) Terminate(pid);
        }
    } reaper{term};
    const std::string termWindow = FindWindow("RedactTerm");
    ASSERT_FALSE(termWindow.empty()) << "the terminal did not map";
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // its text drawn

    ASSERT_TRUE(app->Call("CaptureWindow", "int32:1 uint64:" + termWindow, nullptr));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(shot); }, 10000)) << "no capture saved";
    ASSERT_TRUE(WaitFor([&] { return app->Info().find("title=Term1.bmp;") != std::string::npos; }, 5000))
        << app->Info();
    Terminate(term);
    reaper.pid = -1;
    PixelImage original;
    ASSERT_TRUE(clipvane::LoadFromFile(shot, original));
    const Rect text = Bounds(original, TextPixel);
    ASSERT_FALSE(text.IsEmpty()) << "no text in the capture";
    ASSERT_GE(text.Height(), 6);
    ASSERT_LE(text.Height(), 20) << "more than the one line of text";
    const Rect band = Rect{text.left - 3, text.top - 3, text.right + 3, text.bottom + 3}.Intersected(
        Rect{0, 0, original.Width(), original.Height()});

    // The capture as the editor shows it, at 100 %.
    int ox = 0, oy = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            RunCommand("import -window root '" + (dir / "screen.png").string() + "' 2>/dev/null");
            PixelImage screen;
            return clipvane::LoadFromFile((dir / "screen.png").string(), screen) &&
                   Locate(screen, original, text, &ox, &oy);
        },
        8000))
        << "the capture is not on the screen";

    ASSERT_TRUE(app->Command(kCmdToolCrop));
    RunCommand(Drag(ox + band.left, oy + band.top, ox + band.right, oy + band.bottom));
    Keys(main, "ctrl+shift+x");
    ASSERT_TRUE(WaitFor([&] { return app->Info().find("undo=1;") != std::string::npos; }, 5000)) << app->Info();
    ASSERT_TRUE(app->Command(kCmdFileSave));
    ASSERT_TRUE(WaitFor([&] { return app->Info().find("modified=0;") != std::string::npos; }, 5000)) << app->Info();

    PixelImage saved;
    ASSERT_TRUE(clipvane::LoadFromFile(shot, saved));
    ASSERT_EQ(saved.Width(), original.Width());
    ASSERT_EQ(saved.Height(), original.Height());
    // What changed lies inside the band the pointer drew (give or take the
    // pixel the pointer lands on), and spans its whole height: each cell is
    // as tall as the band.
    Rect changed{saved.Width(), saved.Height(), 0, 0};
    for (int y = 0; y < saved.Height(); ++y)
        for (int x = 0; x < saved.Width(); ++x)
            if (!SameRgb(saved, x, y, original, x, y)) {
                changed.left = std::min(changed.left, x);
                changed.top = std::min(changed.top, y);
                changed.right = std::max(changed.right, x + 1);
                changed.bottom = std::max(changed.bottom, y + 1);
            }
    ASSERT_FALSE(changed.IsEmpty()) << "nothing was redacted";
    EXPECT_GE(changed.left, band.left - 1);
    EXPECT_GE(changed.top, band.top - 1);
    EXPECT_LE(changed.right, band.right + 1);
    EXPECT_LE(changed.bottom, band.bottom + 1);
    EXPECT_LE(std::abs(changed.Height() - band.Height()), 1);
    EXPECT_LE(changed.left, text.left);
    EXPECT_GE(changed.right, text.right);
    // Uniform cells, as tall as the band (12 pixels at least), from the
    // first changed one: no letter shape is left.
    const int cell = std::max(12, changed.Height());
    for (int x0 = changed.left; x0 < changed.right; x0 += cell)
        for (int y = changed.top; y < changed.bottom; ++y)
            for (int x = x0; x < std::min(x0 + cell, changed.right); ++x)
                ASSERT_TRUE(SameRgb(saved, x, y, saved, x0, changed.top)) << x << "," << y;

    app.reset();
    std::filesystem::remove_all(dir);
}

}  // namespace
