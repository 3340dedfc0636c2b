#include "app/RecoveryKeeper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "annotation/EditablePng.h"
#include "app/DocumentManager.h"
#include "base/TraceLog.h"
#include "document/ImageDocument.h"
#include "imagefile/ImageFile.h"
#include "recovery/RecoveryFolder.h"
#include "recovery/RecoveryFormat.h"
#include "recovery/SlicedCopy.h"

namespace clipvane {

namespace {

constexpr char kEntrySuffix[] = ".cvr";
constexpr size_t kSliceBytes = 512 * 1024;

constexpr char kLockName[] = "lock";

// The file name of a path (entries are named by path in the jobs).
std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::u16string ToU16(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
}
QString FromU16(const std::u16string& s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

}  // namespace

// ---- prompts ----------------------------------------------------------------------

RecoveryPrompts::Choice QtRecoveryPrompts::AskRestore(QWidget* parent, const QStringList& titles) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Restore Unsaved Documents"),
                    QStringLiteral("Clipvane did not close normally. These documents had unsaved changes:\n\n%1\n\n"
                                   "Restore them now, discard them, or keep them for later?")
                        .arg(titles.join(QLatin1Char('\n'))),
                    QMessageBox::NoButton, parent);
    QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(restore);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == restore) return kRestore;
    if (box.clickedButton() == discard) return kDiscard;
    return kLater;
}

void QtRecoveryPrompts::ReportDamaged(QWidget* parent, const QStringList& entries) {
    QMessageBox::warning(parent, QStringLiteral("Damaged Recovery Files"),
                         QStringLiteral("Clipvane skipped these recovery files, which are damaged or incomplete. "
                                        "They are deleted when you press OK:\n\n%1")
                             .arg(entries.join(QLatin1Char('\n'))));
}

// ---- watching documents -------------------------------------------------------------

struct RecoveryKeeper::Watched {
    QTimer* timer = nullptr;
    QString path;
    std::unique_ptr<RecoveryEntry> snapshot;  // the copy being taken, null when none
    std::unique_ptr<SlicedCopy> copy;         // its pixels, a slice per turn
    bool written = false;                     // an entry may exist on disk
};

RecoveryKeeper::RecoveryKeeper(DocumentManager& documents, const QString& root, RecoveryPrompts& prompts,
                               QWidget* dialogParent)
    : documents_(documents), prompts_(prompts), parent_(dialogParent), root_(root) {
    const QString name =
        QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(QDateTime::currentMSecsSinceEpoch());
    folderName_ = name.toStdString();
    folder_ = root_ + QLatin1Char('/') + name;
    rootFd_ = OpenRecoveryRoot(QFile::encodeName(QDir(root_).absolutePath()).toStdString());
    if (rootFd_ >= 0) folderFd_ = OpenOwnFolder(rootFd_, folderName_, true);
    if (folderFd_ < 0 || !lock_.TryAcquireAt(folderFd_, kLockName)) {
        TraceLog("recovery folder %s not available: unsaved documents are not kept\n", qPrintable(folder_));
    }
    connect(&documents_, &DocumentManager::documentAdded, this, &RecoveryKeeper::Track);
    connect(&documents_, &DocumentManager::documentSaved, this, [this](ImageDocument* doc) { RemoveEntry(doc); });
    worker_ = std::thread([this] { WorkerLoop(); });
}

RecoveryKeeper::~RecoveryKeeper() {
    for (auto it = watched_.begin(); it != watched_.end(); ++it) delete it.value();
    watched_.clear();
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
    if (lock_.Held()) {
        RemoveInstanceFolder(rootFd_, folderName_, folderFd_);
        lock_.Release();
    }
    if (folderFd_ >= 0) close(folderFd_);
    if (rootFd_ >= 0) close(rootFd_);
}

QString RecoveryKeeper::DefaultRoot() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/clipvane/recovery");
}

void RecoveryKeeper::Track(ImageDocument* doc) {
    if (!doc || watched_.contains(doc) || !Active()) return;
    auto* w = new Watched;
    w->path = QStringLiteral("%1/doc-%2%3").arg(folder_).arg(++nextId_).arg(QLatin1String(kEntrySuffix));
    w->timer = new QTimer(this);
    w->timer->setSingleShot(true);
    connect(w->timer, &QTimer::timeout, this, [this, doc] { StartSnapshot(doc); });
    watched_.insert(doc, w);
    connect(doc, &ImageDocument::changed, this, [this, doc] { Schedule(doc); });
    connect(doc, &QObject::destroyed, this, &RecoveryKeeper::Forget);
    if (doc->IsModified()) Schedule(doc);
}

QString RecoveryKeeper::EntryPath(const ImageDocument* doc) const {
    const Watched* w = watched_.value(doc);
    return w ? w->path : QString();
}

bool RecoveryKeeper::IsScheduled(const ImageDocument* doc) const {
    const Watched* w = watched_.value(doc);
    return w && (w->timer->isActive() || w->snapshot);
}

void RecoveryKeeper::Schedule(ImageDocument* doc) {
    Watched* w = watched_.value(doc);
    if (!w) return;
    DropSnapshot(*w);  // a copy under way is stale now
    w->timer->start(delay_);
}

void RecoveryKeeper::StartSnapshot(ImageDocument* doc) {
    Watched* w = watched_.value(doc);
    if (!w) return;
    if (!doc->IsModified()) {
        RemoveEntry(doc);
        return;
    }
    QElapsedTimer clock;
    clock.start();
    auto snap = std::make_unique<RecoveryEntry>();
    snap->title = ToU16(doc->Title());
    snap->path = ToU16(doc->PathName());
    snap->modified = true;
    CopyObjectList(snap->objects, doc->objects);
    w->copy = std::make_unique<SlicedCopy>();
    if (!w->copy->Begin(doc->image)) {
        TraceLog("recovery: no memory for a snapshot of %s\n", qPrintable(doc->Title()));
        return;
    }
    w->snapshot = std::move(snap);
    longestSliceMs_ = std::max(longestSliceMs_, clock.nsecsElapsed() / 1e6);
    ContinueSnapshot(doc);
}

void RecoveryKeeper::ContinueSnapshot(ImageDocument* doc) {
    Watched* w = watched_.value(doc);
    if (!w || !w->snapshot || !w->copy) return;
    QElapsedTimer clock;
    clock.start();
    const SlicedCopy::Result result = w->copy->Step(doc->image, int64_t(sliceBudgetMs_ * 1e6), kSliceBytes);
    longestSliceMs_ = std::max(longestSliceMs_, clock.nsecsElapsed() / 1e6);
    if (result == SlicedCopy::kSourceChanged) {
        // The image was replaced without a change signal: start again.
        Schedule(doc);
        return;
    }
    if (result == SlicedCopy::kMore) {
        QTimer::singleShot(0, this, [this, doc] {
            if (watched_.contains(doc)) ContinueSnapshot(doc);
        });
        return;
    }
    w->written = true;
    Queue({w->path.toStdString(), std::move(w->snapshot), std::move(w->copy)});
    emit snapshotQueued(w->path);
}

void RecoveryKeeper::DropSnapshot(Watched& w) {
    // Freeing a 4K copy unmaps tens of megabytes: the worker does it.
    if (w.copy) Queue({std::string(), std::move(w.snapshot), std::move(w.copy)});
    w.snapshot.reset();
}

void RecoveryKeeper::RemoveEntry(ImageDocument* doc) {
    Watched* w = watched_.value(doc);
    if (!w) return;
    w->timer->stop();
    DropSnapshot(*w);
    if (w->written) Queue({w->path.toStdString(), nullptr});
    w->written = false;
}

void RecoveryKeeper::Forget(QObject* doc) {
    Watched* w = watched_.take(doc);
    if (!w) return;
    DropSnapshot(*w);
    if (w->written) Queue({w->path.toStdString(), nullptr});
    delete w->timer;
    delete w;
}

// ---- the worker -------------------------------------------------------------------------

void RecoveryKeeper::Queue(Job job) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void RecoveryKeeper::WorkerLoop() {
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
        wake_.wait(hold, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping with nothing left
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        hold.unlock();
        if (job.path.empty()) {
            // A stale snapshot, only to be freed.
        } else if (job.entry) {
            const bool pixels = !job.pixels || job.pixels->TakeImage(job.entry->image);
            // Made private first: the write that replaces it keeps its mode.
            if (!pixels || !PrepareRecoveryEntry(folderFd_, BaseName(job.path)) ||
                !WriteRecoveryEntry(job.path, *job.entry))
                TraceLog("recovery: cannot write %s\n", job.path.c_str());
        } else {
            RemoveRecoveryEntry(folderFd_, BaseName(job.path));
        }
        job.entry.reset();
        job.pixels.reset();
        hold.lock();
        busy_ = false;
        if (jobs_.empty()) idle_.notify_all();
    }
}

void RecoveryKeeper::WaitIdle() {
    std::unique_lock<std::mutex> hold(mutex_);
    idle_.wait(hold, [this] { return jobs_.empty() && !busy_; });
}

// ---- restoring ----------------------------------------------------------------------------

int RecoveryKeeper::OfferRestore() {
    struct Found {
        QString file;
        std::unique_ptr<RecoveryEntry> entry;
    };
    struct Folder {
        std::string name;
        int fd;
        std::unique_ptr<RecoveryLock> lock;
    };
    std::vector<Folder> folders;
    std::vector<Found> found;
    QStringList damaged;
    std::vector<std::pair<int, std::string>> damagedFiles;
    if (rootFd_ < 0) return 0;
    // Oldest instance first, each one's entries in the order of its documents.
    for (const std::string& name : ListInstanceFolders(rootFd_)) {
        if (name == folderName_) continue;
        const int fd = OpenOwnFolder(rootFd_, name, false);
        if (fd < 0) continue;
        auto lock = std::make_unique<RecoveryLock>();
        // A held lock: that instance still runs and keeps its own entries.
        if (!lock->TryAcquireAt(fd, kLockName)) {
            close(fd);
            continue;
        }
        const QString folder = root_ + QLatin1Char('/') + QFile::decodeName(name.c_str());
        for (const std::string& file : ListRecoveryEntries(fd)) {
            const QString path = folder + QLatin1Char('/') + QFile::decodeName(file.c_str());
            auto entry = std::make_unique<RecoveryEntry>();
            std::string why = "cannot be opened";
            const int entryFd = OpenRecoveryEntry(fd, file);
            if (entryFd >= 0 && ReadRecoveryEntry("/proc/self/fd/" + std::to_string(entryFd), entry.get(), &why)) {
                found.push_back({path, std::move(entry)});
            } else {
                damaged.append(QStringLiteral("%1 (%2)").arg(path, QString::fromStdString(why)));
                damagedFiles.emplace_back(fd, file);
                TraceLog("recovery: skipped %s: %s\n", qPrintable(path), why.c_str());
            }
            if (entryFd >= 0) close(entryFd);
        }
        folders.push_back({name, fd, std::move(lock)});
    }
    const auto closeFolders = [&folders] {
        for (Folder& f : folders) {
            f.lock.reset();
            close(f.fd);
        }
    };
    if (!damaged.isEmpty()) {
        prompts_.ReportDamaged(parent_, damaged);
        for (const auto& [fd, file] : damagedFiles) RemoveRecoveryEntry(fd, file);
    }

    RecoveryPrompts::Choice choice = RecoveryPrompts::kDiscard;  // nothing readable: clear the folders
    if (!found.empty()) {
        QStringList titles;
        for (const Found& f : found) titles.append(FromU16(f.entry->title));
        choice = prompts_.AskRestore(parent_, titles);
    }
    if (choice == RecoveryPrompts::kLater) {
        closeFolders();  // the locks go, the folders stay
        return 0;
    }
    int restored = 0;
    if (choice == RecoveryPrompts::kRestore) {
        for (Found& f : found) {
            auto* doc = new ImageDocument;
            doc->image = f.entry->image;
            CopyObjectList(doc->objects, f.entry->objects);
            const QString path = FromU16(f.entry->path);
            if (!path.isEmpty()) doc->SetPathName(path);
            // A document from a PNG with editable annotations goes on saving
            // that form: Save must not burn its objects into the file.
            if (!path.isEmpty() && TypeFromPath(path.toStdString()) == kFilePng) {
                EditableContent kept;
                std::string why;
                doc->SetSavesEditable(ReadEditablePng(path.toStdString(), nullptr, kept, why) ==
                                      EditableState::kEditable);
            }
            doc->SetTitle(FromU16(f.entry->title));
            doc->SetModified(true);
            documents_.AdoptDocument(doc);
            doc->UpdateAllViews();
            // Kept in this instance's folder before the old entry goes.
            if (Watched* w = watched_.value(doc)) {
                w->timer->stop();
                w->written = true;
                Queue({w->path.toStdString(), std::move(f.entry)});
            }
            ++restored;
        }
        WaitIdle();
    }
    for (Folder& f : folders) RemoveInstanceFolder(rootFd_, f.name, f.fd);
    closeFolders();
    return restored;
}

}  // namespace clipvane
