#include "capture/ScrollCapture.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "image/ScrollStitch.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

// Wheel clicks per step never go past this, whatever one click turns out to move.
constexpr int kMaxNotches = 60;
// A step that overshoots the overlap (or lands on repeated rows) is scrolled
// back and tried with half the clicks, this many times in a row at most.
constexpr int kMaxRetries = 4;
// Scrolling to the top goes up in bursts of clicks until a burst moves
// nothing; this many bursts at most, for a page that never ends upwards.
constexpr int kMaxTopBursts = 400;

bool SamePixels(const PixelImage& a, const PixelImage& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.Depth() == b.Depth() &&
           std::memcmp(a.Bits(), b.Bits(), a.ByteCount()) == 0;
}

// One 64-bit FNV-1a hash per row: what the settling wait keeps of the grab
// before, instead of a whole second frame. A collision can only let an
// unsettled view through, which the stitcher's exact check then refuses.
std::vector<uint64_t> RowHashes(const PixelImage& image) {
    std::vector<uint64_t> hashes(size_t(image.Height()));
    const size_t bytes = size_t(image.Width()) * size_t(image.Depth() / 8);
    for (int y = 0; y < image.Height(); ++y) {
        uint64_t h = 0xcbf29ce484222325ull;
        const uint8_t* p = image.Row(y);
        for (size_t i = 0; i + 8 <= bytes; i += 8) {
            uint64_t v;
            std::memcpy(&v, p + i, 8);
            h = (h ^ v) * 0x100000001b3ull;
        }
        for (size_t i = bytes & ~size_t(7); i < bytes; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
        hashes[size_t(y)] = h;
    }
    return hashes;
}

}  // namespace

ScrollCapture::ScrollCapture(ScreenPlatform& platform, const Rect& area, int maxHeight, Hooks hooks)
    : platform_(platform), area_(area), maxHeight_(maxHeight), hooks_(std::move(hooks)) {}

void ScrollCapture::Wait(int ms) {
    if (hooks_.wait) hooks_.wait(ms);
}

bool ScrollCapture::Input(bool pageDown, int notches) {
    const int x = area_.left + area_.Width() / 2, y = area_.top + area_.Height() / 2;
    return pageDown ? platform_.PressPageDown(x, y) : platform_.ScrollWheel(x, y, notches);
}

bool ScrollCapture::Settle(const PixelImage* before, PixelImage& out) {
    // One frame is grabbed into again and again; of the grab before it only
    // its row hashes are kept.
    PixelImage frame;
    Wait(kScrollFirstLookMs);
    if (!platform_.Grab(area_, frame)) return false;
    std::vector<uint64_t> last = RowHashes(frame);
    for (int waited = 0;;) {
        Wait(kScrollPollMs);
        waited += kScrollPollMs;
        if (!platform_.Grab(area_, frame)) return false;
        std::vector<uint64_t> now = RowHashes(frame);
        const bool still = now == last;
        if ((still && (!before || !SamePixels(frame, *before) || waited >= kScrollNoMoveMs)) ||
            waited >= kScrollSettleLimitMs) {
            out = std::move(frame);
            return true;
        }
        last.swap(now);
    }
}

void ScrollCapture::ScrollToTop() {
    PixelImage before;
    if (!Settle(nullptr, before)) return;
    for (int burst = 0; burst < kMaxTopBursts; ++burst) {
        if (hooks_.cancelled && hooks_.cancelled()) return;
        // No synthetic input here: the run then says so and keeps the view.
        if (!Input(false, -kMaxNotches)) return;
        PixelImage now;
        if (!Settle(&before, now) || SamePixels(now, before)) return;
        before = std::move(now);
    }
}

ScrollCaptureResult ScrollCapture::Run() {
    ScrollCaptureResult result;
    if (startAtTop_) ScrollToTop();
    PixelImage first;
    ScrollStitcher stitcher;
    if (!Settle(nullptr, first) || !stitcher.Start(std::move(first), maxHeight_)) {
        result.end = ScrollEnd::GrabFailed;
        return result;
    }
    if (hooks_.progress) hooks_.progress(stitcher.Height(), 0);

    bool pageDown = false;
    int notches = 1;  // the first step finds out how far one click moves
    int retries = 0;
    for (;;) {
        if (hooks_.cancelled && hooks_.cancelled()) {
            result.end = ScrollEnd::Cancelled;
            break;
        }
        if (!Input(pageDown, notches)) {
            result.end = ScrollEnd::NoInput;
            break;
        }
        PixelImage frame;
        if (!Settle(&stitcher.Previous(), frame)) {
            result.end = ScrollEnd::GrabFailed;
            break;
        }
        const StitchStep step = stitcher.Add(std::move(frame));
        if (step == StitchStep::Appended) {
            ++result.steps;
            retries = 0;
            if (!pageDown) {
                const double perNotch = double(stitcher.LastShift()) / notches;
                notches = std::clamp(int(kScrollStepShare * stitcher.MovingRows() / perNotch), 1, kMaxNotches);
            }
            if (hooks_.progress) hooks_.progress(stitcher.Height(), result.steps);
            continue;
        }
        if (step == StitchStep::NoMovement && result.steps == 0 && !pageDown) {
            // The wheel did nothing here: some windows only follow the keyboard.
            pageDown = result.pageDown = true;
            if (hooks_.focusTarget) hooks_.focusTarget();
            continue;
        }
        if ((step == StitchStep::Ambiguous || step == StitchStep::NoMatch) && !pageDown && notches > 1 &&
            retries < kMaxRetries) {
            // Back to where the last accepted view was, then a shorter step
            // with more overlap to match on.
            ++retries;
            PixelImage back;
            if (!Input(false, -notches) || !Settle(nullptr, back)) {
                result.end = ScrollEnd::GrabFailed;
                break;
            }
            notches = std::max(1, notches / 2);
            continue;
        }
        switch (step) {
        case StitchStep::LimitReached: result.end = ScrollEnd::HeightLimit; break;
        case StitchStep::Ambiguous: result.end = ScrollEnd::Ambiguous; break;
        case StitchStep::NoMatch: result.end = ScrollEnd::NoMatch; break;
        default: result.end = ScrollEnd::EndOfPage; break;
        }
        break;
    }
    if (!stitcher.Finish(result.image)) result.end = ScrollEnd::GrabFailed;
    return result;
}

}  // namespace clipvane
