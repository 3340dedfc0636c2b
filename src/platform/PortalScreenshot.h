#pragma once
// The desktop portal's Screenshot call (org.freedesktop.portal.Screenshot)
// on the session bus, without a toolkit: asks for a non-interactive shot of
// the whole desktop and waits for the portal's answer, a file URI
// (PathFromFileUri and IsTemporaryShot in base/FileUri.h read it).
#include <string>

#include "base/FileUri.h"

namespace clipvane {

// The local path of the picture the portal wrote, or false with the reason in
// words (no portal, refused, cancelled, timed out). Waits at most
// `timeoutMs`: the desktop may ask the user first.
bool PortalScreenshot(std::string* path, std::string* why, int timeoutMs = 30000);

}  // namespace clipvane
