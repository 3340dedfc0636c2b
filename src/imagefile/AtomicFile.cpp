#include "imagefile/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace clipvane {

namespace {

// The process's file-creation mask, read without changing it.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& target) : target_(target) {
    if (target.empty()) return;
    // Replace what a symbolic link points to, not the link.
    char resolved[PATH_MAX];
    struct stat st {};
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && realpath(target.c_str(), resolved)) target_ = resolved;
    if (exists && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) return;
        direct_ = true;
        writePath_ = target_;
        ok_ = true;
        return;
    }
    const size_t slash = target_.rfind('/');
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::string pattern = FolderOf(target_) + "/." + name + ".XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return;
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    fchmod(fd, mode);
    close(fd);
    writePath_ = pattern;
    ok_ = true;
}

AtomicFile::~AtomicFile() {
    if (ok_ && !direct_ && !committed_) unlink(writePath_.c_str());
}

bool AtomicFile::Commit() {
    if (!ok_ || committed_) return false;
    if (direct_) {
        committed_ = true;
        return true;
    }
    // Writers close their files; sync once more in case one did not.
    const int fd = open(writePath_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    if (!synced) return false;
    if (rename(writePath_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    SyncFolder(FolderOf(target_));
    return true;
}

OutputFile::OutputFile(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wbe");
    if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::Write(const void* data, size_t size) {
    if (!file_ || failed_) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) failed_ = true;
    return !failed_;
}

bool OutputFile::Close() {
    if (!file_) return false;
    bool ok = !failed_;
    if (std::fflush(file_) != 0) ok = false;
    struct stat st {};
    // Devices and pipes cannot be synced; regular files must be.
    if (fstat(fileno(file_), &st) == 0 && S_ISREG(st.st_mode) && fsync(fileno(file_)) != 0) ok = false;
    if (std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    return ok;
}

}  // namespace clipvane
