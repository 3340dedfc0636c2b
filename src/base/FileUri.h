#pragma once
// File URIs as desktop services hand them over (the screenshot portal's
// answer): their local path, and whether a file is a temporary one.
#include <string>
#include <string_view>

namespace clipvane {

// The local path of a file:// URI ("%xx" escapes decoded); empty for any
// other URI, another host, a malformed escape or an escaped NUL byte.
std::string PathFromFileUri(std::string_view uri);

// Whether a file a desktop service handed over is a temporary one it made
// for this call (directly in `tmpDir`, /tmp or /var/tmp, or below
// `runtimeDir`), which the caller should delete once read. Files elsewhere
// (a desktop that saves screenshots into the user's pictures) are the
// user's and stay. Judged on the names only ("." and ".." resolved).
bool IsTemporaryShot(const std::string& path, const std::string& tmpDir, const std::string& runtimeDir);

}  // namespace clipvane
