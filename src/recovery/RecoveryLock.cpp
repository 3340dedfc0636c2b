#include "recovery/RecoveryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace clipvane {

RecoveryLock::~RecoveryLock() { Release(); }

bool RecoveryLock::TryAcquire(const std::string& path) {
    Release();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
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
