// The scrolling capture's run on a fake desktop whose area scrolls a known
// page: the result must be the page row for row, however the window reacts
// (wheel, Page Down only, late repaints, an accelerated wheel, no input),
// and it must stop as asked (height limit, Esc, repeated content).
#include <gtest/gtest.h>

#include <cstring>

#include "FakeDesktop.h"
#include "capture/ScrollCapture.h"
#include "support/PixelChecks.h"

namespace {

using namespace clipvane;
using clipvane::test::FakePlatform;

constexpr Rect kArea{20, 10, 140, 210};  // 120 x 200

PixelImage Page(int height, int width = kArea.Width()) {
    PixelImage page;
    EXPECT_TRUE(page.Create(width, height, 24));
    uint32_t seed = 7;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = page.Row(y);
        for (int i = 0; i < width * 3; ++i) {
            seed = seed * 1103515245u + 12345u;
            p[i] = uint8_t(seed >> 16);
        }
    }
    return page;
}

PixelImage TopRows(const PixelImage& image, int rows) {
    PixelImage t;
    EXPECT_TRUE(t.Create(image.Width(), rows, 24));
    for (int y = 0; y < rows; ++y) std::memcpy(t.Row(y), image.Row(y), size_t(image.Width()) * 3);
    return t;
}

class ScrollRun : public ::testing::Test {
protected:
    void SetUp() override {
        fake_.screen = Rect{0, 0, 320, 240};
        fake_.scrollArea = kArea;
        fake_.page = Page(1000);
    }
    ScrollCaptureResult Run(int maxHeight = 20000, bool fromTop = false) {
        ScrollCapture::Hooks hooks;
        hooks.wait = [this](int ms) { waited_ += ms; };
        hooks.cancelled = [this] { return cancel_ && cancel_(); };
        hooks.progress = [this](int height, int) { heights_.push_back(height); };
        hooks.focusTarget = [this] { ++focused_; };
        ScrollCapture scroll(fake_, kArea, maxHeight, hooks);
        scroll.SetStartAtTop(fromTop);
        return scroll.Run();
    }

    FakePlatform fake_;
    std::function<bool()> cancel_;
    std::vector<int> heights_;
    int waited_ = 0;
    int focused_ = 0;
};

TEST_F(ScrollRun, WheelScrollsToTheEndAndGivesThePageRowForRow) {
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::EndOfPage);
    EXPECT_FALSE(r.pageDown);
    EXPECT_TRUE(test::SamePixels(r.image, fake_.page));
    EXPECT_EQ(fake_.scrollOffset, 800);  // left where the last step left it
    // One click to learn its size, then steps of most of the area.
    EXPECT_GE(r.steps, 6);
    EXPECT_LE(r.steps, 10);
    EXPECT_TRUE(std::is_sorted(heights_.begin(), heights_.end()));
    EXPECT_EQ(heights_.back(), 1000);
    for (const auto& at : fake_.inputAt) EXPECT_EQ(at, std::make_pair(80, 110));  // the area's centre
    EXPECT_EQ(fake_.pageDowns, 0);
}

TEST_F(ScrollRun, LateRepaintsAreWaitedFor) {
    fake_.lagGrabs = 3;
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::EndOfPage);
    EXPECT_TRUE(test::SamePixels(r.image, fake_.page));
}

TEST_F(ScrollRun, AcceleratedWheelThatOvershootsIsSteppedBackAndShortened) {
    // One click moves 20 rows, several move far more than the area.
    fake_.wheelPixels = [](int n) { return 20 * n * n; };
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::EndOfPage);
    EXPECT_TRUE(test::SamePixels(r.image, fake_.page));
}

TEST_F(ScrollRun, PageDownWhenTheWheelDoesNothing) {
    fake_.wheelScrolls = false;
    fake_.pageStep = 170;
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::EndOfPage);
    EXPECT_TRUE(r.pageDown);
    EXPECT_EQ(focused_, 1);
    EXPECT_TRUE(test::SamePixels(r.image, fake_.page));
}

TEST_F(ScrollRun, WindowThatDoesNotScrollGivesItsView) {
    fake_.wheelScrolls = false;
    fake_.scrollOffset = 300;
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::EndOfPage);
    EXPECT_EQ(r.steps, 0);
    PixelImage view;
    ASSERT_TRUE(fake_.Grab(kArea, view));
    EXPECT_TRUE(test::SamePixels(r.image, view));
    // An unchanged view is given time to start moving before it counts as the end.
    EXPECT_GE(waited_, 2 * kScrollNoMoveMs);
}

TEST_F(ScrollRun, StartsAtTheTopOrWhereTheAreaIsScrolledTo) {
    // A page scrolled far down, longer than one burst of wheel clicks moves.
    fake_.page = Page(6000);
    fake_.scrollOffset = 5000;
    const ScrollCaptureResult top = Run(20000, true);
    EXPECT_EQ(top.end, ScrollEnd::EndOfPage);
    EXPECT_TRUE(test::SamePixels(top.image, fake_.page));
    // From the current position: the rows above it are not in the result.
    fake_.scrollOffset = 5000;
    const ScrollCaptureResult here = Run(20000, false);
    EXPECT_EQ(here.image.Height(), 1000);
    // A display without synthetic input still gives the view it shows.
    fake_.syntheticInput = false;
    fake_.scrollOffset = 300;
    const ScrollCaptureResult view = Run(20000, true);
    EXPECT_EQ(view.end, ScrollEnd::NoInput);
    EXPECT_EQ(view.image.Height(), 200);
}

TEST_F(ScrollRun, DisplayWithoutSyntheticInputGivesTheView) {
    fake_.syntheticInput = false;
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::NoInput);
    EXPECT_TRUE(test::SamePixels(r.image, TopRows(fake_.page, 200)));
}

TEST_F(ScrollRun, HeightLimitKeepsTheTopRows) {
    const ScrollCaptureResult r = Run(450);
    EXPECT_EQ(r.end, ScrollEnd::HeightLimit);
    EXPECT_TRUE(test::SamePixels(r.image, TopRows(fake_.page, 450)));
}

TEST_F(ScrollRun, EscStopsWithTheRowsSoFar) {
    cancel_ = [this] { return heights_.size() >= 3; };
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::Cancelled);
    ASSERT_GT(r.image.Height(), 200);
    EXPECT_LT(r.image.Height(), 1000);
    EXPECT_TRUE(test::SamePixels(r.image, TopRows(fake_.page, r.image.Height())));
}

TEST_F(ScrollRun, RepeatedContentStopsWithoutAWrongJoin) {
    // From row 400 on the page repeats every 10 rows.
    for (int y = 400; y < 1000; ++y) std::memcpy(fake_.page.Row(y), fake_.page.Row(400 + (y - 400) % 10), 360);
    const ScrollCaptureResult r = Run();
    EXPECT_TRUE(r.end == ScrollEnd::Ambiguous || r.end == ScrollEnd::NoMatch);
    ASSERT_GE(r.image.Height(), 400);
    EXPECT_TRUE(test::SamePixels(r.image, TopRows(fake_.page, r.image.Height())));
}

TEST_F(ScrollRun, FailingGrabsKeepWhatWasStitched) {
    fake_.grabsLeft = 0;
    EXPECT_TRUE(Run().image.IsEmpty());
    fake_.grabsLeft = 12;
    const ScrollCaptureResult r = Run();
    EXPECT_EQ(r.end, ScrollEnd::GrabFailed);
    EXPECT_TRUE(test::SamePixels(r.image, TopRows(fake_.page, r.image.Height())));
}

}  // namespace
