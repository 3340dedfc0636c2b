#pragma once
// Replacing a file safely: the new content goes to a temporary file in the
// destination folder, which is flushed to disk and renamed over the target
// only when everything was written. Until Commit succeeds, an existing target
// is untouched; a temporary file that was not committed is removed.
//
// Targets that are not regular files (devices such as /dev/null, pipes) are
// written directly, as there is nothing to replace.
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

    // False when no temporary file could be made (folder missing, not writable).
    bool Ok() const { return ok_; }
    // Where the writer puts the content.
    const std::string& WritePath() const { return writePath_; }
    // Flushes the written file to disk and moves it over the target.
    bool Commit();

private:
    std::string target_;
    std::string writePath_;
    bool ok_ = false;
    bool direct_ = false;
    bool committed_ = false;
};

// A checked, buffered output file. Every failure (open, write, flush, sync,
// close) is remembered and reported by Close.
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
