#pragma once
// Debug trace: with CLIPVANE_TRACE set in the environment, printf-style lines
// go to standard error (at most 511 characters each); otherwise nothing.

namespace clipvane {

bool TraceEnabled();
void TraceLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace clipvane
