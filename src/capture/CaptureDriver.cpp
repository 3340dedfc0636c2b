#include "capture/CaptureDriver.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/TraceLog.h"
#include "capture/CaptureSound.h"
#include "document/Clipboard.h"
#include "capture/HotkeyManager.h"
#include "capture/OverlayGeometry.h"
#include "capture/SelectionOverlay.h"
#include "capture/CaptureSettingsDialog.h"
#include "capture/GlobalShortcutsPortal.h"
#include "capture/HighlightFrame.h"
#include "capture/HotkeyDialog.h"
#include "capture/ScrollProgress.h"
#include "imagefile/ImageFile.h"
#include "image/PixelImage.h"
#include "platform/PixelCopy.h"

namespace clipvane {

namespace {

constexpr int kActiveWindowWaitMs = 1000;
constexpr int kRemoteCaptureWaitMs = 200;
// How long to wait for the window manager to take the hidden main window off
// the screen before the screen is frozen.
constexpr int kHideSettleMs = 500;
// Scrolling capture: the smallest window that is scrolled, the pause for the
// window's repaint once the overlay has gone, and for the focus to move
// before the Page Down key.
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

Rect Offset(const Rect& r, int dx, int dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace

bool CaptureModeFromName(const QString& name, CaptureMode* mode) {
    static const struct {
        const char* name;
        CaptureMode mode;
    } names[] = {{"full", CaptureMode::FullScreen},  {"window", CaptureMode::WindowObject},
                 {"region", CaptureMode::Region},    {"active", CaptureMode::ActiveWindow},
                 {"scroll", CaptureMode::Scrolling}, {"fixed", CaptureMode::FixedRect}};
    for (const auto& n : names) {
        if (name == QLatin1String(n.name)) {
            *mode = n.mode;
            return true;
        }
    }
    return false;
}

CaptureDriver::CaptureDriver(CaptureHost& host, std::unique_ptr<ScreenPlatform> platform, QObject* parent)
    : QObject(parent), host_(host), platform_(std::move(platform)) {
    settings_.imageSavePath = DefaultCaptureFolder();
    if (platform_) {
        hotkeys_ = std::make_unique<HotkeyManager>(*platform_, [this](CaptureMode m) { Request(m); });
    }
}

CaptureDriver::~CaptureDriver() {
    hotkeys_.reset();  // ungrabs while the platform still exists
}

// ---- queue -------------------------------------------------------------

void CaptureDriver::Enqueue(std::function<void()> job) {
    pending_.push_back(std::move(job));
    if (!busy_ && !scheduled_) {
        scheduled_ = true;
        QMetaObject::invokeMethod(this, &CaptureDriver::RunPending, Qt::QueuedConnection);
    }
}

void CaptureDriver::RunPending() {
    scheduled_ = false;
    if (busy_) return;  // the running job's loop picks the new one up
    while (!pending_.empty()) {
        std::function<void()> job = std::move(pending_.front());
        pending_.pop_front();
        busy_ = true;
        job();
        busy_ = false;
    }
}

void CaptureDriver::Wait(int ms) {
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

void CaptureDriver::Request(CaptureMode mode) {
    // The active window is read when the command arrives: hiding the main
    // window later moves the focus. Clipvane's own windows do not count (a
    // menu command): the capture then takes the window below the main one.
    WindowId target = 0;
    if (mode == CaptureMode::ActiveWindow && platform_) {
        target = platform_->ActiveWindow();
        if (IsOwnWindow(target)) target = 0;
    }
    Enqueue([this, mode, target] {
        activeTarget_ = target;
        Run(mode);
        activeTarget_ = 0;
    });
}

void CaptureDriver::RemoteCapture(int mode) {
    static const CaptureMode modes[] = {CaptureMode::FullScreen, CaptureMode::WindowObject, CaptureMode::Region,
                                        CaptureMode::ActiveWindow, CaptureMode::Scrolling};
    if (mode < 0 || mode > 4) return;
    Request(modes[mode]);
}

bool CaptureDriver::Run(CaptureMode mode) {
    bool delivered = false;
    switch (mode) {
    case CaptureMode::FullScreen: delivered = CaptureFullScreen(); break;
    case CaptureMode::WindowObject: delivered = CaptureWindowObject(); break;
    case CaptureMode::ActiveWindow: delivered = CaptureActiveWindow(); break;
    case CaptureMode::Region: delivered = CaptureRegion(); break;
    case CaptureMode::Scrolling: delivered = CaptureScrollingWindow(); break;
    case CaptureMode::FixedRect: delivered = CaptureFixedRect(); break;
    }
    emit captureFinished(int(mode), delivered);
    return delivered;
}

// ---- main window ---------------------------------------------------------

bool CaptureDriver::IsOwnWindow(WindowId id) {
    if (!id) return false;
    if (QWidget* w = host_.HostWindow(); w && WindowId(w->internalWinId()) == id) return true;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (WindowId(w->internalWinId()) == id) return true;
    }
    return false;
}

WindowId CaptureDriver::MainWindowId() {
    QWidget* w = host_.HostWindow();
    return w && w->isVisible() ? WindowId(w->effectiveWinId()) : 0;
}

WindowId CaptureDriver::WindowBelowMain() {
    const WindowId main = MainWindowId();
    if (!main || !platform_) return 0;
    const std::vector<TopWindow> stack = platform_->StackingOrder();
    for (size_t i = 0; i + 1 < stack.size(); ++i) {
        if (stack[i].id == main) return stack[i + 1].id;
    }
    return 0;
}

void CaptureDriver::HideMain() {
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

void CaptureDriver::ShowMainAfterCapture() {
    QWidget* w = host_.HostWindow();
    if (!w) return;
    if (settings_.restoreWndAftCap) {
        w->show();
    } else {
        w->showMinimized();
    }
}

void CaptureDriver::ShowMainNoActivate() {
    QWidget* w = host_.HostWindow();
    if (!w) return;
    const bool before = w->testAttribute(Qt::WA_ShowWithoutActivating);
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    w->show();
    w->setAttribute(Qt::WA_ShowWithoutActivating, before);
}

void CaptureDriver::ShowMainInFront() {
    QWidget* w = host_.HostWindow();
    if (!w) return;
    w->raise();
    ShowMainNoActivate();
    w->activateWindow();
}

void CaptureDriver::RefreshMain() {
    if (QWidget* w = host_.HostWindow()) w->update();
}

Rect CaptureDriver::ScreenRect() { return platform_ ? platform_->PrimaryScreen() : Rect{}; }

int CaptureDriver::DelayMs() const { return std::max(settings_.capDelayTime, kMinCaptureDelay); }

// ---- routines ---------------------------------------------------------------

bool CaptureDriver::CaptureFullScreen() {
    if (!platform_) return false;
    if (settings_.hideWndBeforCap) HideMain();
    Wait(DelayMs());
    PixelImage image;
    if (!platform_->Grab(ScreenRect(), image)) {
        host_.ReportMessage(tr("The screen could not be captured."));
        ShowMainNoActivate();
        return false;
    }
    FinishCapture(image);
    ShowMainAfterCapture();
    return true;
}

bool CaptureDriver::CaptureRegion() { return RunRectOverlay(OverlayMode::Region); }

bool CaptureDriver::CaptureFixedRect() { return RunRectOverlay(OverlayMode::FixedRect); }

int CaptureDriver::ExecOverlay(SelectionOverlay& dialog) {
    const int result = runOverlay_ ? runOverlay_(dialog) : dialog.exec();
    if (dialog.FirstPaintMs() >= 0) emit overlayPainted(dialog.FirstPaintMs());
    return result;
}

bool CaptureDriver::RunRectOverlay(OverlayMode mode) {
    if (!platform_) return false;
    if (settings_.hideWndBeforCap) HideMain();
    Wait(DelayMs());  // the overlay freezes the screen as it is after the wait
    SelectionOverlay dialog(mode, *platform_);
    dialog.SetFixedRectSize(settings_.fixRectWidth, settings_.fixRectHeight);
    const int result = ExecOverlay(dialog);
    return FinishOverlay(result, dialog, mode == OverlayMode::Region ? dialog.DragRect() : dialog.FixedRectResult());
}

bool CaptureDriver::FinishOverlay(int result, SelectionOverlay& dialog, const Rect& rect) {
    PixelImage image;
    if (result != QDialog::Accepted || rect.IsEmpty() || !CropImage(dialog.FrozenScreen(), rect, image)) {
        ShowMainNoActivate();
        return false;
    }
    FinishCapture(image);
    ShowMainAfterCapture();
    RefreshMain();
    return true;
}

QString CaptureDriver::UnavailableReason(CaptureMode mode) const {
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

QString CaptureDriver::WindowIdsUnavailableReason() const {
    if (!platform_ || platform_->KnowsWindows()) return {};
    return tr(
        "Marking or capturing a window by its id is not possible on this desktop: it does not let programs "
        "see where other windows are. Use Rectangle Region and drag around the window instead.");
}

bool CaptureDriver::RefuseUnavailable(CaptureMode mode) {
    const QString why = UnavailableReason(mode);
    if (why.isEmpty()) return false;
    host_.ReportMessage(why);
    return true;
}

Rect CaptureDriver::PrepareWindowPick(WindowGrid& grid) {
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

bool CaptureDriver::CaptureWindowObject() {
    if (!platform_ || RefuseUnavailable(CaptureMode::WindowObject)) return false;
    WindowGrid grid;
    PrepareWindowPick(grid);

    SelectionOverlay dialog(OverlayMode::WindowObject, *platform_);
    dialog.SetWindowGrid(&grid);
    const int result = ExecOverlay(dialog);
    // Not clipped: a window reaching past the screen edge keeps its full size, black outside.
    return FinishOverlay(result, dialog, dialog.WindowRect());
}

bool CaptureDriver::CaptureActiveWindow() {
    if (!platform_ || RefuseUnavailable(CaptureMode::ActiveWindow)) return false;
    const WindowId target = activeTarget_;
    if (settings_.hideWndBeforCap) {
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
    FinishCapture(image);
    if (settings_.restoreWndAftCap) {
        ShowMainInFront();
    } else if (QWidget* w = host_.HostWindow()) {
        w->hide();
    }
    return true;
}

bool CaptureDriver::CaptureScrollingWindow() {
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
    const Rect area = Offset(picked, screen.left, screen.top).Intersected(screen);
    WindowId target = dialog->Window();
    dialog.reset();  // its frozen screen is not needed any more
    if (!target) {
        const TopWindow* under = grid.WindowAt((picked.left + picked.right) / 2, (picked.top + picked.bottom) / 2);
        target = under ? under->id : 0;
    }
    ScrollProgress progress(*platform_, QRect(area.left, area.top, area.Width(), area.Height()),
                            QRect(screen.left, screen.top, screen.Width(), screen.Height()));
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
    ScrollCaptureResult run = ScrollCapture(*platform_, area, settings_.scrollMaxHeight, std::move(hooks)).Run();
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
    FinishCapture(run.image);
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
    ShowMainAfterCapture();
    RefreshMain();
    return true;
}

// ---- outputs ------------------------------------------------------------------

void CaptureDriver::FinishCapture(const PixelImage& image) {
    if (settings_.copyToClipboard) CopyImageToClipboard(image);
    const bool toDocument = DeliverToEditor(image);
    AutoSaveCapture(image, toDocument);
}

bool CaptureDriver::DeliverToEditor(const PixelImage& image) {
    if (settings_.playSoundWhenCap) PlayCaptureSound();
    switch (settings_.capAppViewMode) {
    case kViewNewWindow: host_.DeliverNew(image, false); return true;
    case kViewReplace:
        if (!host_.DeliverReplace(image)) host_.DeliverNew(image, true);
        return true;
    default: return false;
    }
}

namespace {

// Creates `path` empty when nothing is there yet: the name is then taken, also
// against another program saving into the same folder meanwhile.
bool ClaimName(const std::string& path, int* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

void CaptureDriver::AutoSaveCapture(const PixelImage& image, bool toDocument) {
    if (!settings_.isAudoSave) return;
    std::string path = NumberedCapturePath(settings_);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    // An existing file is never replaced: the next free number is taken and
    // the counter moves past it. A number is used up even when the save fails.
    QString reason;
    bool claimed = false;
    if (ec) {
        reason = QString::fromStdString(ec.message());
        settings_.startNum = std::min(settings_.startNum + 1, kMaxStartNum);
    }
    while (!ec) {
        path = NumberedCapturePath(settings_);
        int error = 0;
        claimed = ClaimName(path, &error);
        const bool atLimit = settings_.startNum >= kMaxStartNum;
        if (!claimed && error == EEXIST && atLimit) {
            reason = tr("every number up to %1 is taken").arg(kMaxStartNum);
            break;
        }
        if (!atLimit) ++settings_.startNum;
        if (!claimed && error == EEXIST) continue;
        if (!claimed) reason = QString::fromLocal8Bit(std::strerror(error));
        break;
    }
    // Kept in the file at once, so a crash cannot make the next run reuse
    // the number and overwrite an earlier capture.
    if (!profile_.Path().empty()) profile_.WriteInt("AudoSaveSet", "StartNum", settings_.startNum);

    if (claimed && !SaveImageFile(image, path)) {
        const int saveError = errno;
        ::unlink(path.c_str());
        reason = access(folder.c_str(), W_OK) != 0 ? QString::fromLocal8Bit(std::strerror(saveError))
                                                   : tr("the image could not be written in this format");
    }
    const QString qpath = QString::fromStdString(path);
    if (!reason.isEmpty()) {
        host_.ReportMessage(tr("The capture could not be saved to %1: %2").arg(qpath, reason));
        return;
    }
    if (toDocument) host_.SetDeliveredPath(qpath);
    emit captureSaved(qpath);
}

// ---- remote control -------------------------------------------------------------

void CaptureDriver::RemoveHighlight() {
    if (highlightFrame_) highlightFrame_->hide();
    highlighted_ = 0;
}

namespace {
// An X11 window id from a remote caller; 0 (no window) when it cannot be one.
WindowId RemoteWindowId(uint64_t id) { return id > 0xFFFFFFFFu ? 0 : WindowId(id); }
}  // namespace

void CaptureDriver::Highlight(uint64_t id) {
    const WindowId window = RemoteWindowId(id);
    if (const QString why = WindowIdsUnavailableReason(); !why.isEmpty()) {
        host_.ReportMessage(why);
        return;
    }
    Enqueue([this, window] {
        RemoveHighlight();
        Rect frame;
        if (!platform_ || !window || !platform_->FrameRect(window, &frame)) return;
        highlighted_ = window;
        if (!highlightFrame_) highlightFrame_ = std::make_unique<HighlightFrame>();
        highlightFrame_->ShowAround(QRect(frame.left, frame.top, frame.Width(), frame.Height()));
    });
}

void CaptureDriver::CaptureWindow(int flag, uint64_t id) {
    const WindowId window = RemoteWindowId(id);
    if (const QString why = WindowIdsUnavailableReason(); !why.isEmpty()) {
        if (flag == 1) host_.ReportMessage(why);
        return;
    }
    Enqueue([this, flag, window] {
        const bool marked = highlightFrame_ && highlightFrame_->isVisible();
        RemoveHighlight();
        Rect frame;
        if (flag != 1 || !platform_ || !window || !platform_->FrameRect(window, &frame)) return;
        highlighted_ = window;
        if (marked) Wait(50);  // let the frame's hiding reach the screen before the grab
        PixelImage image;
        if (!platform_->Grab(frame, image)) return;
        if (settings_.copyToClipboard) CopyImageToClipboard(image);
        Wait(kRemoteCaptureWaitMs);
        const bool toDocument = DeliverToEditor(image);
        AutoSaveCapture(image, toDocument);
        if (QWidget* w = host_.HostWindow()) {
            w->showNormal();
            w->raise();
            w->activateWindow();
        }
        emit captureFinished(int(CaptureMode::WindowObject), true);
    });
}

// ---- settings and hotkeys -----------------------------------------------------------

void CaptureDriver::LoadSettings(const QString& configPath, bool firstRunDefaults) {
    profile_.SetPath(configPath.toLocal8Bit().constData());
    const bool firstRun = !profile_.Exists();
    settings_.Load(profile_);
    if (const std::string error = profile_.Error(); !error.empty()) {
        std::fprintf(stderr, "clipvane: %s %s; starting with the default settings, the file is left as it is\n",
                     configPath.toLocal8Bit().constData(), error.c_str());
    }
    if (firstRun && firstRunDefaults && !profile_.Path().empty()) {
        settings_.ApplyFirstRunDefaults();
        settings_.SaveCaptureSet(profile_);
    }
}

void CaptureDriver::SaveOnClose() {
    if (!profile_.Path().empty()) settings_.SaveOnClose(profile_);
}

void CaptureDriver::EditSettings(QWidget* parent) {
    CaptureSettingsDialog dialog(settings_, profile_.Path().empty() ? nullptr : &profile_, parent);
    if (dialog.exec() != QDialog::Accepted) return;
    // Values() already holds the counter as captures advanced it meanwhile.
    CaptureSettings chosen = dialog.Values();
    chosen.capDelayTime = std::clamp(chosen.capDelayTime, kMinCaptureDelay, kMaxCaptureDelay);
    // The title is taken as typed (an empty one becomes "Snap" only when loaded).
    chosen.imageSavePath = UsableCaptureFolder(chosen.imageSavePath);
    settings_ = chosen;
}

void CaptureDriver::RegisterHotkeys() {
    if (!hotkeys_) return;
    if (platform_ && !platform_->GrabsKeys()) {
        // The desktop binds the shortcuts where it offers the portal, after
        // asking the user.
        if (!shortcutsChecked_) {
            shortcutsChecked_ = true;
            auto* portal = new GlobalShortcutsPortal(QDBusConnection::sessionBus(), this);
            if (portal->Available()) {
                shortcuts_ = portal;
                connect(portal, &GlobalShortcutsPortal::activated, this, [this](CaptureMode m) {
                    if (settings_.isEnableHotkey) Request(m);
                });
                connect(portal, &GlobalShortcutsPortal::failed, this,
                        [this](const QString& why) { host_.ReportMessage(why); });
            } else {
                delete portal;
            }
        }
        if (shortcuts_) {
            shortcuts_->Bind(settings_.hotkeys);
            return;
        }
        // Said once per run, not per combination.
        const QString key = QStringLiteral("no key grabs");
        if (!reportedHotkeyFailures_.contains(key))
            host_.ReportMessage(tr("This desktop does not let programs set up global hotkeys. Add shortcuts in its "
                                   "keyboard settings that run \"%1\" (Setting / Define hotkey shows the command "
                                   "for each mode).")
                                    .arg(CaptureCommand(ProgramForCommands(), CaptureMode::FullScreen)));
        reportedHotkeyFailures_.insert(key);
        return;
    }
    const QStringList failures = hotkeys_->RegisterAll(settings_);
    QStringList fresh;
    for (const QString& f : failures) {
        if (!reportedHotkeyFailures_.contains(f)) fresh << f;
        reportedHotkeyFailures_.insert(f);
    }
    if (!fresh.isEmpty()) host_.ReportMessage(tr("Some hotkeys could not be set up:\n%1").arg(fresh.join('\n')));
}

void CaptureDriver::UnregisterHotkeys() {
    if (hotkeys_) hotkeys_->UnregisterAll();
    if (shortcuts_) shortcuts_->Close();
}

void CaptureDriver::ToggleHotkeys() {
    if (settings_.isEnableHotkey) {
        UnregisterHotkeys();
    } else {
        RegisterHotkeys();
    }
    settings_.isEnableHotkey = !settings_.isEnableHotkey;
    emit hotkeysEnabledChanged(settings_.isEnableHotkey);
}

void CaptureDriver::DefineHotkeys(QWidget* parent) {
    UnregisterHotkeys();  // a combination pressed while the dialog is open must not capture
    HotkeyListDialog dialog(profile_, settings_.isEnableHotkey, parent);
    if (platform_ && !platform_->GrabsKeys()) dialog.ShowDesktopCommands(ProgramForCommands());
    if (dialog.exec() == QDialog::Accepted) {
        settings_.hotkeys = dialog.Hotkeys();
        if (dialog.HotkeysEnabled() != settings_.isEnableHotkey) {
            settings_.isEnableHotkey = dialog.HotkeysEnabled();
            emit hotkeysEnabledChanged(settings_.isEnableHotkey);
        }
    }
    if (settings_.isEnableHotkey) RegisterHotkeys();
}

}  // namespace clipvane
