#pragma once
// The desktop portal's Screenshot call (org.freedesktop.portal.Screenshot)
// on the session bus, without a toolkit: asks for a non-interactive shot of
// the whole desktop and waits for the portal's answer, a file URI.
#include <string>
#include <string_view>

namespace clipvane {

// The local path of the picture the portal wrote, or false with the reason in
// words (no portal, refused, cancelled, timed out). Waits at most
// `timeoutMs`: the desktop may ask the user first.
bool PortalScreenshot(std::string* path, std::string* why, int timeoutMs = 30000);

// The local path of a file:// URI ("%xx" escapes decoded); empty for any
// other URI or a malformed escape.
std::string PathFromFileUri(std::string_view uri);

// Whether a file the portal handed over is a temporary one it made for this
// call (directly in $TMPDIR, /tmp or /var/tmp, or below $XDG_RUNTIME_DIR),
// which the caller should delete once read. Files elsewhere (a desktop that
// saves screenshots into the user's pictures) are the user's and stay.
bool IsTemporaryShot(const std::string& path, const std::string& tmpDir, const std::string& runtimeDir);

}  // namespace clipvane
