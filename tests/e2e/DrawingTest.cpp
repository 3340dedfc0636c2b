// Drawing on a picture the way a person does: tools chosen from the menu's
// command ids, the pointer moved and pressed on the screen with xdotool, a
// text typed into the Edit Text dialog, the result saved as PNG and its
// pixels checked where each object must be. Every creation is undone and
// redone and must give back exactly the pixels before and after it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

// The marker pixel at the picture's top-left, found on the screen to learn
// where the picture is shown.
constexpr int kMarkerRed = 1, kMarkerGreen = 254, kMarkerBlue = 3;

struct Rgb {
    int r, g, b;
};

Rgb PixelOf(const clipvane::PixelImage& image, int x, int y) {
    const uint8_t* p = image.PixelAddress(x, y);
    return {p[2], p[1], p[0]};
}

bool IsWhite(Rgb c) { return c.r == 255 && c.g == 255 && c.b == 255; }
bool IsDark(Rgb c) { return c.r < 80 && c.g < 80 && c.b < 80; }

std::string Show(Rgb c) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", c.r, c.g, c.b);
    return text;
}

class Pointer {
public:
    Pointer(int originX, int originY) : ox_(originX), oy_(originY) {}

    void MoveTo(int x, int y) { Step("mousemove " + std::to_string(ox_ + x) + " " + std::to_string(oy_ + y)); }
    void Click(int x, int y) {
        MoveTo(x, y);
        Step("click 1");
    }
    // Presses at the first point, moves in a few steps and releases at the second.
    void Drag(int x1, int y1, int x2, int y2) {
        MoveTo(x1, y1);
        Step("mousedown 1");
        for (int i = 1; i <= 4; ++i) MoveTo(x1 + (x2 - x1) * i / 4, y1 + (y2 - y1) * i / 4);
        Step("mouseup 1");
    }

private:
    static void Step(const std::string& command) {
        RunCommand("xdotool " + command);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
    int ox_, oy_;
};

class DrawingSession {
public:
    explicit DrawingSession(ClipvaneProcess& app) : app_(app) {}

    // "WxH objects=N SHA256" of what the active document shows.
    std::string Pixels() {
        std::string reply;
        if (!app_.Call("ActiveDocumentPixels", "", &reply)) return "?";
        const size_t q = reply.find('"');
        const size_t e = reply.rfind('"');
        return q == std::string::npos || e <= q ? std::string() : reply.substr(q + 1, e - q - 1);
    }
    bool WaitObjects(int count) {
        const std::string want = " objects=" + std::to_string(count) + " ";
        return WaitFor([&] { return Pixels().find(want) != std::string::npos; }, 5000);
    }
    // Undo gives back exactly `before`, Redo exactly what was there.
    void ExpectUndoRestores(const std::string& before, const char* what) {
        const std::string after = Pixels();
        ASSERT_TRUE(app_.Command(kCmdEditUndo)) << what;
        EXPECT_TRUE(WaitFor([&] { return Pixels() == before; }, 5000)) << what << ": undo gave " << Pixels();
        ASSERT_TRUE(app_.Command(kCmdEditRedo)) << what;
        EXPECT_TRUE(WaitFor([&] { return Pixels() == after; }, 5000)) << what << ": redo gave " << Pixels();
    }

private:
    ClipvaneProcess& app_;
};

// Where the picture's top-left pixel is on the screen, from a screenshot.
bool FindMarker(const std::string& shot, int* x, int* y) {
    clipvane::PixelImage screen;
    if (!clipvane::LoadFromFile(shot, screen) || screen.Depth() < 24) return false;
    for (int j = 0; j < screen.Height(); ++j)
        for (int i = 0; i < screen.Width(); ++i) {
            const Rgb c = PixelOf(screen, i, j);
            if (c.r == kMarkerRed && c.g == kMarkerGreen && c.b == kMarkerBlue) {
                *x = i;
                *y = j;
                return true;
            }
        }
    return false;
}

TEST(Drawing, EveryToolDrawsSelectsMovesDeletesAndUndoes) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("clipvane-draw-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string picture = (dir / "picture.png").string();
    const std::string saved = (dir / "drawn.png").string();
    const std::string shot = (dir / "screen.png").string();
    // An opaque white picture with the marker at its top-left.
    RunCommand("convert -size 640x480 xc:white -fill 'rgb(1,254,3)' -draw 'point 0,0' '" + picture + "'");

    ClipvaneProcess app((dir / "config.ini").string());
    ASSERT_TRUE(app.WaitForService());
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    RunCommand("xdotool windowmove --sync " + main + " 0 0; xdotool windowsize --sync " + main + " 1600 1000");
    std::string reply;
    ASSERT_TRUE(app.Call("Open", "string:" + picture, &reply)) << reply;
    RunCommand("xdotool windowactivate --sync " + main);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    int ox = 0, oy = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            RunCommand("import -window root '" + shot + "' 2>/dev/null");
            return FindMarker(shot, &ox, &oy);
        },
        10000))
        << "the picture is not on the screen";
    Pointer pointer(ox, oy);
    DrawingSession session(app);
    std::string before = session.Pixels();
    ASSERT_NE(before.find("640x480 objects=0 "), std::string::npos) << before;

    // One object of each kind dragged out; every creation is one undoable step.
    const struct {
        const char* name;
        unsigned tool;
        int x1, y1, x2, y2;
    } drags[] = {{"line", kCmdToolLine, 40, 40, 240, 40},
                 {"arrow", kCmdToolArrow, 40, 100, 240, 100},
                 {"shape", kCmdToolShape, 300, 40, 400, 120},
                 {"highlight", kCmdToolHighlight, 440, 40, 540, 120},
                 {"stamp", kCmdToolStamp, 40, 200, 104, 248}};
    int count = 0;
    for (const auto& d : drags) {
        ASSERT_TRUE(app.Command(d.tool)) << d.name;
        pointer.Drag(d.x1, d.y1, d.x2, d.y2);
        ASSERT_TRUE(session.WaitObjects(++count)) << d.name << ": " << session.Pixels();
        session.ExpectUndoRestores(before, d.name);
        before = session.Pixels();
    }

    // A click with the Text tool makes a 100 x 50 box and opens the dialog;
    // the text holds a character outside ASCII.
    ASSERT_TRUE(app.Command(kCmdToolText));
    pointer.Click(300, 200);
    const std::string dialog = FindWindow("Edit Text");
    ASSERT_FALSE(dialog.empty()) << "no Edit Text dialog";
    // A German keyboard has keys for the umlaut and the sharp s: typing them
    // needs no remapped key, which the program could read before the new
    // mapping arrives.
    RunCommand("setxkbmap de");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    TypeText(dialog, "Grüße");
    RunCommand("setxkbmap us");
    Keys(dialog, "Return");
    ASSERT_TRUE(session.WaitObjects(6)) << session.Pixels();
    ASSERT_TRUE(WaitFor([&] { return FindWindow("Edit Text", 200).empty(); }, 5000));
    session.ExpectUndoRestores(before, "text");

    // Each object selected in turn, for the record.
    ASSERT_TRUE(app.Command(kCmdToolSelect));
    const struct {
        const char* name;
        int x, y;
    } kinds[] = {{"line", 140, 40},      {"arrow", 140, 100}, {"shape", 350, 80},
                 {"highlight", 490, 80}, {"stamp", 72, 224},  {"text", 350, 225}};
    for (const auto& k : kinds) {
        pointer.Click(k.x, k.y);
        RunCommand("import -window root '" + ArtifactDir() + "/drawing_selected_" + k.name + ".png' 2>/dev/null");
    }

    // Move the line down by 20: the first press selects it, the second drags.
    pointer.Click(140, 40);
    pointer.Drag(140, 40, 140, 60);
    // Resize the shape by its bottom-right handle.
    pointer.Click(350, 80);
    pointer.Drag(400, 120, 420, 140);
    // Delete the arrow with the Delete key.
    pointer.Click(140, 100);
    Keys(main, "Delete");
    ASSERT_TRUE(session.WaitObjects(5)) << session.Pixels();

    // Save As PNG and check the pixels where each object must be.
    ASSERT_TRUE(app.Command(kCmdFileSaveAs));
    const std::string saveDialog = FindWindow("Save As");
    ASSERT_FALSE(saveDialog.empty()) << "no Save As dialog";
    Keys(saveDialog, "ctrl+a");
    TypeText(saveDialog, saved);
    Keys(saveDialog, "Return");
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(saved); }));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=0") != std::string::npos; })) << app.Info();
    clipvane::PixelImage out;
    ASSERT_TRUE(clipvane::LoadFromFile(saved, out));
    ASSERT_EQ(out.Width(), 640);
    ASSERT_EQ(out.Height(), 480);

    // The line, moved down by 20: black at y = 60 (a shadowed object is
    // drawn 5 pixels right of and below its place), nothing left at y = 40.
    EXPECT_TRUE(IsDark(PixelOf(out, 140, 65))) << Show(PixelOf(out, 140, 65));
    EXPECT_TRUE(IsWhite(PixelOf(out, 140, 40))) << Show(PixelOf(out, 140, 40));
    EXPECT_TRUE(IsWhite(PixelOf(out, 140, 45))) << Show(PixelOf(out, 140, 45));
    // The deleted arrow left nothing.
    EXPECT_TRUE(IsWhite(PixelOf(out, 140, 100))) << Show(PixelOf(out, 140, 100));
    // The shape's border, resized to the right edge at 420; white inside.
    EXPECT_TRUE(IsDark(PixelOf(out, 300, 80))) << Show(PixelOf(out, 300, 80));
    EXPECT_TRUE(IsDark(PixelOf(out, 419, 80))) << Show(PixelOf(out, 419, 80));
    EXPECT_TRUE(IsWhite(PixelOf(out, 350, 80))) << Show(PixelOf(out, 350, 80));
    // The highlight, navy (0, 0, 128) at half strength over opaque white:
    // (128 * 127 * 255 + 255 * 32640) / 65025 = 191 for blue, 128 for red and green.
    const Rgb highlight = PixelOf(out, 490, 80);
    EXPECT_EQ(highlight.r, 128) << Show(highlight);
    EXPECT_EQ(highlight.g, 128) << Show(highlight);
    EXPECT_EQ(highlight.b, 191) << Show(highlight);
    // The stamp's middle is not the white page.
    EXPECT_FALSE(IsWhite(PixelOf(out, 72, 224))) << Show(PixelOf(out, 72, 224));
    // Dark text pixels inside the text box.
    int dark = 0;
    for (int y = 200; y < 250; ++y)
        for (int x = 300; x < 400; ++x) dark += IsDark(PixelOf(out, x, y)) ? 1 : 0;
    EXPECT_GT(dark, 20) << "no text in the text box";
    // Untouched paper far from every object.
    EXPECT_TRUE(IsWhite(PixelOf(out, 600, 400)));

    std::filesystem::remove_all(dir);
}

}  // namespace
