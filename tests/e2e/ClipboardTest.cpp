// Clipboard exchange with other X clients: pictures Clipvane copies are read
// back with xclip and decoded, pictures xclip offers (PNG, BMP, a copied
// file) are pasted into a document, and a picture still on the clipboard
// when Clipvane exits is handed to a running clipboard manager.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/Sha256.h"
#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;
namespace fs = std::filesystem;

// Every pixel differs from its neighbours: red is x, green is y, blue 200;
// the top-left pixel is the marker that finds the picture on the screen.
clipvane::PixelImage Picture(int w, int h, uint8_t blue = 200) {
    clipvane::PixelImage image;
    image.Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            p[0] = blue;
            p[1] = uint8_t(y);
            p[2] = uint8_t(x);
        }
    uint8_t* m = image.PixelAddress(0, 0);
    m[0] = 3, m[1] = 254, m[2] = 1;
    return image;
}

// The picture as a document shows it after a paste: 32 bits, opaque.
std::string Digest32(const clipvane::PixelImage& picture) {
    clipvane::PixelImage copy(picture);
    copy.ConvertTo(32);
    copy.SetAlpha(255);
    return clipvane::PixelDigest(copy);
}

// The 24-bit colours of `image` inside the rectangle equal `source`'s at
// (dx, dy) onwards.
bool SameColours(const clipvane::PixelImage& image, const clipvane::PixelImage& source, int dx, int dy) {
    const int is = image.Depth() / 8, ss = source.Depth() / 8;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const uint8_t* a = image.Row(y) + x * is;
            const uint8_t* b = source.Row(y + dy) + (x + dx) * ss;
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) return false;
        }
    return true;
}

class ClipboardE2E : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
        clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
        dir_ = fs::temp_directory_path() / ("clipvane-clip-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    // Saves as BMP; other types through ImageMagick.
    std::string Save(const clipvane::PixelImage& image, const std::string& name) {
        const std::string path = Path(name);
        const std::string bmp = path + ".bmp";
        EXPECT_TRUE(clipvane::SaveToFile(image, bmp));
        RunCommand("convert '" + bmp + "' '" + path + "'");
        return path;
    }
    // "WxH objects=N SHA-256" of the active document.
    static std::string Pixels(ClipvaneProcess& app) {
        std::string reply;
        if (!app.Call("ActiveDocumentPixels", "", &reply)) return "?";
        const size_t q = reply.find('"'), e = reply.rfind('"');
        return q == std::string::npos || e <= q ? std::string() : reply.substr(q + 1, e - q - 1);
    }
    // Reads the clipboard's PNG through xclip.
    bool ReadClipboardPng(clipvane::PixelImage& image) {
        const std::string out = Path("from-clipboard.png");
        fs::remove(out);
        RunCommand("xclip -selection clipboard -o -t image/png > '" + out + "' 2>/dev/null");
        return clipvane::LoadFromFile(out, image);
    }
    // xclip owns the clipboard with `file` as `type` (it serves from the background).
    static void Offer(const std::string& type, const std::string& file) {
        RunCommand("xclip -selection clipboard -t " + type + " -i '" + file + "' >/dev/null 2>&1");
    }
    static void OfferText(const std::string& type, const std::string& text, const std::string& scratch) {
        RunCommand("printf '" + text + "' > '" + scratch + "'");
        Offer(type, scratch);
    }

    fs::path dir_;
};

TEST_F(ClipboardE2E, CopiesTheWholeImageAndTheCropBandAsPng) {
    const clipvane::PixelImage source = Picture(200, 150);
    const std::string picture = Save(source, "copy-source.bmp");
    ClipvaneProcess app(Path("copy.ini"));
    ASSERT_TRUE(app.WaitForService());
    std::string reply;
    ASSERT_TRUE(app.Call("Open", "string:" + picture, &reply)) << reply;

    // No band: the whole image.
    ASSERT_TRUE(app.Command(kCmdEditCopy));
    clipvane::PixelImage copied;
    ASSERT_TRUE(WaitFor([&] { return ReadClipboardPng(copied); }, 5000));
    ASSERT_EQ(copied.Width(), 200);
    ASSERT_EQ(copied.Height(), 150);
    EXPECT_TRUE(SameColours(copied, source, 0, 0));

    // A crop band dragged over the picture, copied with Ctrl+C.
    const std::string main = FindWindow("Clipvane");
    ASSERT_FALSE(main.empty());
    RunCommand("xdotool windowmove --sync " + main + " 0 0; xdotool windowactivate --sync " + main);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string shot = Path("screen.png");
    int ox = -1, oy = -1;
    ASSERT_TRUE(WaitFor(
        [&] {
            RunCommand("import -window root '" + shot + "' 2>/dev/null");
            clipvane::PixelImage screen;
            if (!clipvane::LoadFromFile(shot, screen) || screen.Depth() < 24) return false;
            const int step = screen.Depth() / 8;
            for (int y = 0; y < screen.Height(); ++y)
                for (int x = 0; x < screen.Width(); ++x) {
                    const uint8_t* p = screen.Row(y) + x * step;
                    if (p[0] == 3 && p[1] == 254 && p[2] == 1) {
                        ox = x, oy = y;
                        return true;
                    }
                }
            return false;
        },
        10000));
    ASSERT_TRUE(app.Command(kCmdToolCrop));
    auto step = [](const std::string& command) {
        RunCommand("xdotool " + command);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    };
    step("mousemove " + std::to_string(ox + 30) + " " + std::to_string(oy + 20));
    step("mousedown 1");
    for (int i = 1; i <= 4; ++i)
        step("mousemove " + std::to_string(ox + 30 + 40 * i / 4) + " " + std::to_string(oy + 20 + 30 * i / 4));
    step("mouseup 1");
    Keys(main, "ctrl+c");
    // The copy holds exactly the pixels under the band: its top-left pixel
    // names its place in the source (red x, green y).
    ASSERT_TRUE(WaitFor([&] { return ReadClipboardPng(copied) && copied.Width() < 200; }, 5000));
    EXPECT_NEAR(copied.Width(), 40, 2);
    EXPECT_NEAR(copied.Height(), 30, 2);
    const uint8_t* first = copied.Row(0);
    const int left = first[2], top = first[1];
    EXPECT_NEAR(left, 30, 2);
    EXPECT_NEAR(top, 20, 2);
    EXPECT_TRUE(SameColours(copied, source, left, top));

    // Ctrl+X: the same region to the clipboard and painted white in the
    // image (seen in a copy of the whole image once Esc dropped the band);
    // one undo step brings it back.
    const std::string before = Pixels(app);
    const int w = copied.Width(), h = copied.Height();
    Keys(main, "ctrl+x");
    ASSERT_TRUE(WaitFor([&] { return Pixels(app) != before; }, 5000));
    ASSERT_TRUE(ReadClipboardPng(copied));
    EXPECT_EQ(copied.Width(), w);
    EXPECT_TRUE(SameColours(copied, source, left, top));
    EXPECT_NE(app.Info().find("undo=1"), std::string::npos) << app.Info();  // the cut (the press burned nothing)
    Keys(main, "Escape");
    ASSERT_TRUE(app.Command(kCmdEditCopy));
    ASSERT_TRUE(WaitFor([&] { return ReadClipboardPng(copied) && copied.Width() == 200; }, 5000));
    clipvane::PixelImage expected(source);
    const uint8_t white[3] = {255, 255, 255};
    expected.FillRect(clipvane::Rect{left, top, left + w, top + h}, white);
    EXPECT_TRUE(SameColours(copied, expected, 0, 0));
    ASSERT_TRUE(app.Command(kCmdEditUndo));
    EXPECT_TRUE(WaitFor([&] { return Pixels(app) == before; }, 5000))
        << Pixels(app) << " " << app.Info() << " was " << before;
}

TEST_F(ClipboardE2E, PastesPngBmpAndCopiedFilesFromOtherPrograms) {
    const std::string document = Save(Picture(64, 48, 90), "paste-document.bmp");
    const clipvane::PixelImage offered = Picture(64, 48, 30);
    const std::string png = Save(offered, "offered.png");
    const std::string bmp = Save(offered, "offered.bmp");
    ClipvaneProcess app(Path("paste.ini"));
    ASSERT_TRUE(app.WaitForService());
    std::string reply;
    ASSERT_TRUE(app.Call("Open", "string:" + document, &reply)) << reply;
    const std::string original = Pixels(app);
    const std::string want = Digest32(offered);

    struct Case {
        const char* what;
        std::function<void()> offer;
    };
    const Case cases[] = {
        {"image/png", [&] { Offer("image/png", png); }},
        {"image/bmp", [&] { Offer("image/bmp", bmp); }},
        {"text/uri-list", [&] { OfferText("text/uri-list", "file://" + png + "\\r\\n", Path("uris.txt")); }},
        {"x-special/gnome-copied-files",
         [&] { OfferText("x-special/gnome-copied-files", "copy\\nfile://" + bmp, Path("gnome.txt")); }},
    };
    for (const Case& c : cases) {
        c.offer();
        ASSERT_TRUE(WaitFor([&] { return app.Command(kCmdEditPaste); }, 5000)) << c.what << ": Paste stays disabled";
        EXPECT_TRUE(WaitFor([&] { return Pixels(app).find(want) != std::string::npos; }, 5000))
            << c.what << ": " << Pixels(app);
        EXPECT_NE(app.Info().find("modified=1"), std::string::npos) << c.what;
        ASSERT_TRUE(app.Command(kCmdEditUndo));
        EXPECT_TRUE(WaitFor([&] { return Pixels(app) == original; }, 5000)) << c.what << ": undo";
    }

    // Text is no picture: Paste is refused and nothing changes.
    OfferText("text/plain", "hello", Path("text.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(app.Command(kCmdEditPaste));
    EXPECT_EQ(Pixels(app), original);
}

TEST_F(ClipboardE2E, ExitHandsTheCopyToAClipboardManagerAndIsQuickWithoutOne) {
    const clipvane::PixelImage source = Picture(90, 70);
    const std::string picture = Save(source, "manager-source.bmp");
    const std::string saved = Path("manager-saved.png");
    fs::remove(saved);

    int managerOut = -1;
    const pid_t manager = Spawn({HelperPath("clipboard_manager"), saved}, &managerOut);
    ASSERT_GT(manager, 0);
    char ready[16] = {};
    ASSERT_GT(read(managerOut, ready, sizeof ready - 1), 0);
    close(managerOut);
    {
        ClipvaneProcess app(Path("manager.ini"));
        ASSERT_TRUE(app.WaitForService());
        std::string reply;
        ASSERT_TRUE(app.Call("Open", "string:" + picture, &reply)) << reply;
        ASSERT_TRUE(app.Command(kCmdEditCopy));
        ASSERT_TRUE(app.Command(kCmdAppExit));
        EXPECT_EQ(app.WaitExit(10000), 0);
    }
    // Clipvane is gone; the manager kept the picture.
    clipvane::PixelImage kept;
    ASSERT_TRUE(WaitFor([&] { return clipvane::LoadFromFile(saved, kept); }, 5000)) << "nothing was handed over";
    ASSERT_EQ(kept.Width(), 90);
    ASSERT_EQ(kept.Height(), 70);
    EXPECT_TRUE(SameColours(kept, source, 0, 0));
    Terminate(manager);

    // With no manager the picture simply goes, and exit does not wait.
    ClipvaneProcess app(Path("nomanager.ini"));
    ASSERT_TRUE(app.WaitForService());
    std::string reply;
    ASSERT_TRUE(app.Call("Open", "string:" + picture, &reply)) << reply;
    ASSERT_TRUE(app.Command(kCmdEditCopy));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(app.Command(kCmdAppExit));
    EXPECT_EQ(app.WaitExit(10000), 0);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(ms, 2500) << "exit waited for a clipboard manager that is not there";
}

}  // namespace
