#pragma once
// The ScreenPlatform of the running program, chosen once at start-up
// (ChooseDesktopFromEnvironment: $CLIPVANE_PLATFORM, else the toolkit's
// platform): on X11 the xcb implementation on the toolkit's own connection
// (so grabbed hotkeys arrive in its event queue), with the primary monitor as
// the toolkit reports it; on Wayland the Wayland implementation.
#include <memory>
#include <string>

#include "platform/ScreenPlatform.h"

namespace clipvane {

// Null, with the reason, when no platform can be had.
std::unique_ptr<ScreenPlatform> CreateDesktopPlatform(std::string* why = nullptr);

}  // namespace clipvane
