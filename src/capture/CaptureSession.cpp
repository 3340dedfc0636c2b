#include "capture/CaptureSession.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "capture/SelectionOverlay.h"
#include "image/PixelImage.h"
#include "platform/PixelCopy.h"

namespace clipvane {

namespace {

constexpr int kActiveWindowWaitMs = 1000;
// How long to wait for the window manager to take the hidden main window off
// the screen before the screen is frozen.
constexpr int kHideSettleMs = 500;

Rect Offset(const Rect& r, int dx, int dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace

CaptureSession::CaptureSession(CaptureHost& host, ScreenPlatform* platform, const CaptureSettings& settings,
                               CaptureDelivery& delivery, QObject* parent)
    : QObject(parent), host_(host), platform_(platform), settings_(settings), delivery_(delivery) {}

void CaptureSession::Wait(int ms) {
    if (wait_) {
        wait_(ms);
        return;
    }
    // The program keeps painting and receiving commands meanwhile; commands
    // only queue up behind the running capture.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool CaptureSession::Run(CaptureMode mode, WindowId activeTarget) {
    switch (mode) {
    case CaptureMode::FullScreen: return CaptureFullScreen();
    case CaptureMode::WindowObject: return CaptureWindowObject();
    case CaptureMode::ActiveWindow: return CaptureActiveWindow(activeTarget);
    case CaptureMode::Region: return CaptureRegion();
    case CaptureMode::Scrolling: return CaptureScrollingWindow();
    case CaptureMode::FixedRect: return CaptureFixedRect();
    }
    return false;
}

// ---- main window ---------------------------------------------------------

bool CaptureSession::IsOwnWindow(WindowId id) const {
    if (!id) return false;
    if (QWidget* w = host_.HostWindow(); w && WindowId(w->internalWinId()) == id) return true;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (WindowId(w->internalWinId()) == id) return true;
    }
    return false;
}

WindowId CaptureSession::MainWindowId() const {
    QWidget* w = host_.HostWindow();
    return w && w->isVisible() ? WindowId(w->effectiveWinId()) : 0;
}

WindowId CaptureSession::WindowBelowMain() const {
    const WindowId main = MainWindowId();
    if (!main || !platform_) return 0;
    const std::vector<TopWindow> stack = platform_->StackingOrder();
    for (size_t i = 0; i + 1 < stack.size(); ++i) {
        if (stack[i].id == main) return stack[i + 1].id;
    }
    return 0;
}

void CaptureSession::HideMain() {
    const WindowId id = MainWindowId();
    QWidget* w = host_.HostWindow();
    if (!w || !id) return;
    w->hide();
    // X is asynchronous: wait until the window manager has unmapped the frame,
    // so neither the frozen screen nor the window list still holds it.
    for (int waited = 0; platform_ && waited < kHideSettleMs; waited += 10) {
        bool shown = false;
        for (const TopWindow& t : platform_->StackingOrder()) shown |= t.id == id;
        if (!shown) break;
        Wait(10);
    }
}

void CaptureSession::ShowMainAfterCapture() {
    QWidget* w = host_.HostWindow();
    if (!w) return;
    if (settings_.restoreWindowAfterCapture) {
        w->show();
    } else {
        w->showMinimized();
    }
}

void CaptureSession::ShowMainNoActivate() {
    QWidget* w = host_.HostWindow();
    if (!w) return;
    const bool before = w->testAttribute(Qt::WA_ShowWithoutActivating);
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    w->show();
    w->setAttribute(Qt::WA_ShowWithoutActivating, before);
}

void CaptureSession::ShowMainInFront() {
    QWidget* w = host_.HostWindow();
    if (!w) return;
    w->raise();
    ShowMainNoActivate();
    w->activateWindow();
}

void CaptureSession::RefreshMain() {
    if (QWidget* w = host_.HostWindow()) w->update();
}

Rect CaptureSession::ScreenRect() const { return platform_ ? platform_->PrimaryScreen() : Rect{}; }

int CaptureSession::DelayMs() const { return std::max(settings_.capDelayTime, kMinCaptureDelay); }

// ---- routines ---------------------------------------------------------------

bool CaptureSession::CaptureFullScreen() {
    if (!platform_) return false;
    if (settings_.hideWindowBeforeCapture) HideMain();
    Wait(DelayMs());
    PixelImage image;
    if (!platform_->Grab(ScreenRect(), image)) {
        host_.ReportMessage(tr("The screen could not be captured."));
        ShowMainNoActivate();
        return false;
    }
    delivery_.Deliver(image);
    ShowMainAfterCapture();
    return true;
}

bool CaptureSession::CaptureRegion() { return RunRectOverlay(OverlayMode::Region); }

bool CaptureSession::CaptureFixedRect() { return RunRectOverlay(OverlayMode::FixedRect); }

int CaptureSession::ExecOverlay(SelectionOverlay& dialog) {
    overlayOpen_ = true;
    const int result = runOverlay_ ? runOverlay_(dialog) : dialog.exec();
    overlayOpen_ = false;
    if (dialog.FirstPaintMs() >= 0) emit overlayPainted(dialog.FirstPaintMs());
    return result;
}

bool CaptureSession::RunRectOverlay(OverlayMode mode) {
    if (!platform_) return false;
    if (settings_.hideWindowBeforeCapture) HideMain();
    Wait(DelayMs());  // the overlay freezes the screen as it is after the wait
    SelectionOverlay dialog(mode, *platform_);
    dialog.SetFixedRectSize(settings_.fixRectWidth, settings_.fixRectHeight);
    const int result = ExecOverlay(dialog);
    return FinishOverlay(result, dialog, mode == OverlayMode::Region ? dialog.DragRect() : dialog.FixedRectResult());
}

bool CaptureSession::FinishOverlay(int result, SelectionOverlay& dialog, const Rect& rect) {
    PixelImage image;
    if (result != QDialog::Accepted || rect.IsEmpty() || !CropImage(dialog.FrozenScreen(), rect, image)) {
        ShowMainNoActivate();
        return false;
    }
    delivery_.Deliver(image);
    ShowMainAfterCapture();
    RefreshMain();
    return true;
}

QString CaptureSession::UnavailableReason(CaptureMode mode) const {
    if (!platform_ || platform_->KnowsWindows()) return {};
    QString what;
    switch (mode) {
    case CaptureMode::WindowObject: what = tr("Window / object capture"); break;
    case CaptureMode::ActiveWindow: what = tr("Active window capture"); break;
    case CaptureMode::Scrolling: what = tr("Scrolling window capture"); break;
    default: return {};
    }
    return tr("%1 is not possible on this desktop: it does not let programs see where other windows are. "
              "Use Rectangle Region and drag around the window instead.")
        .arg(what);
}

QString CaptureSession::WindowIdsUnavailableReason() const {
    if (!platform_ || platform_->KnowsWindows()) return {};
    return tr(
        "Marking or capturing a window by its id is not possible on this desktop: it does not let programs "
        "see where other windows are. Use Rectangle Region and drag around the window instead.");
}

bool CaptureSession::RefuseUnavailable(CaptureMode mode) {
    const QString why = UnavailableReason(mode);
    if (why.isEmpty()) return false;
    host_.ReportMessage(why);
    return true;
}

Rect CaptureSession::PrepareWindowPick(WindowGrid& grid) {
    const WindowId main = MainWindowId();
    const WindowId next = WindowBelowMain();
    HideMain();  // whatever the settings say: the main window must not be picked
    if (next) platform_->Activate(next);

    const Rect screen = ScreenRect();
    std::vector<TopWindow> windows;
    for (const TopWindow& t : platform_->StackingOrder()) {
        if (t.id != main) windows.push_back(TopWindow{t.id, Offset(t.frame, -screen.left, -screen.top)});
    }
    grid.Build(windows, screen.Width(), screen.Height());
    return screen;
}

bool CaptureSession::CaptureWindowObject() {
    if (!platform_ || RefuseUnavailable(CaptureMode::WindowObject)) return false;
    WindowGrid grid;
    PrepareWindowPick(grid);

    SelectionOverlay dialog(OverlayMode::WindowObject, *platform_);
    dialog.SetWindowGrid(&grid);
    const int result = ExecOverlay(dialog);
    // Not clipped: a window reaching past the screen edge keeps its full size, black outside.
    return FinishOverlay(result, dialog, dialog.WindowRect());
}

bool CaptureSession::CaptureActiveWindow(WindowId target) {
    if (!platform_ || RefuseUnavailable(CaptureMode::ActiveWindow)) return false;
    if (settings_.hideWindowBeforeCapture) {
        const WindowId next = target ? target : WindowBelowMain();
        HideMain();
        if (next) platform_->Activate(next);
    }
    Wait(kActiveWindowWaitMs);
    const Rect screen = ScreenRect();
    Rect frame;
    const WindowId active = target ? target : platform_->ActiveWindow();
    // A maximised window's frame usually reaches a few pixels past the screen
    // edge: capture the part on the screen instead of refusing the window.
    const bool found = active && platform_->FrameRect(active, &frame);
    const Rect rect = found ? frame.Intersected(screen) : Rect{};
    PixelImage image;
    const bool grabbed = !rect.IsEmpty() && platform_->Grab(rect, image);
    if (!rect.IsEmpty() && !grabbed) host_.ReportMessage(tr("The screen could not be captured."));
    if (!grabbed) {
        ShowMainInFront();
        return false;
    }
    delivery_.Deliver(image);
    if (settings_.restoreWindowAfterCapture) {
        ShowMainInFront();
    } else if (QWidget* w = host_.HostWindow()) {
        w->hide();
    }
    return true;
}

}  // namespace clipvane
