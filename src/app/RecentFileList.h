#pragma once
// The recent-file list of the File menu: newest first, at most four entries,
// kept in config.ini under [Recent File List] as File1..File4.
#include <QStringList>

namespace clipvane {

class ProfileFile;

class RecentFileList {
public:
    static constexpr int kMaxEntries = 4;

    // Moves `path` to the front (adding it when new), dropping the oldest
    // entry beyond four.
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Entries() const { return entries_; }

    void Load(const ProfileFile& file);
    void Save(ProfileFile& file) const;

private:
    QStringList entries_;
};

}  // namespace clipvane
