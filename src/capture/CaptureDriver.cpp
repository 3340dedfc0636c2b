#include "capture/CaptureDriver.h"

#include <QDBusConnection>
#include <QDialog>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include "capture/CaptureSettingsDialog.h"
#include "capture/GlobalShortcutsPortal.h"
#include "capture/HighlightFrame.h"
#include "capture/HotkeyDialog.h"
#include "capture/HotkeyManager.h"
#include "image/PixelImage.h"

namespace clipvane {

namespace {
constexpr int kRemoteCaptureWaitMs = 200;
}  // namespace

CaptureDriver::CaptureDriver(CaptureHost& host, std::unique_ptr<ScreenPlatform> platform, QObject* parent)
    : QObject(parent), host_(host), platform_(std::move(platform)) {
    settings_.imageSavePath = DefaultCaptureFolder();
    delivery_ = std::make_unique<CaptureDelivery>(host_, settings_, profile_);
    session_ = std::make_unique<CaptureSession>(host_, platform_.get(), settings_, *delivery_);
    connect(delivery_.get(), &CaptureDelivery::saved, this, &CaptureDriver::captureSaved);
    connect(session_.get(), &CaptureSession::overlayPainted, this, &CaptureDriver::overlayPainted);
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

QString CaptureDriver::BusyReason() const {
    if (!session_->OverlayOpen()) return {};
    return tr("A capture is in progress: finish it or press Esc to cancel it before asking for another one.");
}

bool CaptureDriver::Request(CaptureMode mode) {
    // Asked again while the user is choosing (a hotkey pressed twice, a
    // script): said, not run after the overlay closes.
    if (const QString why = BusyReason(); !why.isEmpty()) {
        host_.ReportMessage(why);
        return false;
    }
    // The active window is read when the command arrives: hiding the main
    // window later moves the focus. Clipvane's own windows do not count (a
    // menu command): the capture then takes the window below the main one.
    WindowId target = 0;
    if (mode == CaptureMode::ActiveWindow && platform_) {
        target = platform_->ActiveWindow();
        if (session_->IsOwnWindow(target)) target = 0;
    }
    Enqueue([this, mode, target] {
        activeTarget_ = target;
        Run(mode);
        activeTarget_ = 0;
    });
    return true;
}

void CaptureDriver::RemoteCapture(int mode) {
    CaptureMode m;
    if (CaptureModeFromRemote(mode, &m)) Request(m);
}

bool CaptureDriver::Run(CaptureMode mode) {
    const bool delivered = session_->Run(mode, activeTarget_);
    emit captureFinished(int(mode), delivered);
    return delivered;
}

int CaptureDriver::DelayMs() const { return std::max(settings_.capDelayTime, kMinCaptureDelay); }

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
        if (marked) session_->Wait(50);  // let the frame's hiding reach the screen before the grab
        PixelImage image;
        if (!platform_->Grab(frame, image)) return;
        delivery_->CopyToClipboard(image);
        session_->Wait(kRemoteCaptureWaitMs);
        delivery_->AutoSave(image, delivery_->ToEditor(image));
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
