#pragma once
// Web addresses the program opens: the About box links, Help / Homepage and
// Help / Online Help, and the version.

namespace clipvane {

inline constexpr const char* kHomePageUrl = "https://clipvane.org/";
inline constexpr const char* kSupportUrl = "https://clipvane.org/support";
inline constexpr const char* kOnlineHelpUrl = "https://clipvane.org/help";
// The version as the About box and --version show it; the number comes from
// the project's version in CMakeLists.txt.
inline constexpr const char* kProductVersion = "V" CLIPVANE_VERSION;

}  // namespace clipvane
