#include "settings/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>

namespace clipvane {

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string IndexKey(const std::string& section, const std::string& key) { return Lower(section) + '\n' + Lower(key); }

// The section name of a "[Name]" line, or false.
bool SectionOf(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// Splits "Key=Value"; false for lines without "=" and comments.
bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    if (value) *value = Trim(t.substr(eq + 1));
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// Replaces `path` atomically with `data`: a temporary file beside the real
// file (a symlink's target, so the link stays a link), flushed, given the old
// file's permission bits, then renamed over it. `st` gets the new file's status.
bool AtomicWrite(const std::string& path, const std::string& data, struct stat* st) {
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    } else {
        // A dangling symlink: write where it points.
        std::error_code ec;
        if (std::filesystem::is_symlink(path, ec)) {
            const std::filesystem::path to = std::filesystem::read_symlink(path, ec);
            if (!ec) target = (to.is_absolute() ? to : std::filesystem::path(path).parent_path() / to).string();
        }
    }
    // The per-user configuration folder may not exist yet on a first run.
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);

    mode_t mode = 0;
    struct stat old {};
    const bool hadFile = ::stat(target.c_str(), &old) == 0;
    if (hadFile) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string leaf = std::filesystem::path(target).filename().string();
    std::string temp = (folder / ("." + leaf + ".XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0 && ::fstat(fd, st) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

void ProfileFile::SetPath(const char* path) {
    path_ = path ? path : "";
    loaded_ = false;
    lines_.clear();
    keys_.clear();
    error_.clear();
}

bool ProfileFile::Exists() const {
    struct stat st {};
    return !path_.empty() && ::lstat(path_.c_str(), &st) == 0;
}

std::string ProfileFile::Error() const {
    Refresh();
    return error_;
}

bool ProfileFile::Refresh() const {
    struct stat st {};
    if (path_.empty() || ::stat(path_.c_str(), &st) != 0) {
        // Missing (or unreachable): every key has its default; a write creates it.
        error_.clear();
        if (loaded_ && stamp_.size == -1) return true;
        lines_.clear();
        keys_.clear();
        stamp_ = Stamp{};
        loaded_ = true;
        return true;
    }
    const Stamp now{uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t(st.st_size), int64_t(st.st_mtim.tv_sec),
                    int64_t(st.st_mtim.tv_nsec)};
    if (loaded_ && now == stamp_ && error_.empty()) return true;
    lines_.clear();
    keys_.clear();
    loaded_ = true;
    stamp_ = now;
    error_.clear();

    // Opened without blocking (a FIFO would wait for a writer) and checked on
    // the opened file itself, so a swap after the stat above cannot slip by.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    std::string text;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        error_ = "is not a regular file";
    } else if (opened.st_size > kMaxProfileBytes) {
        error_ = "is larger than 4 MiB";
    } else {
        // Read at most one byte past the limit: a file that grows meanwhile is refused too.
        text.resize(size_t(kMaxProfileBytes) + 1);
        size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error_ = std::string("cannot be read: ") + std::strerror(errno);
                break;
            }
            if (n == 0) break;
            got += size_t(n);
        }
        text.resize(got);
        if (error_.empty() && got > size_t(kMaxProfileBytes)) error_ = "is larger than 4 MiB";
    }
    ::close(fd);
    if (!error_.empty()) return false;
    lines_ = SplitLines(text);
    Index();
    return true;
}

void ProfileFile::Index() const {
    keys_.clear();
    bool inSection = false;
    std::string section, name, k;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (SectionOf(lines_[i], &name)) {
            inSection = true;
            section = name;
        } else if (inSection && KeyOf(lines_[i], &k, nullptr)) {
            keys_.emplace(IndexKey(section, k), i);  // the first one counts
        }
    }
}

bool ProfileFile::Lookup(const char* section, const char* key, std::string* value) const {
    if (!Refresh()) return false;
    const auto it = keys_.find(IndexKey(section, key));
    if (it == keys_.end()) return false;
    std::string k;
    KeyOf(lines_[it->second], &k, value);
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') && value->back() == value->front())
        *value = value->substr(1, value->size() - 2);
    return true;
}

bool ProfileFile::HasKey(const char* section, const char* key) const {
    std::string v;
    return section && key && Lookup(section, key, &v);
}

std::string ProfileFile::GetString(const char* section, const char* key, const char* def) const {
    std::string v;
    if (section && key && Lookup(section, key, &v)) return v;
    return def ? def : "";
}

int ProfileFile::GetInt(const char* section, const char* key, int def, int base) const {
    std::string v = GetString(section, key, "");
    if (v.size() > 64) v.resize(64);
    if (v.empty()) return def;
    if (base != 2 && base != 8 && base != 16) base = 10;
    return int(std::strtoul(v.c_str(), nullptr, base));
}

int ProfileFile::GetClampedInt(const char* section, const char* key, int def, int min, int max) const {
    const std::string v = GetString(section, key, "");
    long long n = def;
    if (!v.empty()) n = std::strtoll(v.c_str(), nullptr, 10);  // saturates at the ends of long long
    return int(std::clamp<long long>(n, min, max));
}

bool ProfileFile::GetBool(const char* section, const char* key, bool def) const {
    std::string v = GetString(section, key, "");
    if (v.size() > 64) v.resize(64);
    if (v.empty()) return def;
    if (strcasecmp(v.c_str(), "true") == 0 || strcasecmp(v.c_str(), "yes") == 0) return true;
    return std::strtol(v.c_str(), nullptr, 10) != 0;
}

bool ProfileFile::WriteString(const char* section, const char* key, const char* value) {
    if (!section || !key || path_.empty()) return false;
    if (!Refresh()) return false;  // never replace a file that could not be read
    const std::string entry = std::string(key) + "=" + (value ? value : "");
    std::vector<std::string> lines = lines_;
    bool inSection = false, done = false;
    int sectionEnd = -1;  // index after the last key line of the section
    std::string name, k;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (SectionOf(lines[i], &name)) {
            if (inSection) break;
            inSection = SameName(name, section);
            if (inSection) sectionEnd = int(i) + 1;
        } else if (inSection && KeyOf(lines[i], &k, nullptr)) {
            if (SameName(k, key)) {
                lines[i] = entry;
                done = true;
            }
            sectionEnd = int(i) + 1;
        }
    }
    if (!done && sectionEnd < 0) {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
        std::string header(1, '[');
        header.append(section).push_back(']');
        lines.push_back(header);
        lines.push_back(entry);
    } else if (!done) {
        lines.insert(lines.begin() + sectionEnd, entry);
    }
    std::string text;
    for (const std::string& l : lines) text.append(l).push_back('\n');
    struct stat st {};
    if (!AtomicWrite(path_, text, &st)) return false;
    lines_ = std::move(lines);
    Index();
    stamp_ = Stamp{uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t(st.st_size), int64_t(st.st_mtim.tv_sec),
                   int64_t(st.st_mtim.tv_nsec)};
    return true;
}

bool ProfileFile::WriteInt(const char* section, const char* key, int value, int /*base*/) {
    return WriteString(section, key, std::to_string(value).c_str());
}

bool ProfileFile::WriteBool(const char* section, const char* key, bool flag) {
    return WriteString(section, key, flag ? "1" : "0");
}

}  // namespace clipvane
