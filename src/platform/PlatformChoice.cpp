#include "platform/PlatformChoice.h"

#include <cstdlib>

namespace clipvane {

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

bool ChooseDesktop(const std::string& overrideValue, const std::string& toolkitPlatform,
                   const std::string& qpaEnvironment, const std::string& waylandDisplay, DesktopKind* kind,
                   std::string* why) {
    if (!overrideValue.empty()) {
        if (overrideValue == "x11") {
            *kind = DesktopKind::kX11;
        } else if (overrideValue == "wayland") {
            *kind = DesktopKind::kWayland;
        } else if (overrideValue == "portal") {
            *kind = DesktopKind::kWaylandPortal;
        } else {
            if (why) *why = "CLIPVANE_PLATFORM must be x11, wayland or portal, not \"" + overrideValue + "\"";
            return false;
        }
        return true;
    }
    if (!toolkitPlatform.empty()) {
        *kind = StartsWith(toolkitPlatform, "wayland") ? DesktopKind::kWayland : DesktopKind::kX11;
        return true;
    }
    // No toolkit: an explicit toolkit platform names the session; otherwise
    // a Wayland display is the session (XWayland's DISPLAY shows only X11
    // windows).
    if (!qpaEnvironment.empty()) {
        *kind = StartsWith(qpaEnvironment, "wayland") ? DesktopKind::kWayland : DesktopKind::kX11;
        if (StartsWith(qpaEnvironment, "offscreen") || StartsWith(qpaEnvironment, "minimal"))
            *kind = waylandDisplay.empty() ? DesktopKind::kX11 : DesktopKind::kWayland;
        return true;
    }
    *kind = waylandDisplay.empty() ? DesktopKind::kX11 : DesktopKind::kWayland;
    return true;
}

bool PreferToolkitWayland(const std::string& overrideValue, const std::string& qpaEnvironment,
                          const std::string& waylandDisplay) {
    return overrideValue != "x11" && qpaEnvironment.empty() && !waylandDisplay.empty();
}

bool PreferToolkitWaylandFromEnvironment() {
    return PreferToolkitWayland(Env("CLIPVANE_PLATFORM"), Env("QT_QPA_PLATFORM"), Env("WAYLAND_DISPLAY"));
}

bool ChooseDesktopFromEnvironment(const std::string& toolkitPlatform, DesktopKind* kind, std::string* why) {
    return ChooseDesktop(Env("CLIPVANE_PLATFORM"), toolkitPlatform, Env("QT_QPA_PLATFORM"), Env("WAYLAND_DISPLAY"),
                         kind, why);
}

}  // namespace clipvane
