#pragma once
// Web addresses the program opens: the About box links, Help / Homepage and
// Help / Online Help.

namespace clipvane {

inline constexpr const char* kHomePageUrl = "https://clipvane.org/";
inline constexpr const char* kSupportUrl = "https://clipvane.org/support";
inline constexpr const char* kOnlineHelpUrl = "https://clipvane.org/help";
inline constexpr const char* kProductVersion = "V1.0.0";

}  // namespace clipvane
