#pragma once
// The capture driver: the queue of capture requests, the remote-control entry
// points, the capture settings and the hotkeys. A capture itself runs in the
// CaptureSession (request to image) and its image goes out through the
// CaptureDelivery (clipboard, sound, editor, numbered file).
//
// Wiring it into the application (the main frame owns one driver):
//
//   auto driver = new CaptureDriver(frameAsHost, CreateDesktopPlatform(), frame);
//   driver->LoadSettings(configPath, true);  // while the frame is created
//   if (driver->Settings().isEnableHotkey) driver->RegisterHotkeys();
//
//   Command ids (menu, tray menu, tool bar) -> driver calls; every capture
//   call returns at once and the capture runs from the event loop, one after
//   the other in the order asked:
//     32835 Full Screen / "Capture Full screen"   Request(CaptureMode::FullScreen)
//     32793 Window / Object / "Capture Windows"   Request(CaptureMode::WindowObject)
//     32792 Rectangle Region / "Capture Region"   Request(CaptureMode::Region)
//     32794 Active Window / "Capture Active window" Request(CaptureMode::ActiveWindow)
//     32921 Scrolling Window                      Request(CaptureMode::Scrolling)
//     32929 Fixed Rectangle                       Request(CaptureMode::FixedRect)
//     32795 Capture Setting                       EditSettings(frame)
//     32899 Define hotkey                         DefineHotkeys(frame)
//     32900 Enable hotkey                         ToggleHotkeys(); check mark = HotkeysEnabled()
//                                                 (hotkeysEnabledChanged is emitted on every change)
//   Hotkeys need nothing else: the driver installs its own native event filter.
//
//   D-Bus interface org.clipvane.Clipvane (the frame's adaptor forwards):
//     Capture(int mode)                    RemoteCapture(mode)   (see CaptureModes.h)
//     Highlight(uint64 window)             Highlight(window)
//     CaptureWindow(int flag, uint64 window) CaptureWindow(flag, window)
//   (pass the 64-bit id unchanged: ids that cannot be X11 windows are refused here)
//   The mode numbers and names: CaptureModes.h.
//   Command line `--capture NAME` on the running instance: CaptureModeFromName(NAME, &mode),
//   then Request(mode). `--shot` does not need the frame at all: see OneShot.h.
//
//   When the frame closes: UnregisterHotkeys(); SaveOnClose() (writes StartNum,
//   IsTrayMode and IsEnableHotkey; set Settings().isTrayMode first).
//
//   CaptureHost (the frame implements it): HostWindow() returns the frame;
//   DeliverNew() opens a new document with a copy of the image converted to
//   32 bits, modified; DeliverReplace() records an undo step on the active
//   document and replaces its image the same way, false with no document
//   (the driver then calls DeliverNew with recordUndo, so the new document
//   records the step too); SetDeliveredPath() sets that
//   document's path and title, adds it to the recent files and clears its
//   modified flag when it shows exactly the saved image (no objects);
//   ReportMessage() shows a tray balloon or status-bar message.
#include <QObject>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

#include "capture/CaptureDelivery.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureModes.h"
#include "capture/CaptureSession.h"
#include "capture/ScrollCapture.h"
#include "platform/ScreenPlatform.h"
#include "settings/CaptureSettings.h"
#include "settings/ProfileFile.h"

class QWidget;

namespace clipvane {

class SelectionOverlay;
class GlobalShortcutsPortal;
class HighlightFrame;
class HotkeyManager;

class CaptureDriver : public QObject {
    Q_OBJECT
public:
    CaptureDriver(CaptureHost& host, std::unique_ptr<ScreenPlatform> platform, QObject* parent = nullptr);
    ~CaptureDriver() override;

    // ---- commands: queued, run one after the other from the event loop
    // Refused with BusyReason() in a message while the overlay is open (the
    // user is choosing): false then.
    bool Request(CaptureMode mode);
    // A D-Bus mode number (CaptureModeFromRemote); unknown numbers do nothing.
    void RemoteCapture(int mode);
    // Marks a window with a black frame; a bad or vanished id (X11 ids have
    // at most 32 bits) is ignored.
    void Highlight(uint64_t window);
    // Removes the highlight; with flag 1 captures that window from the live
    // screen at once (no hiding, no wait before the grab).
    void CaptureWindow(int flag, uint64_t window);
    bool Busy() const { return busy_; }
    // Why a new request or command cannot be taken now (the selection overlay
    // is open and holds the keyboard and pointer); empty when it can.
    QString BusyReason() const;
    int Pending() const { return int(pending_.size()); }

    // ---- the routines themselves, synchronous (they wait without freezing
    // the program); true when a capture was delivered
    bool Run(CaptureMode mode);
    bool CaptureFullScreen() { return session_->CaptureFullScreen(); }
    bool CaptureRegion() { return session_->CaptureRegion(); }
    bool CaptureWindowObject() { return session_->CaptureWindowObject(); }
    bool CaptureActiveWindow() { return session_->CaptureActiveWindow(activeTarget_); }
    bool CaptureScrollingWindow() { return session_->CaptureScrollingWindow(); }
    // How the last scrolling capture ended and how many steps moved.
    ScrollEnd LastScrollEnd() const { return session_->LastScrollEnd(); }
    int LastScrollSteps() const { return session_->LastScrollSteps(); }
    bool CaptureFixedRect() { return session_->CaptureFixedRect(); }

    // ---- settings
    // Reads config.ini (a missing file gives the defaults). A file that is
    // refused (not a regular file, too large) is said on standard error and
    // left alone. With `firstRunDefaults`, a missing file is created with the
    // first-run defaults (CaptureSettings::ApplyFirstRunDefaults).
    void LoadSettings(const QString& configPath, bool firstRunDefaults = false);
    CaptureSettings& Settings() { return settings_; }
    ProfileFile& Profile() { return profile_; }
    int DelayMs() const;
    void EditSettings(QWidget* parent);
    void SaveOnClose();

    // ---- hotkeys
    void RegisterHotkeys();
    void UnregisterHotkeys();
    void ToggleHotkeys();
    void DefineHotkeys(QWidget* parent);
    bool HotkeysEnabled() const { return settings_.isEnableHotkey; }
    HotkeyManager* Hotkeys() { return hotkeys_.get(); }

    ScreenPlatform* Platform() { return platform_.get(); }
    // Why `mode` cannot run on this desktop (Wayland keeps other windows'
    // places and the active window from programs), in words with the
    // suggestion of a region; empty when it can. A request for such a mode
    // reports this once and captures nothing.
    QString UnavailableReason(CaptureMode mode) const { return session_->UnavailableReason(mode); }
    // The same for marking and capturing a window by its id (D-Bus
    // Highlight and CaptureWindow).
    QString WindowIdsUnavailableReason() const { return session_->WindowIdsUnavailableReason(); }
    WindowId HighlightedWindow() const { return highlighted_; }

    // Test seams: replace the waits (called with the milliseconds asked) and
    // the overlay's modal run (called with the prepared overlay).
    void SetWaitFunction(std::function<void(int)> wait) { session_->SetWaitFunction(std::move(wait)); }
    void SetOverlayRunner(std::function<int(SelectionOverlay&)> run) { session_->SetOverlayRunner(std::move(run)); }

signals:
    void captureFinished(int mode, bool delivered);
    void hotkeysEnabledChanged(bool enabled);
    // After a successful numbered save.
    void captureSaved(const QString& path);
    // The overlay opened; `ms` is the time from its creation to its first painted frame.
    void overlayPainted(qint64 ms);

private:
    void Enqueue(std::function<void()> job);
    void RunPending();
    void RemoveHighlight();

    CaptureHost& host_;
    std::unique_ptr<ScreenPlatform> platform_;
    std::unique_ptr<HotkeyManager> hotkeys_;
    // The desktop's shortcuts portal, where key grabs do not work (Wayland).
    GlobalShortcutsPortal* shortcuts_ = nullptr;
    bool shortcutsChecked_ = false;
    CaptureSettings settings_;
    ProfileFile profile_;
    QSet<QString> reportedHotkeyFailures_;
    std::unique_ptr<CaptureDelivery> delivery_;
    std::unique_ptr<CaptureSession> session_;

    std::deque<std::function<void()>> pending_;
    bool busy_ = false;
    bool scheduled_ = false;

    WindowId highlighted_ = 0;
    // The active window when the running active-window capture was asked for
    // (0: read it after the wait).
    WindowId activeTarget_ = 0;
    std::unique_ptr<HighlightFrame> highlightFrame_;
};

}  // namespace clipvane
