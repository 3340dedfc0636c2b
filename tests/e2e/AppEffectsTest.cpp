// Every Image and Filter command on a real window: direct commands run at
// once, dialog commands open their dialog, which is confirmed with Enter.
// Each confirmed command leaves its undo steps; the program stays responsive.
#include <algorithm>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

struct EffectCase {
    unsigned id;
    const char* dialog;  // null: runs directly
    int steps;           // undo steps it records
};

const EffectCase kCases[] = {
    {kCmdRotate90, nullptr, 1},
    {kCmdRotate270, nullptr, 1},
    {kCmdFlipHorizontal, nullptr, 1},
    {kCmdFlipVertical, nullptr, 1},
    {kCmdGreyImage, nullptr, 1},
    {kCmdInvert, nullptr, 1},
    {kCmdHalftone, nullptr, 1},
    {kCmdBlur, nullptr, 1},
    {kCmdAutoColorLevel, nullptr, 1},
    {kCmdRotate, "Rotate", 1},
    {kCmdResize, "Resize", 1},
    {kCmdBrightnessContrast, "Brightness/Contrast", 1},
    {kCmdHueSaturation, "Hue/Saturation", 1},
    {kCmdColorTone, "Color Tone", 1},
    {kCmdRgbValue, "RGB Value", 1},
    {kCmdColorLevel, "Color level", 1},
    {kCmdNoisy, "Noisy", 1},
    {kCmdBlot, "Blot", 1},
    {kCmdEmboss, "Emboss", 1},
    {kCmdOilPaint, "Oil Paint", 1},
    {kCmdSplash, "Splash", 1},
    {kCmdPosterize, "Posterize", 1},
    {kCmdMosaic, "Mosaic", 1},
    {kCmdGrid, "3D Grid", 1},
};

int UndoCount(const std::string& info) {
    const size_t at = info.find("undo=");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 5);
}

TEST(AppEffects, EveryImageAndFilterCommandRuns) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    const std::string dir = "/tmp/clipvane-effects-" + std::to_string(getpid());
    RunCommand("mkdir -p " + dir + " && convert -size 160x120 plasma:fractal " + dir + "/in.png");
    ClipvaneProcess app(dir + "/config.ini", {dir + "/in.png"});
    ASSERT_TRUE(app.WaitForService());
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("size=160x120") != std::string::npos; })) << app.Info();

    int expected = 0;
    for (const EffectCase& c : kCases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(app.Command(c.id)) << "command refused";
        if (c.dialog) {
            const std::string window = FindWindow(c.dialog);
            ASSERT_FALSE(window.empty()) << "no dialog " << c.dialog;
            Keys(window, "Return");
        }
        expected = std::min(10, expected + c.steps);  // the history keeps ten steps
        ASSERT_TRUE(WaitFor([&] { return UndoCount(app.Info()) == expected; })) << app.Info();
    }
    // Still an image, and it saves.
    const std::string info = app.Info();
    EXPECT_EQ(info.find("size=0x0"), std::string::npos) << info;
    std::string reply;
    ASSERT_TRUE(app.Command(kCmdFileSave));  // Save back to in.png
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=0") != std::string::npos; })) << app.Info();
    EXPECT_NE(ImageInfo(dir + "/in.png").find("x"), std::string::npos);
    ASSERT_TRUE(app.Command(kCmdAppExit));
    EXPECT_EQ(app.WaitExit(10000), 0);
    RunCommand("rm -rf " + dir);
}

}  // namespace
