// The scrolling capture's part of CaptureSession: picking the area, driving
// ScrollCapture with its progress frame, and saying why a run stopped early.
#include <QDialog>
#include <QRect>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/TraceLog.h"
#include "capture/CaptureSession.h"
#include "capture/ScrollProgress.h"
#include "capture/SelectionOverlay.h"

namespace clipvane {

namespace {

// The smallest window that is scrolled, the pause for the window's repaint
// once the overlay has gone, and for the focus to move before the Page Down key.
constexpr int kMinScrollWidth = 50;
constexpr int kMinScrollHeight = 61;
constexpr int kScrollStartMs = 150;
constexpr int kFocusSettleMs = 150;

// For the trace: starts the peak resident size over from the current size
// (Linux: "5" to clear_refs) and returns that size in KiB.
long ResetPeakResident() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

bool CaptureSession::CaptureScrollingWindow() {
    if (RefuseUnavailable(CaptureMode::Scrolling)) return false;
    if (!platform_) return false;
    WindowGrid grid;
    const Rect screen = PrepareWindowPick(grid);

    auto dialog = std::make_unique<SelectionOverlay>(OverlayMode::WindowObject, *platform_);
    dialog->SetWindowGrid(&grid);
    dialog->SetDragAllowed(true);  // a window, or the part of one that scrolls
    const int result = ExecOverlay(*dialog);
    const Rect picked = dialog->WindowRect();
    if (result != QDialog::Accepted || picked.IsEmpty()) {
        ShowMainNoActivate();
        return false;
    }
    // Too small to scroll: taken as a window/object capture is.
    if (picked.Width() < kMinScrollWidth || picked.Height() < kMinScrollHeight)
        return FinishOverlay(result, *dialog, picked);

    // Scrolling needs the live screen: the part of the choice on it.
    const Rect area =
        Rect{picked.left + screen.left, picked.top + screen.top, picked.right + screen.left, picked.bottom + screen.top}
            .Intersected(screen);
    WindowId target = dialog->Window();
    dialog.reset();  // its frozen screen is not needed any more
    if (!target) {
        const TopWindow* under = grid.WindowAt((picked.left + picked.right) / 2, (picked.top + picked.bottom) / 2);
        target = under ? under->id : 0;
    }
    return RunScroll(area, screen, target);
}

bool CaptureSession::RunScroll(const Rect& area, const Rect& screen, WindowId target) {
    ScrollProgress progress(*platform_, ToQRect(area), ToQRect(screen));
    ScrollCapture::Hooks hooks;
    hooks.wait = [this](int ms) { Wait(ms); };
    hooks.cancelled = [&progress] { return progress.Cancelled(); };
    hooks.progress = [&progress](int height, int) { progress.SetHeight(height); };
    hooks.focusTarget = [this, target] {
        if (target) platform_->Activate(target);
        Wait(kFocusSettleMs);
    };
    Wait(kScrollStartMs);  // the window repaints where the overlay was
    const long startKiB = TraceEnabled() ? ResetPeakResident() : 0;
    ScrollCapture scroll(*platform_, area, settings_.scrollMaxHeight, std::move(hooks));
    scroll.SetStartAtTop(!settings_.scrollFromCurrent);
    ScrollCaptureResult run = scroll.Run();
    lastScrollEnd_ = run.end;
    lastScrollSteps_ = run.steps;
    if (TraceEnabled()) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        TraceLog(
            "scrolling capture: area %dx%d+%d+%d, %d steps%s, %d rows, end %d; resident %ld KiB at the start, "
            "peak %ld KiB\n",
            area.Width(), area.Height(), area.left, area.top, run.steps, run.pageDown ? " (Page Down)" : "",
            run.image.Height(), int(run.end), startKiB, long(usage.ru_maxrss));
    }
    if (run.image.IsEmpty()) {
        host_.ReportMessage(tr("The screen could not be captured."));
        ShowMainNoActivate();
        return false;
    }
    delivery_.Deliver(run.image);
    ReportScrollEnd(run);
    ShowMainAfterCapture();
    RefreshMain();
    return true;
}

void CaptureSession::ReportScrollEnd(const ScrollCaptureResult& run) {
    switch (run.end) {
    case ScrollEnd::HeightLimit:
        host_.ReportMessage(tr("The scrolling capture stopped at its height limit of %1 rows.")
                                .arg(std::min(settings_.scrollMaxHeight, run.image.Height())));
        break;
    case ScrollEnd::Ambiguous:
        host_.ReportMessage(tr("The scrolling capture stopped after %1 rows: the page repeats itself where it "
                               "was scrolled, so the next part could not be joined without doubt. The part "
                               "captured so far was kept.")
                                .arg(run.image.Height()));
        break;
    case ScrollEnd::NoMatch:
        host_.ReportMessage(tr("The scrolling capture stopped after %1 rows: the window changed while it was "
                               "scrolled, so the next part could not be joined. The part captured so far was kept.")
                                .arg(run.image.Height()));
        break;
    case ScrollEnd::NoInput:
        host_.ReportMessage(
            tr("This display does not let Clipvane scroll other windows; the visible part was "
               "captured."));
        break;
    case ScrollEnd::GrabFailed:
        host_.ReportMessage(tr("The screen could not be read while scrolling; the part captured so far was kept."));
        break;
    case ScrollEnd::EndOfPage:
    case ScrollEnd::Cancelled: break;
    }
}

}  // namespace clipvane
