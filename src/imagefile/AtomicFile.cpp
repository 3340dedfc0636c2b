#include "imagefile/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "base/TraceLog.h"
#include "imagefile/FileError.h"

namespace clipvane {

namespace {

constexpr char kTempPrefix[] = ".clipvane-";
constexpr char kTempSuffix[] = ".tmp";
constexpr size_t kTempRandom = 6;  // the XXXXXX of mkostemps

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

bool IsTemporaryName(const char* name) {
    const size_t prefix = sizeof kTempPrefix - 1, suffix = sizeof kTempSuffix - 1;
    const size_t length = std::strlen(name);
    if (length != prefix + kTempRandom + suffix) return false;
    if (std::strncmp(name, kTempPrefix, prefix) != 0 || std::strcmp(name + prefix + kTempRandom, kTempSuffix) != 0)
        return false;
    for (size_t i = prefix; i < prefix + kTempRandom; ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool WriteAllAt(int fd, const uint8_t* data, size_t size, off_t offset) {
    while (size) {
        const ssize_t n = pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
        offset += n;
    }
    return true;
}

// Sets the file's size back; a failure leaves nothing better to do.
void CutTo(int fd, size_t size) {
    if (ftruncate(fd, off_t(size)) != 0) TraceLog("cannot cut a file back to %zu bytes\n", size);
}

// Copies the first `size` bytes of `from` over the start of `to`.
bool CopyAll(int from, int to, size_t size) {
    std::vector<uint8_t> buffer(std::min<size_t>(size, size_t(1) << 20));
    for (size_t done = 0; done < size;) {
        const size_t want = std::min(buffer.size(), size - done);
        const ssize_t n = pread(from, buffer.data(), want, off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (!WriteAllAt(to, buffer.data(), size_t(n), off_t(done))) return false;
        done += size_t(n);
    }
    return true;
}

// Makes sure `fd` (now `oldSize` bytes) has room for `size` bytes. Where the
// file system cannot reserve, the bytes past the old end are written (zeros)
// instead. On failure the file keeps its old size and content.
bool Reserve(int fd, size_t oldSize, size_t size) {
    if (size == 0) return true;
    if (fallocate(fd, 0, 0, off_t(size)) == 0) return true;
    const int error = errno;
    if (error != EOPNOTSUPP && error != ENOSYS) {
        CutTo(fd, oldSize);  // a partial reservation may have grown it
        errno = error;
        return false;
    }
    if (size <= oldSize) return true;  // cannot reserve; blocks already there are reused
    const std::vector<uint8_t> zeros(std::min<size_t>(size - oldSize, size_t(1) << 20));
    bool ok = true;
    for (size_t at = oldSize; ok && at < size; at += zeros.size())
        ok = WriteAllAt(fd, zeros.data(), std::min(zeros.size(), size - at), off_t(at));
    if (ok && fsync(fd) == 0) return true;
    const int failed = errno;
    CutTo(fd, oldSize);
    errno = failed;
    return false;
}

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* dir = fdopendir(dirFd);
    if (!dir) {
        close(dirFd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryName(entry->d_name)) continue;
        const int fd = openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {
        }, named{};
        // A running save holds its lock until its rename or removal; a free
        // lock on the file still under this name means its save has ended.
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named))
            unlinkat(dirFd, entry->d_name, 0);
        close(fd);
    }
    closedir(dir);
}

AtomicFile::AtomicFile(const std::string& target) : target_(target) {
    ClearFileError();  // a save starts here, whatever failed before
    if (target.empty()) {
        NoteFileError("no file name was given");
        return;
    }
    // Replace what a symbolic link points to, not the link.
    char resolved[PATH_MAX];
    struct stat st {};
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && realpath(target.c_str(), resolved)) target_ = resolved;
    if (exists && S_ISDIR(st.st_mode)) {
        NoteFileError("it is a folder");
        return;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        NoteFileError("it is not a regular file");
        return;
    }
    const std::string folder = FolderOf(target_);
    RemoveStaleTemporaries(folder);
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string pattern = folder + "/" + kTempPrefix + std::string(kTempRandom, 'X') + kTempSuffix;
        const int fd = mkostemps(pattern.data(), int(sizeof kTempSuffix - 1), O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (exists && (error == EACCES || error == EPERM)) {
                // The folder takes no new file; the target may still be writable.
                // Read access too, to keep the old content until the new is in.
                targetFd_ = open(target_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (targetFd_ < 0 && errno == EACCES)
                    targetFd_ = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                struct stat opened {};
                if (targetFd_ < 0) {
                    NoteSystemError(errno);
                    return;
                }
                if (fstat(targetFd_, &opened) != 0 || !S_ISREG(opened.st_mode)) {
                    NoteFileError("it is not a regular file");
                    return;
                }
                memoryFd_ = memfd_create("clipvane-save", MFD_CLOEXEC);
                if (memoryFd_ < 0) {
                    NoteSystemError(errno);
                    return;
                }
                writePath_ = "/proc/self/fd/" + std::to_string(memoryFd_);
                ok_ = true;
                return;
            }
            NoteSystemError(error);
            return;
        }
        // Lock, then make sure the file was not taken for a stale one and
        // removed between its creation and the lock.
        struct stat held {
        }, named{};
        while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {}
        if (fstat(fd, &held) != 0 || stat(pattern.c_str(), &named) != 0 || !SameFile(held, named)) {
            close(fd);
            continue;
        }
        fchmod(fd, mode);
        tempFd_ = fd;
        writePath_ = pattern;
        ok_ = true;
        return;
    }
    NoteFileError("no temporary file could be made");
}

AtomicFile::~AtomicFile() {
    if (tempFd_ >= 0) {
        if (!committed_) unlink(writePath_.c_str());
        close(tempFd_);
    }
    if (memoryFd_ >= 0) close(memoryFd_);
    if (targetFd_ >= 0) close(targetFd_);
}

bool AtomicFile::Commit() {
    if (!ok_ || committed_) return false;
    if (memoryFd_ >= 0) return CommitInPlace();
    // Writers close their files; sync once more in case one did not.
    if (fsync(tempFd_) != 0) {
        NoteSystemError(errno);
        return false;
    }
    if (rename(writePath_.c_str(), target_.c_str()) != 0) {
        NoteSystemError(errno);
        return false;
    }
    committed_ = true;
    SyncFolder(FolderOf(target_));
    return true;
}

bool AtomicFile::CommitInPlace() {
    struct stat st {
    }, was{};
    if (fstat(memoryFd_, &st) != 0 || fstat(targetFd_, &was) != 0) {
        NoteSystemError(errno);
        return false;
    }
    const size_t size = size_t(st.st_size);
    const size_t oldSize = size_t(was.st_size);
    // The old content, kept until the new one is complete: a write that fails
    // half-way puts it back. A file that cannot be read is not kept (the
    // reservation below still refuses a save that cannot fit).
    int keptFd = -1;
    if ((fcntl(targetFd_, F_GETFL) & O_ACCMODE) == O_RDWR) {
        keptFd = memfd_create("clipvane-kept", MFD_CLOEXEC);
        if (keptFd < 0 || !CopyAll(targetFd_, keptFd, oldSize)) {
            NoteSystemError(errno);
            if (keptFd >= 0) close(keptFd);
            return false;
        }
    }
    // Space for every new byte first: a full disk refuses the save here,
    // before a byte of the old content is overwritten.
    if (!Reserve(targetFd_, oldSize, size)) {
        NoteSystemError(errno);
        if (keptFd >= 0) close(keptFd);
        return false;
    }
    void* data = size ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, memoryFd_, 0) : nullptr;
    if (size && data == MAP_FAILED) {
        NoteSystemError(errno);
        CutTo(targetFd_, oldSize);
        if (keptFd >= 0) close(keptFd);
        return false;
    }
    const bool written = WriteAllAt(targetFd_, static_cast<const uint8_t*>(data), size, 0) &&
                         ftruncate(targetFd_, off_t(size)) == 0 && fsync(targetFd_) == 0;
    if (!written) {
        NoteSystemError(errno);
        // The reserved space takes the old bytes back.
        if (keptFd >= 0 && CopyAll(keptFd, targetFd_, oldSize)) CutTo(targetFd_, oldSize);
        fsync(targetFd_);
    }
    if (size) munmap(data, size);
    if (keptFd >= 0) close(keptFd);
    committed_ = written;
    return written;
}

OutputFile::OutputFile(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wbe");
    if (file_)
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
    else
        NoteSystemError(errno);
}

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::Write(const void* data, size_t size) {
    if (!file_ || failed_) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) {
        NoteSystemError(errno);
        failed_ = true;
    }
    return !failed_;
}

bool OutputFile::Close() {
    if (!file_) return false;
    bool ok = !failed_;
    if (std::fflush(file_) != 0) {
        NoteSystemError(errno);
        ok = false;
    }
    struct stat st {};
    if (fstat(fileno(file_), &st) == 0 && S_ISREG(st.st_mode) && fsync(fileno(file_)) != 0) {
        NoteSystemError(errno);
        ok = false;
    }
    if (std::fclose(file_) != 0) {
        NoteSystemError(errno);
        ok = false;
    }
    file_ = nullptr;
    return ok;
}

}  // namespace clipvane
