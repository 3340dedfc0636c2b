#pragma once
// The scrolling capture's run over one area of the screen: scroll it a step
// at a time with synthetic wheel clicks (the Page Down key when the wheel
// moves nothing), wait until the area stops changing, stitch the new rows on
// (ScrollStitcher) and stop at the end of the page, the height limit, a join
// that cannot be made safely, or when asked to. Plain C++ over the platform
// interface, so unit tests run it on a fake desktop.
#include <functional>

#include "image/Bitmap.h"
#include "image/PixelImage.h"

namespace clipvane {

class ScreenPlatform;

enum class ScrollEnd {
    EndOfPage,    // the content stopped moving (or never moved: its current view)
    HeightLimit,  // the result reached the height limit
    Ambiguous,    // repeated content: no single distance fits
    NoMatch,      // the content changed in a way no distance explains
    Cancelled,    // the user stopped it
    NoInput,      // the display takes no synthetic input: the current view
    GrabFailed,   // the screen could not be read
};

struct ScrollCaptureResult {
    PixelImage image;  // 24 bits; empty only when not even the first view could be grabbed
    ScrollEnd end = ScrollEnd::EndOfPage;
    int steps = 0;          // steps that moved the content
    bool pageDown = false;  // the Page Down key did the scrolling
};

// Waits after input, in milliseconds: the first look, then one grab every
// poll until two grabs in a row are the same. An unchanged view is given a
// while longer to start moving before it counts as the end of the page; a
// view that never settles is taken as it is after the limit.
inline constexpr int kScrollFirstLookMs = 40;
inline constexpr int kScrollPollMs = 50;
inline constexpr int kScrollNoMoveMs = 600;
inline constexpr int kScrollSettleLimitMs = 3000;
// A step aims to move this share of the moving rows, leaving the rest as overlap.
inline constexpr double kScrollStepShare = 0.7;

class ScrollCapture {
public:
    struct Hooks {
        std::function<void(int)> wait;                        // lets the program run meanwhile
        std::function<bool()> cancelled;                      // polled between grabs
        std::function<void(int height, int steps)> progress;  // after each step
        std::function<void()> focusTarget;                    // before the first Page Down
    };

    // `area` in root coordinates; the pointer is placed at its centre.
    ScrollCapture(ScreenPlatform& platform, const Rect& area, int maxHeight, Hooks hooks);

    // Scrolls the area to its top (wheel up until nothing moves) before the
    // first view is taken; off, the run starts where the area is.
    void SetStartAtTop(bool top) { startAtTop_ = top; }

    ScrollCaptureResult Run();

private:
    // Grabs the area until it holds still; compares with `before` to tell
    // an area that has not started moving from one that has stopped.
    bool Settle(const PixelImage* before, PixelImage& out);
    bool Input(bool pageDown, int notches);
    void ScrollToTop();
    void Wait(int ms);

    ScreenPlatform& platform_;
    Rect area_;
    int maxHeight_;
    Hooks hooks_;
    bool startAtTop_ = false;
};

}  // namespace clipvane
