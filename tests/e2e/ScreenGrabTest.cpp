// Grabs into new images on the real X server: the platform prepares the
// next grab's image after each one, and every grab still gives the screen's
// pixels exactly, with black where the rectangle leaves the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "image/PixelImage.h"
#include "platform/ScreenPlatform.h"
#include "support/XServerHarness.h"

namespace {

using namespace clipvane;

bool SameBytes(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * 3) != 0) return false;
    return true;
}

TEST(ScreenGrab, NewImagesFromRepeatedGrabsHoldTheScreenExactly) {
    std::string error;
    ASSERT_NE(test::XServerHarness::Get(&error), nullptr) << error;
    std::unique_ptr<ScreenPlatform> platform = CreateX11Platform();
    ASSERT_NE(platform, nullptr);
    const Rect screen = platform->PrimaryScreen();
    // The first grab goes without shared memory, the later ones through it,
    // the third and fourth into images made ready after the one before.
    PixelImage first, second, third, fourth;
    ASSERT_TRUE(platform->Grab(screen, first));
    ASSERT_TRUE(platform->Grab(screen, second));
    ASSERT_TRUE(platform->Grab(screen, third));
    ASSERT_TRUE(platform->Grab(screen, fourth));
    EXPECT_TRUE(SameBytes(first, second));
    EXPECT_TRUE(SameBytes(first, third));
    EXPECT_TRUE(SameBytes(first, fourth));

    // Half off the screen, twice: black outside both times, the screen's
    // pixels inside.
    const Rect half{screen.right - 40, screen.bottom - 30, screen.right + 40, screen.bottom + 30};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        PixelImage shot;
        ASSERT_TRUE(platform->Grab(half, shot));
        ASSERT_EQ(shot.Width(), 80);
        ASSERT_EQ(shot.Height(), 60);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const uint8_t* p = shot.PixelAddress(x, y);
                if (x >= 40 || y >= 30) {
                    ASSERT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
                } else {
                    const uint8_t* s = first.PixelAddress(screen.Width() - 40 + x, screen.Height() - 30 + y);
                    ASSERT_EQ(std::memcmp(p, s, 3), 0) << x << "," << y;
                }
            }
    }
}

}  // namespace
