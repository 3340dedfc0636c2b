#pragma once
// Reading and writing config.ini: "[Section]" headers and "Key=Value" lines.
// Section and key names match in any letter case. Values are trimmed and may
// be quoted. A missing file or key gives the default; the file is created by
// the first write and replaced atomically on every write.
#include <string>

namespace clipvane {

class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(const std::string& path) : path_(path) {}

    // A null path empties the held path.
    void SetPath(const char* path) { path_ = path ? path : ""; }
    const std::string& Path() const { return path_; }

    // Null section or key: a copy of the default (or an empty text).
    std::string GetString(const char* section, const char* key, const char* def = nullptr) const;
    // At most the first 64 bytes count; an empty value gives the default;
    // otherwise an unsigned conversion in base 2, 8 or 16 when asked, else
    // base 10, ignoring anything after the digits.
    int GetInt(const char* section, const char* key, int def, int base = 10) const;
    // "true" or "yes" in any case are true; otherwise true exactly when the
    // text starts with a non-zero decimal number. Empty gives the default.
    bool GetBool(const char* section, const char* key, bool def) const;
    // True when the key is present in the file (even with an empty value).
    bool HasKey(const char* section, const char* key) const;

    // Writes with a null section or key do nothing and return false.
    bool WriteString(const char* section, const char* key, const char* value);
    bool WriteInt(const char* section, const char* key, int value, int base = 10);
    bool WriteBool(const char* section, const char* key, bool flag);

private:
    bool Lookup(const char* section, const char* key, std::string* value) const;

    std::string path_;
};

}  // namespace clipvane
