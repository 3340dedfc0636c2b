#include "capture/CaptureModes.h"

namespace clipvane {

namespace {

struct ModeNames {
    CaptureMode mode;
    const char* name;
    int remote;
};

// In the order of the CaptureMode enum; -1: no D-Bus number (the fixed
// rectangle is asked for through its menu command).
constexpr ModeNames kModes[kCaptureModeCount] = {
    {CaptureMode::FullScreen, "full", 0},     {CaptureMode::WindowObject, "window", 1},
    {CaptureMode::ActiveWindow, "active", 3}, {CaptureMode::Region, "region", 2},
    {CaptureMode::Scrolling, "scroll", 4},    {CaptureMode::FixedRect, "fixed", -1},
};

}  // namespace

const char* CaptureModeName(CaptureMode mode) { return kModes[int(mode)].name; }

bool CaptureModeFromName(const QString& name, CaptureMode* mode) {
    for (const ModeNames& m : kModes) {
        if (name == QLatin1String(m.name)) {
            *mode = m.mode;
            return true;
        }
    }
    return false;
}

int RemoteCaptureNumber(CaptureMode mode) { return kModes[int(mode)].remote; }

bool CaptureModeFromRemote(int number, CaptureMode* mode) {
    for (const ModeNames& m : kModes) {
        if (m.remote >= 0 && m.remote == number) {
            *mode = m.mode;
            return true;
        }
    }
    return false;
}

}  // namespace clipvane
