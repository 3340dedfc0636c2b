// Every Image and Filter command on a real window: direct commands run at
// once, dialog commands open their dialog, which is confirmed with Enter.
// Each confirmed command leaves its undo steps; the program stays responsive.
#include <algorithm>

#include "support/AppDriver.h"

namespace {

using namespace clipvane::test;

struct EffectCase {
    unsigned id;
    const char* dialog;  // null: runs directly
    int steps;           // undo steps it records
};

const EffectCase kCases[] = {
    {20004, nullptr, 1},          {20007, nullptr, 1},      {20005, nullptr, 1},     {20006, nullptr, 1},
    {20019, nullptr, 1},          {20020, nullptr, 1},      {20041, nullptr, 1},     {20042, nullptr, 1},
    {20051, nullptr, 1},          {20002, "Rotate", 1},     {20009, "Resize", 1},    {20010, "Brightness/Contrast", 1},
    {20012, "Hue/Saturation", 1}, {20014, "Color Tone", 1}, {20016, "RGB Value", 1}, {20017, "Color level", 1},
    {20033, "Noisy", 1},          {20034, "Blot", 1},       {20035, "Emboss", 1},    {20036, "Oil Paint", 1},
    {20037, "Splash", 1},         {20038, "Posterize", 1},  {20040, "Mosaic", 1},    {20050, "3D Grid", 1},
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
    ASSERT_TRUE(app.Command(57603));  // Save back to in.png
    ASSERT_TRUE(WaitFor([&] { return app.Info().find("modified=0") != std::string::npos; })) << app.Info();
    EXPECT_NE(ImageInfo(dir + "/in.png").find("x"), std::string::npos);
    ASSERT_TRUE(app.Command(57665));
    EXPECT_EQ(app.WaitExit(10000), 0);
    RunCommand("rm -rf " + dir);
}

}  // namespace
