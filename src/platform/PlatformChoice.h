#pragma once
// Which ScreenPlatform a session gets: X11 or Wayland, decided once at
// start-up from the environment and the toolkit's platform.
#include <string>

namespace clipvane {

enum class DesktopKind { kX11, kWayland, kWaylandPortal };

// `overrideValue` is $CLIPVANE_PLATFORM ("x11", "wayland", or "portal" for
// Wayland with portal grabs only; empty: no override). `toolkitPlatform` is
// the platform the toolkit runs on ("wayland", "xcb", ...) or empty when no
// toolkit runs (the one-shot mode), in which case $QT_QPA_PLATFORM and
// $WAYLAND_DISPLAY decide as the toolkit would. False, with a reason, for an
// unknown override.
bool ChooseDesktop(const std::string& overrideValue, const std::string& toolkitPlatform,
                   const std::string& qpaEnvironment, const std::string& waylandDisplay, DesktopKind* kind,
                   std::string* why);

// Whether the toolkit should be asked for its Wayland platform (falling back
// to xcb) instead of its own default: on a Wayland session where neither
// $QT_QPA_PLATFORM nor the override chose. Some desktops (GNOME) otherwise
// get XWayland, where the program would see only X11 windows.
bool PreferToolkitWayland(const std::string& overrideValue, const std::string& qpaEnvironment,
                          const std::string& waylandDisplay);

// The same, reading the environment variables of this process.
bool ChooseDesktopFromEnvironment(const std::string& toolkitPlatform, DesktopKind* kind, std::string* why);
bool PreferToolkitWaylandFromEnvironment();

}  // namespace clipvane
