#include "base/FileUri.h"

#include <filesystem>

namespace clipvane {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PathFromFileUri(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.substr(0, kScheme.size()) != kScheme) return {};
    uri.remove_prefix(kScheme.size());
    // An authority other than empty or "localhost" names another machine.
    const size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view host = uri.substr(0, slash);
    if (!host.empty() && host != "localhost") return {};
    uri.remove_prefix(slash);
    std::string path;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '\0') return {};  // would cut the path short in every system call
        if (uri[i] != '%') {
            path += uri[i];
            continue;
        }
        if (i + 2 >= uri.size()) return {};
        const int hi = HexDigit(uri[i + 1]), lo = HexDigit(uri[i + 2]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return {};
        path += char(hi * 16 + lo);
        i += 2;
    }
    return path;
}

bool IsTemporaryShot(const std::string& path, const std::string& tmpDir, const std::string& runtimeDir) {
    namespace fs = std::filesystem;
    const fs::path file = fs::path(path).lexically_normal();
    if (!file.is_absolute() || !file.has_filename()) return false;
    const fs::path folder = file.parent_path();
    for (const std::string& t : {tmpDir, std::string("/tmp"), std::string("/var/tmp")}) {
        if (t.empty()) continue;
        fs::path dir = fs::path(t).lexically_normal();
        if (!dir.has_filename()) dir = dir.parent_path();  // "/a/b/" is "/a/b"
        if (folder == dir) return true;
    }
    if (!runtimeDir.empty()) {
        const fs::path runtime = fs::path(runtimeDir).lexically_normal();
        const fs::path rel = file.lexically_relative(runtime);
        // Strictly below it: the folder itself is no file of the portal's.
        if (!rel.empty() && rel != "." && *rel.begin() != "..") return true;
    }
    return false;
}

}  // namespace clipvane
