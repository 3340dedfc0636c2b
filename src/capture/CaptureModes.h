#pragma once
// The one place where capture modes meet their outside names: the word
// `clipvane --capture` and the desktop shortcuts use, and the number of the
// D-Bus call Capture(int mode). The numbers are part of the D-Bus interface
// and keep their meaning: 0 full screen, 1 window / object, 2 region,
// 3 active window, 4 scrolling; the fixed rectangle has none (-1).
#include <QString>

#include "settings/CaptureSettings.h"

namespace clipvane {

// "full", "window", "active", "region", "scroll", "fixed".
const char* CaptureModeName(CaptureMode mode);
bool CaptureModeFromName(const QString& name, CaptureMode* mode);

int RemoteCaptureNumber(CaptureMode mode);
// False for numbers that name no mode.
bool CaptureModeFromRemote(int number, CaptureMode* mode);

}  // namespace clipvane
