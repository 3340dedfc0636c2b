#pragma once
// Crash recovery: every document with unsaved changes is written to this
// instance's recovery folder a moment after its last change, and the next
// start after an abnormal end offers to restore what a crashed instance left.
//
// Folders: <root>/<pid>-<start time>/ per running instance, each guarded by a
// flock on its "lock" file, one "doc-<n>.cvr" entry per document (numbered in
// the order the documents came, which is the order they are restored in).
// Only the holder of a folder's lock writes into it; the start-up offer takes
// only folders whose lock is free (their instance has ended). A saved or
// closed document loses its entry, and a clean exit removes the folder. The
// root and folders are private (0700, entries 0600), and nothing under the
// root is reached through a link or removed unless it has a name Clipvane
// writes and belongs to the user (recovery/RecoveryFolder.h).
//
// The user-interface thread only takes the snapshot: title, path, flag and
// a copy of the objects at once, the pixels in slices of about 2 ms between
// events (a slice is dropped and the debounce restarted when the document
// changes meanwhile). Encoding and the atomic write run on a worker thread,
// which takes the snapshot over; jobs run in order, so a removal queued
// after a write always wins.
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "recovery/RecoveryLock.h"

class QTimer;
class QWidget;

namespace clipvane {

class DocumentManager;
class ImageDocument;
struct RecoveryEntry;
class SlicedCopy;

class RecoveryPrompts {
public:
    enum Choice { kRestore, kDiscard, kLater };
    virtual ~RecoveryPrompts() = default;
    // The start-up offer over the titles of the documents found.
    virtual Choice AskRestore(QWidget* parent, const QStringList& titles) = 0;
    // Entries that could not be read and were skipped, each named with why.
    virtual void ReportDamaged(QWidget* parent, const QStringList& entries) = 0;
};

class QtRecoveryPrompts : public RecoveryPrompts {
public:
    Choice AskRestore(QWidget* parent, const QStringList& titles) override;
    void ReportDamaged(QWidget* parent, const QStringList& entries) override;
};

class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // Takes a folder of its own under `root` and watches every document the
    // manager adds from now on.
    RecoveryKeeper(DocumentManager& documents, const QString& root, RecoveryPrompts& prompts, QWidget* dialogParent);
    // A clean end: waits for the worker, then removes this instance's folder.
    ~RecoveryKeeper() override;

    // $XDG_STATE_HOME/clipvane/recovery, by default ~/.local/state/clipvane/recovery.
    static QString DefaultRoot();

    // False when no folder or lock of its own could be had: nothing is written.
    bool Active() const { return lock_.Held(); }
    const QString& Folder() const { return folder_; }
    // Milliseconds between a document's last change and its write (1000).
    void SetDelay(int ms) { delay_ = ms; }
    // Longest UI-thread slice of the pixel copy, in milliseconds.
    void SetSliceBudget(double ms) { sliceBudgetMs_ = ms; }

    // Starts watching `doc` (done for every document the manager adds); a
    // modified document is scheduled at once.
    void Track(ImageDocument* doc);
    // The entry file of a watched document, empty for others.
    QString EntryPath(const ImageDocument* doc) const;
    // True while a write of `doc` waits for its delay or its snapshot.
    bool IsScheduled(const ImageDocument* doc) const;

    // Looks for entries of ended instances and asks whether to restore them.
    // Returns the number of documents restored.
    int OfferRestore();

    // Blocks until the worker has finished every queued job (for tests and
    // the exit path).
    void WaitIdle();

    // The longest UI-thread stall of a snapshot slice so far, in milliseconds.
    double LongestSliceMs() const { return longestSliceMs_; }

signals:
    // A snapshot went to the worker (the file follows shortly).
    void snapshotQueued(const QString& path);

private:
    struct Watched;
    struct Job {
        std::string path;                      // empty: only free what the job holds
        std::unique_ptr<RecoveryEntry> entry;  // null: remove the file
        std::unique_ptr<SlicedCopy> pixels;    // the entry's image, built by the worker
    };

    void Schedule(ImageDocument* doc);
    void StartSnapshot(ImageDocument* doc);
    void ContinueSnapshot(ImageDocument* doc);
    void Forget(QObject* doc);
    void RemoveEntry(ImageDocument* doc);
    void DropSnapshot(Watched& w);
    void Queue(Job job);
    void WorkerLoop();

    DocumentManager& documents_;
    RecoveryPrompts& prompts_;
    QWidget* parent_;
    QString root_;
    QString folder_;
    std::string folderName_;
    int rootFd_ = -1;
    int folderFd_ = -1;
    RecoveryLock lock_;
    int delay_ = 1000;
    double sliceBudgetMs_ = 2.0;
    double longestSliceMs_ = 0;
    int nextId_ = 0;
    QHash<const QObject*, Watched*> watched_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace clipvane
