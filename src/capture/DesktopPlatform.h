#pragma once
// The ScreenPlatform of the running program: the X11 implementation on the
// toolkit's own connection (so grabbed hotkeys arrive in its event queue),
// with the primary monitor as the toolkit reports it.
#include <memory>

#include "platform/ScreenPlatform.h"

namespace clipvane {

// Null when the program does not run on an X11 display.
std::unique_ptr<ScreenPlatform> CreateDesktopPlatform();

}  // namespace clipvane
