#pragma once
// Safe handling of the recovery folders: <root>/<pid>-<start time>/ per
// instance, holding "lock", "doc-<n>.cvr" entries and the temporaries of
// their atomic writes. Everything under the root is reached through opened
// folder descriptors, never through a symbolic link, and only folders and
// files of the current user with the names Clipvane writes are read or
// removed: whatever else is found there is left alone.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace clipvane {

// "<pid>-<start time>", both decimal; the numbers go to `pid` and `start`.
bool IsInstanceFolderName(std::string_view name, uint64_t* pid = nullptr, uint64_t* start = nullptr);
// "doc-<n>.cvr"; the number goes to `id`.
bool IsRecoveryEntryName(std::string_view name, uint64_t* id = nullptr);

// Opens the root (an absolute path), creating the missing folders on the
// way with mode 0700. The root itself must not be a symbolic link and must
// belong to the current user; its mode is set to 0700. -1 when refused.
int OpenRecoveryRoot(const std::string& path);
// Opens the folder `name` under `parentFd`: a real folder (not a link) of
// the current user that no one else may write. With `create` a missing one
// is made with mode 0700 first. -1 when refused.
int OpenOwnFolder(int parentFd, const std::string& name, bool create);

// The instance folders under the root that OpenOwnFolder would accept, oldest
// start first (then by pid).
std::vector<std::string> ListInstanceFolders(int rootFd);
// The entries in a folder: regular files of the current user, by number
// (the order their documents were opened in).
std::vector<std::string> ListRecoveryEntries(int folderFd);
// Opens an entry for reading, refusing links and files of other users.
int OpenRecoveryEntry(int folderFd, const std::string& name);
// Creates an entry with mode 0600 when it does not exist yet, so that the
// atomic write that replaces it keeps that mode. False when refused.
bool PrepareRecoveryEntry(int folderFd, const std::string& name);
// Removes an entry (only a name IsRecoveryEntryName accepts).
void RemoveRecoveryEntry(int folderFd, const std::string& name);
// Removes the entries, the stale temporaries and the lock of the folder
// `name` (open as `folderFd`), then the folder if it is empty by then.
// Files of any other name stay, and so does the folder holding them.
void RemoveInstanceFolder(int rootFd, const std::string& name, int folderFd);

}  // namespace clipvane
