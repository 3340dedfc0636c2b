#include "app/RecentFileList.h"

#include <QFileInfo>

#include "settings/ProfileFile.h"

namespace clipvane {

namespace {
constexpr const char* kSection = "Recent File List";

QByteArray Key(int i) { return QByteArray("File") + QByteArray::number(i + 1); }

bool SamePath(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}
}  // namespace

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty()) return;
    Remove(path);
    entries_.prepend(QFileInfo(path).absoluteFilePath());
    while (entries_.size() > kMaxEntries) entries_.removeLast();
}

void RecentFileList::Remove(const QString& path) {
    entries_.removeIf([&](const QString& e) { return SamePath(e, path); });
}

void RecentFileList::Load(const ProfileFile& file) {
    entries_.clear();
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString path = QString::fromStdString(file.GetString(kSection, Key(i).constData(), ""));
        if (!path.isEmpty() && !entries_.contains(path)) entries_.append(path);
    }
}

void RecentFileList::Save(ProfileFile& file) const {
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString value = i < entries_.size() ? entries_[i] : QString();
        file.WriteString(kSection, Key(i).constData(), value.toStdString().c_str());
    }
}

}  // namespace clipvane
