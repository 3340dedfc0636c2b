// PNG with editable annotations driven as a person does: a shape and a
// highlight dragged out on a picture, Save As with "PNG with editable
// annotations" picked in the file dialog's type list, the tab closed and the
// file opened again: the objects are back and selectable (a click selects
// the shape, Delete removes it, Ctrl+S saves the form again), a plain PNG
// Save As gives the same pixels, and a damaged copy opens as the flattened
// picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

// Where the picture's marker pixel (1, 254, 3) is on the screen.
bool FindMarker(const std::string& shot, int* x, int* y) {
    clipvane::PixelImage screen;
    if (!clipvane::LoadFromFile(shot, screen) || screen.Depth() < 24) return false;
    const int step = screen.Depth() / 8;
    for (int j = 0; j < screen.Height(); ++j)
        for (int i = 0; i < screen.Width(); ++i) {
            const uint8_t* p = screen.Row(j) + i * step;
            if (p[2] == 1 && p[1] == 254 && p[0] == 3) {
                *x = i;
                *y = j;
                return true;
            }
        }
    return false;
}

// "WxH DEPTH SHA256" of a file's flattened pixels (the start of its info line).
std::string FilePixels(const std::string& path) {
    const std::string info = ImageInfo(path);
    const size_t first = info.find(' '), second = info.find(' ', first + 1), third = info.find(' ', second + 1);
    return info.substr(0, third);
}

void Pointer(const std::string& command) {
    RunCommand("xdotool " + command);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
}

class EditableFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
        clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
        dir_ = std::filesystem::temp_directory_path() / ("clipvane-editable-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // "WxH objects=N SHA256" of what the active document shows.
    std::string Pixels(ClipvaneProcess& app) {
        std::string reply;
        if (!app.Call("ActiveDocumentPixels", "", &reply)) return "?";
        const size_t q = reply.find('"'), e = reply.rfind('"');
        return q == std::string::npos || e <= q ? std::string() : reply.substr(q + 1, e - q - 1);
    }
    bool WaitObjects(ClipvaneProcess& app, int count) {
        const std::string want = " objects=" + std::to_string(count) + " ";
        return WaitFor([&] { return Pixels(app).find(want) != std::string::npos; }, 5000);
    }
    // Save As through the dialog: the type list (one Tab from the name)
    // moved by `typeKeys`, then the path typed and confirmed.
    void SaveAs(ClipvaneProcess& app, const std::string& typeKeys, const std::string& path) {
        ASSERT_TRUE(app.Command(kCmdFileSaveAs));
        const std::string dialog = FindWindow("Save As");
        ASSERT_FALSE(dialog.empty()) << "no Save As dialog";
        Keys(dialog, "Tab " + typeKeys + " shift+Tab ctrl+a");
        TypeText(dialog, path);
        Keys(dialog, "Return");
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(path); })) << path;
        ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=0") != std::string::npos; })) << app.Info();
    }
    bool Open(ClipvaneProcess& app, const std::string& path) {
        std::string reply;
        return app.Call("Open", "string:" + path, &reply) && reply.find("true") != std::string::npos;
    }

    std::filesystem::path dir_;
};

TEST_F(EditableFiles, SaveEditableReopenSelectDeleteSavePlainAndDamaged) {
    const std::string picture = Path("picture.png"), notes = Path("notes.png"), flat = Path("flat.png");
    RunCommand(
        "convert -size 400x300 xc:white -fill 'rgb(200,30,30)' -draw 'rectangle 200,150 390,290' "
        "-fill 'rgb(1,254,3)' -draw 'point 0,0' '" +
        picture + "'");
    ClipvaneProcess app(Path("config.ini"));
    ASSERT_TRUE(app.WaitForService());
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    RunCommand("xdotool windowmove --sync " + main + " 0 0; xdotool windowsize --sync " + main + " 1200 900");
    ASSERT_TRUE(Open(app, picture));
    RunCommand("xdotool windowactivate --sync " + main);
    const std::string shot = Path("screen.png");
    int ox = 0, oy = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            RunCommand("import -window root '" + shot + "' 2>/dev/null");
            return FindMarker(shot, &ox, &oy);
        },
        10000))
        << "the picture is not on the screen";
    auto drag = [&](int x1, int y1, int x2, int y2) {
        Pointer("mousemove " + std::to_string(ox + x1) + " " + std::to_string(oy + y1));
        Pointer("mousedown 1");
        for (int i = 1; i <= 4; ++i)
            Pointer("mousemove " + std::to_string(ox + x1 + (x2 - x1) * i / 4) + " " +
                    std::to_string(oy + y1 + (y2 - y1) * i / 4));
        Pointer("mouseup 1");
    };
    auto click = [&](int x, int y) {
        Pointer("mousemove " + std::to_string(ox + x) + " " + std::to_string(oy + y));
        Pointer("click 1");
    };
    ASSERT_TRUE(app.Command(kCmdToolShape));
    drag(40, 40, 160, 120);
    ASSERT_TRUE(WaitObjects(app, 1)) << Pixels(app);
    ASSERT_TRUE(app.Command(kCmdToolHighlight));
    drag(220, 60, 360, 110);
    ASSERT_TRUE(WaitObjects(app, 2)) << Pixels(app);
    const std::string drawn = Pixels(app);

    // "PNG with editable annotations" sits right below "PNG", which a .png
    // document's dialog starts on.
    SaveAs(app, "Down", notes);
    ASSERT_NE(app.Info().find("title=notes.png"), std::string::npos) << app.Info();
    const std::string flattenedInfo = FilePixels(notes);
    ASSERT_TRUE(app.Command(kCmdFileClose));
    ASSERT_TRUE(WaitFor([&] { return app.Info().empty(); })) << app.Info();

    // Reopened: the same picture with both objects, no undo history.
    ASSERT_TRUE(Open(app, notes));
    EXPECT_EQ(Pixels(app), drawn);
    EXPECT_NE(app.Info().find("modified=0;undo=0;redo=0;objects=2"), std::string::npos) << app.Info();
    // A click selects the shape by its border; Delete removes it; Ctrl+S
    // writes the editable form again without a dialog.
    RunCommand("xdotool windowactivate --sync " + main);
    ASSERT_TRUE(app.Command(kCmdToolSelect));
    click(40, 80);
    Keys(main, "Delete");
    ASSERT_TRUE(WaitObjects(app, 1)) << Pixels(app);
    const std::string oneObject = Pixels(app);
    Keys(main, "ctrl+s");
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=0") != std::string::npos; })) << app.Info();
    ASSERT_TRUE(app.Command(kCmdFileClose));
    ASSERT_TRUE(WaitFor([&] { return app.Info().empty(); })) << app.Info();
    ASSERT_TRUE(Open(app, notes));
    EXPECT_EQ(Pixels(app), oneObject);
    EXPECT_NE(app.Info().find(";objects=1"), std::string::npos) << app.Info();

    // A plain PNG (the dialog now starts on the editable type): the same
    // flattened pixels, and no objects when it is opened.
    SaveAs(app, "Up", flat);
    EXPECT_EQ(FilePixels(flat), FilePixels(notes));
    EXPECT_NE(FilePixels(notes), flattenedInfo);  // the shape is gone from the pixels
    ASSERT_TRUE(app.Command(kCmdFileClose));
    ASSERT_TRUE(WaitFor([&] { return app.Info().empty(); })) << app.Info();
    ASSERT_TRUE(Open(app, flat));
    EXPECT_NE(Pixels(app).find(" objects=0 "), std::string::npos) << Pixels(app);

    // A damaged copy (one byte of the chunk flipped) opens as the flattened
    // picture: what the editable file showed, without objects.
    std::ifstream in(notes, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    bytes[bytes.size() - 40] ^= 0x20;
    const std::string damaged = Path("damaged.png");
    std::ofstream(damaged, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(Open(app, damaged));
    const std::string plain = Pixels(app);
    EXPECT_NE(plain.find(" objects=0 "), std::string::npos) << plain;
    EXPECT_NE(app.Info().find("title=damaged.png;size=400x300;modified=0;undo=0;redo=0;objects=0"), std::string::npos)
        << app.Info();
    EXPECT_EQ(plain.substr(plain.rfind(' ')), oneObject.substr(oneObject.rfind(' ')));
    RunCommand("import -window root '" + ArtifactDir() + "/editable_damaged_open.png' 2>/dev/null");
}

}  // namespace
