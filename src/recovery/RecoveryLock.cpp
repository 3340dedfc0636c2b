#include "recovery/RecoveryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clipvane {

RecoveryLock::~RecoveryLock() { Release(); }

bool RecoveryLock::TryAcquire(const std::string& path) { return TryAcquireAt(AT_FDCWD, path); }

bool RecoveryLock::TryAcquireAt(int folderFd, const std::string& name) {
    Release();
    // Never through a link: a planted one would have a file made where it points.
    const int fd = openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void RecoveryLock::Release() {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

}  // namespace clipvane
