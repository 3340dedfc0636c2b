#pragma once
// The capture settings kept in config.ini: every section, key and default,
// the fix-ups applied when they are loaded, and the write orders of the two
// dialogs that store them.
#include <array>
#include <string>

namespace clipvane {

class ProfileFile;

// The six capture modes in the order of their hotkey table.
enum class CaptureMode : int {
    FullScreen = 0,
    WindowObject = 1,
    ActiveWindow = 2,
    Region = 3,
    Scrolling = 4,
    FixedRect = 5,
};
inline constexpr int kCaptureModeCount = 6;

struct HotkeyDef {
    int key = 0;   // Windows virtual-key code (upper-case letter's code for letters)
    int mask = 0;  // 1 Alt, 2 Ctrl, 4 Shift
    bool operator==(const HotkeyDef&) const = default;
};

// config.ini section and hotkey identifier of each mode.
const char* HotkeySection(CaptureMode mode);
const char* HotkeyAtomName(CaptureMode mode);
// Ctrl + Alt + Shift + F, W, A, G, S, X: clear of the program's own
// shortcuts and of the usual desktop ones (see README).
HotkeyDef DefaultHotkey(CaptureMode mode);
// "Ctrl + Shift + F": the label a hotkey button shows.
std::string HotkeyText(const HotkeyDef& hotkey);

inline constexpr int kMinCaptureDelay = 800;
// The ranges numeric settings are kept within when read (README lists them).
inline constexpr int kMaxCaptureDelay = 60000;
inline constexpr int kMaxFixRectSide = 16384;
inline constexpr int kMaxStartNum = 999999999;
// The scrolling capture's height limit in rows ("ScrollMaxHeight" in [CaptureSet]).
inline constexpr int kDefaultScrollMaxHeight = 20000;
inline constexpr int kMinScrollMaxHeight = 100;
inline constexpr int kMaxScrollMaxHeight = 1000000;
inline constexpr size_t kMaxSavePathLength = 511;
inline constexpr size_t kMaxSaveTitleLength = 63;

enum CapAppViewMode : int { kViewNewWindow = 0, kViewReplace = 1, kViewNone = 2 };
enum ImageFormatIndex : int { kFormatBmp = 0, kFormatJpeg = 1, kFormatPng = 2, kFormatGif = 3 };

struct CaptureSettings {
    // CaptureSet
    bool hideWindowBeforeCapture = false;
    bool restoreWindowAfterCapture = false;
    bool playSoundOnCapture = false;
    int capAppViewMode = kViewNewWindow;
    bool copyToClipboard = false;
    int capDelayTime = kMinCaptureDelay;
    int fixRectWidth = 100;
    int fixRectHeight = 100;
    // Read only: no dialog writes it.
    int scrollMaxHeight = kDefaultScrollMaxHeight;
    // The scrolling capture starts where the area is scrolled to (a chat, a
    // log) instead of scrolling it to its top first.
    bool scrollFromCurrent = false;
    // AudoSaveSet
    bool isAutoSave = false;
    int imageFormat = kFormatBmp;
    std::string imageSavePath;
    std::string imageSaveTitle = "Snap";
    int startNum = 1;
    // AppSet
    bool isTrayMode = false;
    bool isEnableHotkey = false;
    // CapFullScreen .. CapFixRect
    std::array<HotkeyDef, kCaptureModeCount> hotkeys{};

    HotkeyDef& Hotkey(CaptureMode m) { return hotkeys[size_t(m)]; }
    const HotkeyDef& Hotkey(CaptureMode m) const { return hotkeys[size_t(m)]; }

    // Reads every value with its default and applies the fix-ups: numbers
    // kept within their ranges (the delay 800..60000 ms, the fixed rectangle
    // 1..16384 a side, the scrolling height limit 100..1000000, the counter 0..999999999, hotkey codes 0..255 and
    // modifier bits 0..7), an empty title (or one that is only "." or "..")
    // "Snap", a title's folder part dropped, a missing or empty folder the
    // default capture folder, folder and title cut to their buffer lengths.
    void Load(const ProfileFile& file);
    // What a first start (no config.ini yet) begins with: the main window
    // hidden before and restored after each capture, every capture copied to
    // the clipboard and opened in a new document window.
    void ApplyFirstRunDefaults();
    // The Capture Setting dialog's write order.
    void SaveCaptureSet(ProfileFile& file) const;
    // The "Define hot key" dialog's write order.
    void SaveHotkeys(ProfileFile& file) const;
    // What the main window writes when it closes: counter, tray mode, hotkey switch.
    void SaveOnClose(ProfileFile& file) const;
};

// The user's pictures folder (XDG_PICTURES_DIR, else ~/Pictures) followed by
// "Clipvane images".
std::string DefaultCaptureFolder();
// The capture folder to use for a stored or typed one: "~/" stands for the
// home folder; anything not absolute gives DefaultCaptureFolder().
std::string UsableCaptureFolder(const std::string& folder);

// The file-name stem a title gives: only what follows its last "/", and
// nothing for "." and "..", so a capture never lands outside its folder.
std::string CaptureFileStem(const std::string& title);

// Extension of an ImageFormat value, "" for values outside 0..3.
const char* ImageFormatExtension(int format);
// folder + "/" + title + number + extension.
std::string NumberedCapturePath(const CaptureSettings& s);

}  // namespace clipvane
