#pragma once
// An exclusive advisory lock (flock) on a lock file, held until released or
// destroyed. A folder of recovery entries belongs to whoever holds its lock:
// a running instance keeps it, and a crashed one leaves it free.
#include <string>

namespace clipvane {

class RecoveryLock {
public:
    RecoveryLock() = default;
    ~RecoveryLock();
    RecoveryLock(const RecoveryLock&) = delete;
    RecoveryLock& operator=(const RecoveryLock&) = delete;

    // Creates the file (mode 0600) when missing and takes the lock without
    // waiting. False when another holder has it, or the file cannot be
    // opened, is a symbolic link, not a regular file or another user's.
    bool TryAcquire(const std::string& path);
    // The same for `name` in the folder open as `folderFd`.
    bool TryAcquireAt(int folderFd, const std::string& name);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace clipvane
