#pragma once
// Time limits in tests hold only for an optimised build without sanitizers;
// the sanitizer build (Debug, AddressSanitizer) still runs the behaviour.

namespace clipvane::test {

#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
inline constexpr bool kTimedBuild = false;
#else
inline constexpr bool kTimedBuild = true;
#endif

}  // namespace clipvane::test
