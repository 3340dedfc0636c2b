#include "base/TraceLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace clipvane {

bool TraceEnabled() {
    static const bool enabled = [] {
        const char* v = std::getenv("CLIPVANE_TRACE");
        return v && *v && !(v[0] == '0' && v[1] == '\0');
    }();
    return enabled;
}

void TraceLog(const char* format, ...) {
    if (!TraceEnabled()) return;
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::fputs(buffer, stderr);
}

}  // namespace clipvane
