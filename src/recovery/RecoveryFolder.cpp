#include "recovery/RecoveryFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <tuple>

#include "imagefile/AtomicFile.h"

namespace clipvane {

namespace {

constexpr char kLockName[] = "lock";
constexpr char kEntryPrefix[] = "doc-";
constexpr char kEntrySuffix[] = ".cvr";

// Digits only, not empty, no more than fit a 64-bit number.
bool ParseNumber(std::string_view digits, uint64_t* value) {
    if (digits.empty() || digits.size() > 19) return false;
    uint64_t v = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint64_t(c - '0');
    }
    if (value) *value = v;
    return true;
}

bool OwnFolder(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool OwnFile(const struct stat& st) { return S_ISREG(st.st_mode) && st.st_uid == geteuid(); }

// The names in a folder, read through a duplicate of its descriptor.
std::vector<std::string> Names(int folderFd) {
    std::vector<std::string> names;
    const int fd = dup(folderFd);
    if (fd < 0) return names;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return names;
    }
    rewinddir(dir);
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

}  // namespace

bool IsInstanceFolderName(std::string_view name, uint64_t* pid, uint64_t* start) {
    const size_t dash = name.find('-');
    return dash != std::string_view::npos && ParseNumber(name.substr(0, dash), pid) &&
           ParseNumber(name.substr(dash + 1), start);
}

bool IsRecoveryEntryName(std::string_view name, uint64_t* id) {
    const size_t prefix = sizeof kEntryPrefix - 1, suffix = sizeof kEntrySuffix - 1;
    return name.size() > prefix + suffix && name.substr(0, prefix) == kEntryPrefix &&
           name.substr(name.size() - suffix) == kEntrySuffix &&
           ParseNumber(name.substr(prefix, name.size() - prefix - suffix), id);
}

int OpenRecoveryRoot(const std::string& path) {
    if (path.empty() || path[0] != '/') return -1;
    // Missing folders on the way are made private; existing ones stay as they are.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
    mkdir(path.c_str(), 0700);
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        ((st.st_mode & 07777) != 0700 && fchmod(fd, 0700) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

int OpenOwnFolder(int parentFd, const std::string& name, bool create) {
    if (create && mkdirat(parentFd, name.c_str(), 0700) != 0 && errno != EEXIST) return -1;
    const int fd = openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !OwnFolder(st)) {
        close(fd);
        return -1;
    }
    return fd;
}

std::vector<std::string> ListInstanceFolders(int rootFd) {
    std::vector<std::tuple<uint64_t, uint64_t, std::string>> found;
    for (std::string& name : Names(rootFd)) {
        uint64_t pid = 0, start = 0;
        struct stat st {};
        if (IsInstanceFolderName(name, &pid, &start) && fstatat(rootFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            OwnFolder(st))
            found.emplace_back(start, pid, std::move(name));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(std::move(std::get<2>(f)));
    return names;
}

std::vector<std::string> ListRecoveryEntries(int folderFd) {
    std::vector<std::pair<uint64_t, std::string>> found;
    for (std::string& name : Names(folderFd)) {
        uint64_t id = 0;
        struct stat st {};
        if (IsRecoveryEntryName(name, &id) && fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            OwnFile(st))
            found.emplace_back(id, std::move(name));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(std::move(f.second));
    return names;
}

int OpenRecoveryEntry(int folderFd, const std::string& name) {
    if (!IsRecoveryEntryName(name)) return -1;
    const int fd = openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !OwnFile(st)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool PrepareRecoveryEntry(int folderFd, const std::string& name) {
    if (!IsRecoveryEntryName(name)) return false;
    const int fd = openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    struct stat st {};
    return errno == EEXIST && fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && OwnFile(st);
}

void RemoveRecoveryEntry(int folderFd, const std::string& name) {
    if (IsRecoveryEntryName(name)) unlinkat(folderFd, name.c_str(), 0);
}

void RemoveInstanceFolder(int rootFd, const std::string& name, int folderFd) {
    for (const std::string& entry : ListRecoveryEntries(folderFd)) unlinkat(folderFd, entry.c_str(), 0);
    RemoveStaleTemporaries("/proc/self/fd/" + std::to_string(folderFd));
    struct stat st {};
    if (fstatat(folderFd, kLockName, &st, AT_SYMLINK_NOFOLLOW) == 0 && (OwnFile(st) || S_ISLNK(st.st_mode)))
        unlinkat(folderFd, kLockName, 0);
    unlinkat(rootFd, name.c_str(), AT_REMOVEDIR);  // fails, as it should, while anything else is inside
}

}  // namespace clipvane
