// The screenshot portal's answer: a file URI from another process, turned
// into a local path and judged temporary or not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/FileUri.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string uri(reinterpret_cast<const char*>(data), size);
    const std::string path = clipvane::PathFromFileUri(uri);
    // A path is absolute and never holds a NUL byte.
    if (!path.empty() && (path[0] != '/' || path.find('\0') != std::string::npos)) std::abort();
    if (clipvane::IsTemporaryShot(path, "/tmp/x/", "/run/user/1000")) {
        // Only names in the temporary folders or below the runtime folder
        // qualify, once "." and ".." are resolved.
        const std::string normal = std::filesystem::path(path).lexically_normal().string();
        const bool inside = normal.rfind("/tmp/", 0) == 0 || normal.rfind("/var/tmp/", 0) == 0 ||
                            normal.rfind("/run/user/1000/", 0) == 0;
        if (!inside || normal.find("/../") != std::string::npos) std::abort();
    }
    return 0;
}
