#include "settings/CaptureSettings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "settings/ProfileFile.h"

namespace clipvane {

namespace {

constexpr const char* kSections[kCaptureModeCount] = {"CapFullScreen", "CapWindows", "CapActiveWindow",
                                                      "CapRegion",     "CapScroll",  "CapFixRect"};
constexpr const char* kAtoms[kCaptureModeCount] = {"GW_CapFull",   "GW_CapWnd",    "GW_CapAWnd",
                                                   "GW_CapRegion", "GW_CapScroll", "GW_CapFixRect"};
// Region is G: GNOME keeps Ctrl + Alt + Shift + R for its screen recorder.
constexpr int kDefaultKeys[kCaptureModeCount] = {'F', 'W', 'A', 'G', 'S', 'X'};

// Cuts at a UTF-8 character boundary so a long name never ends in half a character.
std::string CutUtf8(std::string s, size_t max) {
    if (s.size() <= max) return s;
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
    return s;
}

std::string HomeDir() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

// XDG_PICTURES_DIR from user-dirs.dirs: a quoted path that may start with $HOME.
std::string PicturesDir() {
    if (const char* env = std::getenv("XDG_PICTURES_DIR"); env && *env) return env;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string config = configHome && *configHome ? configHome : HomeDir() + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string prefix = "XDG_PICTURES_DIR=";
        if (line.rfind(prefix, 0) != 0) continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = HomeDir() + value.substr(5);
        if (!value.empty() && value != HomeDir() && value != HomeDir() + "/") return value;
    }
    return HomeDir() + "/Pictures";
}

}  // namespace

const char* HotkeySection(CaptureMode mode) { return kSections[int(mode)]; }
const char* HotkeyAtomName(CaptureMode mode) { return kAtoms[int(mode)]; }
HotkeyDef DefaultHotkey(CaptureMode mode) { return HotkeyDef{kDefaultKeys[int(mode)], 7}; }

std::string HotkeyText(const HotkeyDef& hotkey) {
    std::string text;
    if (hotkey.mask & 2) text += "Ctrl";
    if (hotkey.mask & 1) text += text.empty() ? "Alt" : " + Alt";
    if (hotkey.mask & 4) text += text.empty() ? "Shift" : " + Shift";
    if (!text.empty()) text += " + ";
    const char key = char(hotkey.key & 0xFF);
    if (key != 0) text += key;
    return text;
}

std::string DefaultCaptureFolder() { return PicturesDir() + "/Clipvane images"; }

std::string UsableCaptureFolder(const std::string& folder) {
    std::string path = folder;
    if (path.rfind("~/", 0) == 0) path = HomeDir() + path.substr(1);
    // Only an absolute folder is usable: a Windows drive path such as "c:\"
    // or a relative one would scatter captures wherever the program started.
    if (path.empty() || path[0] != '/') return DefaultCaptureFolder();
    return path;
}

void CaptureSettings::Load(const ProfileFile& f) {
    for (int m = 0; m < kCaptureModeCount; ++m) {
        hotkeys[size_t(m)].key = f.GetClampedInt(kSections[m], "Hotkey", 0, 0, 255);
        hotkeys[size_t(m)].mask = f.GetClampedInt(kSections[m], "HotkeyMask", 0, 0, 7);
    }
    hideWindowBeforeCapture = f.GetBool("CaptureSet", "HideWndBeforCap", false);
    restoreWindowAfterCapture = f.GetBool("CaptureSet", "RestoreWndAftCap", false);
    playSoundOnCapture = f.GetBool("CaptureSet", "PlaySoundWhenCap", false);
    capAppViewMode = f.GetInt("CaptureSet", "CapAppViewMode", kViewNewWindow);
    copyToClipboard = f.GetBool("CaptureSet", "CopyToClipboard", false);
    capDelayTime = f.GetClampedInt("CaptureSet", "CapDelayTime", kMinCaptureDelay, kMinCaptureDelay, kMaxCaptureDelay);
    fixRectWidth = f.GetClampedInt("CaptureSet", "FixRectWidth", 100, 1, kMaxFixRectSide);
    fixRectHeight = f.GetClampedInt("CaptureSet", "FixRectHeight", 100, 1, kMaxFixRectSide);
    scrollMaxHeight = f.GetClampedInt("CaptureSet", "ScrollMaxHeight", kDefaultScrollMaxHeight, kMinScrollMaxHeight,
                                      kMaxScrollMaxHeight);
    scrollFromCurrent = f.GetBool("CaptureSet", "ScrollFromCurrent", false);

    isAutoSave = f.GetBool("AudoSaveSet", "IsAudoSave", false);
    imageFormat = f.GetInt("AudoSaveSet", "ImageFormat", kFormatBmp);
    const std::string storedPath = f.GetString("AudoSaveSet", "ImageSavePath", "");
    imageSavePath = UsableCaptureFolder(CutUtf8(storedPath, kMaxSavePathLength));
    if (storedPath.empty() && f.HasKey("AudoSaveSet", "ImageSavePath")) {
        std::error_code ec;  // present but empty: the default folder is made ready at once
        std::filesystem::create_directories(imageSavePath, ec);
    }
    imageSaveTitle =
        CutUtf8(CaptureFileStem(f.GetString("AudoSaveSet", "ImageSaveTitle", "Snap")), kMaxSaveTitleLength);
    if (imageSaveTitle.empty()) imageSaveTitle = "Snap";
    startNum = f.GetClampedInt("AudoSaveSet", "StartNum", 1, 0, kMaxStartNum);

    isTrayMode = f.GetBool("AppSet", "IsTrayMode", false);
    isEnableHotkey = f.GetBool("AppSet", "IsEnableHotkey", false);
}

void CaptureSettings::ApplyFirstRunDefaults() {
    hideWindowBeforeCapture = true;
    restoreWindowAfterCapture = true;
    copyToClipboard = true;
    capAppViewMode = kViewNewWindow;
}

void CaptureSettings::SaveCaptureSet(ProfileFile& f) const {
    f.WriteBool("CaptureSet", "HideWndBeforCap", hideWindowBeforeCapture);
    f.WriteBool("CaptureSet", "RestoreWndAftCap", restoreWindowAfterCapture);
    f.WriteBool("CaptureSet", "PlaySoundWhenCap", playSoundOnCapture);
    f.WriteInt("CaptureSet", "CapAppViewMode", capAppViewMode);
    f.WriteInt("CaptureSet", "CopyToClipboard", copyToClipboard ? 1 : 0);
    f.WriteInt("CaptureSet", "CapDelayTime", capDelayTime);
    f.WriteInt("CaptureSet", "FixRectWidth", fixRectWidth);
    f.WriteInt("CaptureSet", "FixRectHeight", fixRectHeight);
    // Written once it was ever turned on, so files that never used it keep their layout.
    if (scrollFromCurrent || f.HasKey("CaptureSet", "ScrollFromCurrent"))
        f.WriteBool("CaptureSet", "ScrollFromCurrent", scrollFromCurrent);
    f.WriteBool("AudoSaveSet", "IsAudoSave", isAutoSave);
    f.WriteInt("AudoSaveSet", "ImageFormat", imageFormat);
    f.WriteString("AudoSaveSet", "ImageSavePath", imageSavePath.c_str());
    f.WriteString("AudoSaveSet", "ImageSaveTitle", imageSaveTitle.c_str());
    f.WriteInt("AudoSaveSet", "StartNum", startNum);
}

void CaptureSettings::SaveHotkeys(ProfileFile& f) const {
    for (int m = 0; m < kCaptureModeCount; ++m) {
        f.WriteInt(kSections[m], "Hotkey", hotkeys[size_t(m)].key);
        f.WriteInt(kSections[m], "HotkeyMask", hotkeys[size_t(m)].mask);
    }
}

void CaptureSettings::SaveOnClose(ProfileFile& f) const {
    f.WriteInt("AudoSaveSet", "StartNum", startNum);
    f.WriteBool("AppSet", "IsTrayMode", isTrayMode);
    f.WriteBool("AppSet", "IsEnableHotkey", isEnableHotkey);
}

const char* ImageFormatExtension(int format) {
    switch (format) {
    case kFormatBmp: return ".bmp";
    case kFormatJpeg: return ".jpg";
    case kFormatPng: return ".png";
    case kFormatGif: return ".gif";
    default: return "";
    }
}

std::string CaptureFileStem(const std::string& title) {
    const size_t slash = title.rfind('/');
    std::string stem = slash == std::string::npos ? title : title.substr(slash + 1);
    stem.erase(std::remove(stem.begin(), stem.end(), '\0'), stem.end());
    if (stem == "." || stem == "..") stem.clear();
    return stem;
}

std::string NumberedCapturePath(const CaptureSettings& s) {
    std::string folder = s.imageSavePath;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/" + CaptureFileStem(s.imageSaveTitle) + std::to_string(s.startNum) +
           ImageFormatExtension(s.imageFormat);
}

}  // namespace clipvane
