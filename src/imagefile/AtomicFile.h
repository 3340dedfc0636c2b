#pragma once
// Replacing a file safely: the new content goes to a temporary file in the
// destination folder, which is flushed to disk and renamed over the target
// only when everything was written. Until Commit succeeds, an existing target
// is untouched; a temporary file that was not committed is removed.
//
// Temporary files are named ".clipvane-XXXXXX.tmp" (short, whatever the
// target's name) and locked (flock) while their save runs. Every save first
// removes the temporaries in its folder that no running save holds: those
// that a killed save left behind.
//
// Only regular files are replaced: a target that exists as anything else (a
// pipe, a device, a folder) is refused. When the folder cannot take a new
// file but the target itself is writable, the content is written to memory
// first and then over the target in place: room for all of it is reserved
// before the first byte is overwritten (a full disk refuses the save and
// leaves the file alone), and the old content is kept in memory and put back
// if the write still fails.
#include <cstddef>
#include <cstdio>
#include <string>

namespace clipvane {

class AtomicFile {
public:
    explicit AtomicFile(const std::string& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the save cannot start (folder missing, not writable, the
    // target not a regular file); the reason is noted (FileError.h), which
    // construction first clears.
    bool Ok() const { return ok_; }
    // Where the writer puts the content.
    const std::string& WritePath() const { return writePath_; }
    // Flushes the written file to disk and moves it over the target (or
    // copies it over the target, when written in place).
    bool Commit();

private:
    bool CommitInPlace();

    std::string target_;
    std::string writePath_;
    int tempFd_ = -1;    // the temporary file, locked while this save runs
    int memoryFd_ = -1;  // in place: the content, in memory
    int targetFd_ = -1;  // in place: the target, open for writing
    bool ok_ = false;
    bool committed_ = false;
};

// Removes the temporary files of saves in `folder` that no running save holds.
void RemoveStaleTemporaries(const std::string& folder);

// A checked, buffered output file. Every failure (open, write, flush, sync,
// close) is remembered, its reason noted, and reported by Close.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    bool Write(const void* data, size_t size);
    // True when every byte reached the file and it was closed cleanly.
    bool Close();

private:
    FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace clipvane
