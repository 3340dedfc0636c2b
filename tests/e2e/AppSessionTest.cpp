// A whole editing session with the real program: New, effects (one through
// its dialog), Save As through the file dialog, Open again, Undo and Redo,
// the close prompt and the exit, with the saved file checked afterwards.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

TEST(AppSession, NewEffectSaveOpenUndoRedoClose) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("clipvane-e2e-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string saved = (dir / "session.png").string();

    ClipvaneProcess app((dir / "config.ini").string());
    ASSERT_TRUE(app.WaitForService()) << "clipvane did not register on D-Bus";
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    EXPECT_EQ(app.Info(), "");

    ASSERT_TRUE(app.Command(kCmdFileNew));
    ASSERT_TRUE(WaitFor([&] {
        return app.Info() == "title=Clipvane1;size=640x480;modified=1;undo=0;redo=0;objects=0";
    })) << app.Info();

    ASSERT_TRUE(app.Command(kCmdInvert));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("undo=1") != std::string::npos; })) << app.Info();

    // Mosaic through its dialog, confirmed with Enter.
    ASSERT_TRUE(app.Command(kCmdMosaic));
    const std::string mosaic = FindWindow("Mosaic");
    ASSERT_FALSE(mosaic.empty()) << "no Mosaic dialog";
    Keys(mosaic, "Return");
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("undo=2") != std::string::npos; })) << app.Info();

    // Save As: type the path into the file dialog.
    ASSERT_TRUE(app.Command(kCmdFileSaveAs));
    const std::string saveDialog = FindWindow("Save As");
    ASSERT_FALSE(saveDialog.empty()) << "no Save As dialog";
    Keys(saveDialog, "ctrl+a");
    TypeText(saveDialog, saved);
    Keys(saveDialog, "Return");
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("title=session.png") != std::string::npos; })) << app.Info();
    EXPECT_NE(app.Info().find("modified=0"), std::string::npos);
    const std::string info = ImageInfo(saved);
    EXPECT_EQ(info.rfind("640x480", 0), 0u) << info;

    // The screenshot of the main window with a document, kept as an artefact.
    RunCommand("import -window root '" + ArtifactDir() + "/app_main_window.png' 2>/dev/null");

    // Close (unmodified: no question), then open the file again.
    ASSERT_TRUE(app.Command(kCmdFileClose));
    ASSERT_TRUE(WaitFor([&] { return app.Info().empty(); })) << app.Info();
    std::string reply;
    ASSERT_TRUE(app.Call("Open", "string:" + saved, &reply)) << reply;
    EXPECT_NE(reply.find("true"), std::string::npos) << reply;
    EXPECT_EQ(app.Info(), "title=session.png;size=640x480;modified=0;undo=0;redo=0;objects=0");

    // Undo and Redo of an effect on the opened file.
    ASSERT_TRUE(app.Command(kCmdInvert));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("undo=1;redo=0") != std::string::npos; })) << app.Info();
    ASSERT_TRUE(app.Command(kCmdEditUndo));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("undo=0;redo=1") != std::string::npos; })) << app.Info();
    EXPECT_FALSE(app.Command(kCmdEditUndo)) << "Undo must be disabled with an empty history";
    ASSERT_TRUE(app.Command(kCmdEditRedo));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("undo=1;redo=0") != std::string::npos; })) << app.Info();

    // Close with the prompt: answer No; the file on disk stays as saved.
    ASSERT_TRUE(app.Command(kCmdFileClose));
    const std::string prompt = FindWindow("Clipvane", 5000);
    std::string question;
    WaitFor([&] {
        question = Trim(RunCommand("xdotool search --onlyvisible --name '^Clipvane$' | wc -l"));
        return question == "2";
    });
    EXPECT_EQ(question, "2") << "the close prompt did not appear";
    RunCommand("xdotool key --clearmodifiers alt+n");
    ASSERT_TRUE(WaitFor([&] { return app.Info().empty(); })) << app.Info();
    EXPECT_EQ(ImageInfo(saved), info);

    // Exit with no document left: the program ends by itself.
    ASSERT_TRUE(app.Command(kCmdAppExit));
    EXPECT_EQ(app.WaitExit(10000), 0);
    std::filesystem::remove_all(dir);
}

TEST(AppSession, SecondInstanceHandsItsFilesToTheFirst) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("clipvane-e2e2-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string picture = (dir / "given.png").string();
    RunCommand("convert -size 32x24 xc:orange '" + picture + "'");
    const std::string junk = (dir / "junk.png").string();
    RunCommand("echo 'not an image' > '" + junk + "'");

    ClipvaneProcess first((dir / "config.ini").string());
    ASSERT_TRUE(first.WaitForService());
    // A second program without --config finds the first and hands over.
    unsetenv("QT_QPA_PLATFORM");
    int status = -1;
    RunCommand(BinaryDir() + "/clipvane '" + picture + "'", &status);
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(WaitFor([&] { return first.Info().find("title=given.png;size=32x24") != std::string::npos; }))
        << first.Info();
    // An undecodable file opens no document.
    std::string reply;
    ASSERT_TRUE(first.Call("Open", "string:" + junk, &reply));
    EXPECT_NE(reply.find("false"), std::string::npos) << reply;
    EXPECT_NE(first.Info().find("title=given.png"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

using namespace clipvane::test;

// The crop tool with the real mouse: a drag over the image, Enter, Undo.
TEST(AppSession, CropWithTheMouseAndUndo) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    // A folder of its own: the recovery entries of the document left
    // modified at the end go with it instead of reaching the next run.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("clipvane-crop-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string config = (dir / "config.ini").string();
    ClipvaneProcess app(config);
    ASSERT_TRUE(app.WaitForService());
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    ASSERT_TRUE(app.Command(kCmdFileNew));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("size=640x480") != std::string::npos; }));
    ASSERT_TRUE(app.Command(kCmdToolCrop));  // Crop tool

    // The window's position once the window manager has placed it; the
    // image starts below the bars, right of the Tools bar.
    std::string geometry, previous;
    WaitFor([&] {
        previous = geometry;
        geometry = RunCommand("xdotool getwindowgeometry --shell " + main);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return geometry == previous;
    });
    auto value = [&](const char* key) {
        const size_t at = geometry.find(key);
        return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + std::strlen(key));
    };
    const int x = value("X=") + 150, y = value("Y=") + 200;
    auto step = [](const std::string& command) {
        RunCommand("xdotool " + command);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    step("windowactivate --sync " + main);
    step("mousemove " + std::to_string(x) + " " + std::to_string(y));
    step("mousedown 1");
    step("mousemove " + std::to_string(x + 60) + " " + std::to_string(y + 40));
    step("mousemove " + std::to_string(x + 200) + " " + std::to_string(y + 120));
    step("mouseup 1");
    step("key Return");
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("size=200x120") != std::string::npos; })) << app.Info();
    // The press and the crop are one step: one Undo restores the size, and
    // nothing is left to undo.
    ASSERT_TRUE(app.Command(kCmdEditUndo));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("size=640x480") != std::string::npos; })) << app.Info();
    EXPECT_FALSE(app.Command(kCmdEditUndo)) << "the press left a step of its own";
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

using namespace clipvane::test;

// Closing the window through the window manager asks about the changed
// document; "No" lets the program end.
TEST(AppSession, WindowCloseRunsTheExitPrompt) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const std::string config = "/tmp/clipvane-close-" + std::to_string(getpid()) + ".ini";
    ClipvaneProcess app(config);
    ASSERT_TRUE(app.WaitForService());
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    ASSERT_TRUE(app.Command(kCmdFileNew));
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=1") != std::string::npos; }));
    Keys(main, "alt+F4");
    const std::string prompt = FindWindow("Save image");
    ASSERT_FALSE(prompt.empty()) << "no exit prompt";
    Keys(prompt, "Escape");  // Esc is Cancel: the program stays
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_NE(app.Info().find("title=Clipvane1"), std::string::npos);
    Keys(main, "alt+F4");
    const std::string again = FindWindow("Save image");
    ASSERT_FALSE(again.empty());
    Keys(again, "alt+n");
    EXPECT_EQ(app.WaitExit(10000), 0);
    std::ifstream in(config);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(written.find("IsTrayMode=0"), std::string::npos) << written;
    std::remove(config.c_str());
}

}  // namespace
