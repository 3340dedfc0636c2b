#pragma once
// Reading and writing config.ini: "[Section]" headers and "Key=Value" lines.
// Section and key names match in any letter case. Values are trimmed and may
// be quoted. A missing file or key gives the default; the file is created by
// the first write and replaced atomically on every write.
//
// The file is parsed once and kept; it is read again only when its size,
// time or identity on disk changes (another program edited it). Only a
// regular file of at most kMaxProfileBytes is read: anything else (a FIFO, a
// device, a huge file) gives the defaults, Error() says why, and writes are
// refused so that the file is never replaced. A symlink is written through to
// its target, and a rewritten file keeps its permission bits.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace clipvane {

inline constexpr int64_t kMaxProfileBytes = 4 * 1024 * 1024;

class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(const std::string& path) : path_(path) {}

    // A null path empties the held path.
    void SetPath(const char* path);
    const std::string& Path() const { return path_; }

    // True when something exists at the path (even a file that is refused).
    bool Exists() const;
    // Why the file at the path is not used ("" when it is, or when it is missing).
    std::string Error() const;

    // Null section or key: a copy of the default (or an empty text).
    std::string GetString(const char* section, const char* key, const char* def = nullptr) const;
    // At most the first 64 bytes count; an empty value gives the default;
    // otherwise an unsigned conversion in base 2, 8 or 16 when asked, else
    // base 10, ignoring anything after the digits.
    int GetInt(const char* section, const char* key, int def, int base = 10) const;
    // A decimal value (sign allowed, anything after the digits ignored) kept
    // within [min, max]; a value past either end, however long, gives that end.
    // Empty or missing gives `def` (also kept within the range).
    int GetClampedInt(const char* section, const char* key, int def, int min, int max) const;
    // "true" or "yes" in any case are true; otherwise true exactly when the
    // text starts with a non-zero decimal number. Empty gives the default.
    bool GetBool(const char* section, const char* key, bool def) const;
    // True when the key is present in the file (even with an empty value).
    bool HasKey(const char* section, const char* key) const;

    // Writes with a null section or key do nothing and return false, as do
    // writes to a file that is refused.
    bool WriteString(const char* section, const char* key, const char* value);
    bool WriteInt(const char* section, const char* key, int value, int base = 10);
    bool WriteBool(const char* section, const char* key, bool flag);

private:
    // Brings the cache up to date with the file; false when the file is refused.
    bool Refresh() const;
    void Index() const;
    bool Lookup(const char* section, const char* key, std::string* value) const;

    struct Stamp {
        uint64_t device = 0, inode = 0;
        int64_t size = -1, mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const Stamp&) const = default;
    };

    std::string path_;
    mutable bool loaded_ = false;
    mutable Stamp stamp_;
    mutable std::string error_;
    mutable std::vector<std::string> lines_;
    // Lower-case "section\nkey" -> index of the first line that sets it.
    mutable std::map<std::string, size_t> keys_;
};

}  // namespace clipvane
