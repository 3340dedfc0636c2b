#pragma once
// One capture from start to image: hides the main window as the settings
// say, waits, grabs the screen or runs the selection overlay over a frozen
// copy of it, drives the scrolling run, and hands the image to the
// CaptureDelivery. Everything runs synchronously but keeps the event loop
// going while it waits; CaptureDriver queues the requests that start it.
#include <QObject>
#include <QString>

#include <functional>

#include "capture/CaptureDelivery.h"
#include "capture/CaptureHost.h"
#include "capture/OverlayGeometry.h"
#include "capture/ScrollCapture.h"
#include "platform/ScreenPlatform.h"
#include "settings/CaptureSettings.h"

namespace clipvane {

class SelectionOverlay;

class CaptureSession : public QObject {
    Q_OBJECT
public:
    // `platform` may be null (no display): every routine then returns false.
    CaptureSession(CaptureHost& host, ScreenPlatform* platform, const CaptureSettings& settings,
                   CaptureDelivery& delivery, QObject* parent = nullptr);

    // Runs the routine of `mode`; `activeTarget` is the window an active-window
    // capture takes (0: the active one after the wait). True when delivered.
    bool Run(CaptureMode mode, WindowId activeTarget = 0);
    bool CaptureFullScreen();
    bool CaptureRegion();
    bool CaptureFixedRect();
    bool CaptureWindowObject();
    bool CaptureActiveWindow(WindowId target = 0);
    // Picks a window or drags a region, scrolls it and stitches the views
    // into one tall image (ScrollCapture); says why when it stopped early.
    bool CaptureScrollingWindow();
    ScrollEnd LastScrollEnd() const { return lastScrollEnd_; }
    int LastScrollSteps() const { return lastScrollSteps_; }

    // Why `mode` cannot run on this desktop, empty when it can.
    QString UnavailableReason(CaptureMode mode) const;
    QString WindowIdsUnavailableReason() const;
    // True while the selection overlay is up (it holds the keyboard and pointer).
    bool OverlayOpen() const { return overlayOpen_; }
    // Clipvane's own windows (a menu command's active window).
    bool IsOwnWindow(WindowId id) const;

    // Waits `ms` while the event loop runs (or through the test seam).
    void Wait(int ms);
    void SetWaitFunction(std::function<void(int)> wait) { wait_ = std::move(wait); }
    void SetOverlayRunner(std::function<int(SelectionOverlay&)> run) { runOverlay_ = std::move(run); }

signals:
    // The overlay opened; `ms` is the time from its creation to its first painted frame.
    void overlayPainted(qint64 ms);

private:
    WindowId MainWindowId() const;
    WindowId WindowBelowMain() const;
    void HideMain();
    // Hides the main window, activates the one below it and lays out the
    // other windows in screen coordinates for picking; returns the screen.
    Rect PrepareWindowPick(WindowGrid& grid);
    void ShowMainAfterCapture();
    void ShowMainNoActivate();
    void ShowMainInFront();  // brought to the foreground, then shown without activation
    void RefreshMain();
    Rect ScreenRect() const;
    int DelayMs() const;

    bool RunRectOverlay(OverlayMode mode);
    int ExecOverlay(SelectionOverlay& dialog);
    // Delivers the chosen part of the overlay's frozen screen, or restores the
    // main window when the overlay was cancelled.
    bool FinishOverlay(int result, SelectionOverlay& dialog, const Rect& rect);
    // Reports UnavailableReason(mode) and returns true when there is one.
    bool RefuseUnavailable(CaptureMode mode);
    // Scrolls `area` of the live screen and delivers the stitched image.
    bool RunScroll(const Rect& area, const Rect& screen, WindowId target);
    void ReportScrollEnd(const ScrollCaptureResult& run);

    CaptureHost& host_;
    ScreenPlatform* platform_;
    const CaptureSettings& settings_;
    CaptureDelivery& delivery_;
    ScrollEnd lastScrollEnd_ = ScrollEnd::EndOfPage;
    int lastScrollSteps_ = 0;
    bool overlayOpen_ = false;
    std::function<void(int)> wait_;
    std::function<int(SelectionOverlay&)> runOverlay_;
};

}  // namespace clipvane
