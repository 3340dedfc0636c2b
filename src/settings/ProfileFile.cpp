#include "settings/ProfileFile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <vector>

namespace clipvane {

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[Name]" line, or false.
bool SectionOf(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// Splits "Key=Value"; false for lines without "=" and comments.
bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    if (value) *value = Trim(t.substr(eq + 1));
    return true;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    // The per-user configuration folder may not exist yet on a first run.
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    const std::string temp = path + ".tmp." + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const std::string& l : lines) out << l << '\n';
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool ProfileFile::Lookup(const char* section, const char* key, std::string* value) const {
    bool inSection = false;
    std::string name, k;
    for (const std::string& line : ReadLines(path_)) {
        if (SectionOf(line, &name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyOf(line, &k, value) && SameName(k, key)) {
            if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') &&
                value->back() == value->front())
                *value = value->substr(1, value->size() - 2);
            return true;
        }
    }
    return false;
}

bool ProfileFile::HasKey(const char* section, const char* key) const {
    std::string v;
    return section && key && Lookup(section, key, &v);
}

std::string ProfileFile::GetString(const char* section, const char* key, const char* def) const {
    std::string v;
    if (section && key && Lookup(section, key, &v)) return v;
    return def ? def : "";
}

int ProfileFile::GetInt(const char* section, const char* key, int def, int base) const {
    std::string v = GetString(section, key, "");
    if (v.size() > 64) v.resize(64);
    if (v.empty()) return def;
    if (base != 2 && base != 8 && base != 16) base = 10;
    return int(std::strtoul(v.c_str(), nullptr, base));
}

bool ProfileFile::GetBool(const char* section, const char* key, bool def) const {
    std::string v = GetString(section, key, "");
    if (v.size() > 64) v.resize(64);
    if (v.empty()) return def;
    if (strcasecmp(v.c_str(), "true") == 0 || strcasecmp(v.c_str(), "yes") == 0) return true;
    return std::strtol(v.c_str(), nullptr, 10) != 0;
}

bool ProfileFile::WriteString(const char* section, const char* key, const char* value) {
    if (!section || !key || path_.empty()) return false;
    const std::string entry = std::string(key) + "=" + (value ? value : "");
    std::vector<std::string> lines = ReadLines(path_);
    bool inSection = false;
    int sectionEnd = -1;  // index after the last key line of the section
    std::string name, k;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (SectionOf(lines[i], &name)) {
            if (inSection) break;
            inSection = SameName(name, section);
            if (inSection) sectionEnd = int(i) + 1;
        } else if (inSection && KeyOf(lines[i], &k, nullptr)) {
            if (SameName(k, key)) {
                lines[i] = entry;
                return WriteLines(path_, lines);
            }
            sectionEnd = int(i) + 1;
        }
    }
    if (sectionEnd < 0) {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
        std::string header(1, '[');
        header.append(section).push_back(']');
        lines.push_back(header);
        lines.push_back(entry);
    } else {
        lines.insert(lines.begin() + sectionEnd, entry);
    }
    return WriteLines(path_, lines);
}

bool ProfileFile::WriteInt(const char* section, const char* key, int value, int /*base*/) {
    return WriteString(section, key, std::to_string(value).c_str());
}

bool ProfileFile::WriteBool(const char* section, const char* key, bool flag) {
    return WriteString(section, key, flag ? "1" : "0");
}

}  // namespace clipvane
