// Crash recovery over real document tabs: changes schedule a write to the
// instance's folder, save and close remove it, the start-up offer's three
// answers, damaged entries and folders still owned by a running instance.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>

#include "ScriptedPrompts.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/RecentFileList.h"
#include "app/RecoveryKeeper.h"
#include "document/ImageDocument.h"
#include "imagefile/ImageHandler.h"
#include "recovery/RecoveryFormat.h"
#include "recovery/RecoveryLock.h"

namespace clipvane {
namespace {

class ScriptedRecoveryPrompts : public RecoveryPrompts {
public:
    Choice answer = kLater;
    QStringList asked;
    QStringList damaged;
    Choice AskRestore(QWidget*, const QStringList& titles) override {
        asked += titles;
        return answer;
    }
    void ReportDamaged(QWidget*, const QStringList& entries) override { damaged += entries; }
};

template <typename F>
bool Until(F done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

struct RecoveryFixture : ::testing::Test {
    RecoveryFixture() {
        InstallHandlerFactory(new StandardHandlerFactory);
        area = std::make_unique<QMdiArea>();
        area->setViewMode(QMdiArea::TabbedView);
        docs = std::make_unique<DocumentManager>(area.get(), prompts, recent, nullptr);
        keeper = std::make_unique<RecoveryKeeper>(*docs, Root(), answers, nullptr);
        keeper->SetDelay(20);
    }
    ~RecoveryFixture() override {
        for (DocumentWindow* f : docs->Frames()) {
            f->Document()->SetModified(false);
            f->CloseWithoutPrompt();
        }
        test::Settle();
        keeper.reset();
    }
    QString Root() const { return dir.filePath(QStringLiteral("recovery")); }
    // Waits for the document's entry to reach the disk.
    bool Written(ImageDocument* doc) {
        if (!Until([&] { return !keeper->IsScheduled(doc); })) return false;
        keeper->WaitIdle();
        return QFile::exists(keeper->EntryPath(doc));
    }
    // A folder as a crashed instance leaves it: a free lock and one entry.
    QString CrashedFolder(const QString& name, const RecoveryEntry& entry) {
        const QString folder = Root() + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        QFile(folder + QStringLiteral("/lock")).open(QIODevice::WriteOnly);
        EXPECT_TRUE(WriteRecoveryEntry((folder + QStringLiteral("/doc-1.cvr")).toStdString(), entry));
        return folder;
    }
    static RecoveryEntry SampleEntry() {
        RecoveryEntry e;
        e.image.Create(16, 9, 24);
        std::memset(e.image.Bits(), 0x5A, e.image.ByteCount());
        e.title = u"shot ✓.png";
        e.path = u"/tmp/somewhere/shot ✓.png";
        auto text = std::make_unique<TextObject>();
        text->text = u"note";
        e.objects.push_back(std::move(text));
        return e;
    }

    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    ScriptedRecoveryPrompts answers;
    RecentFileList recent;
    std::unique_ptr<QMdiArea> area;
    std::unique_ptr<DocumentManager> docs;
    std::unique_ptr<RecoveryKeeper> keeper;
};

TEST_F(RecoveryFixture, AChangeSchedulesAWriteOfTheWholeDocument) {
    ASSERT_TRUE(keeper->Active());
    ImageDocument* doc = docs->NewDocument()->Document();
    ASSERT_TRUE(Written(doc));
    auto line = std::make_unique<LineObject>(kObjectArrow);
    line->x2 = 50;
    doc->AddObject(std::move(line));
    doc->ObjectsEdited();
    EXPECT_TRUE(keeper->IsScheduled(doc));
    ASSERT_TRUE(Written(doc));
    RecoveryEntry entry;
    ASSERT_TRUE(ReadRecoveryEntry(keeper->EntryPath(doc).toStdString(), &entry));
    EXPECT_EQ(entry.title, u"Clipvane1");
    ASSERT_EQ(entry.objects.size(), 1u);
    EXPECT_EQ(entry.objects[0]->kind, kObjectArrow);
    EXPECT_EQ(entry.image.Width(), 640);
    EXPECT_EQ(std::memcmp(entry.image.Bits(), doc->image.Bits(), doc->image.ByteCount()), 0);
}

TEST_F(RecoveryFixture, SaveAndCloseRemoveTheEntryAndACleanEndTheFolder) {
    DocumentWindow* saved = docs->NewDocument();
    DocumentWindow* closed = docs->NewDocument();
    ASSERT_TRUE(Written(saved->Document()));
    ASSERT_TRUE(Written(closed->Document()));
    const QString savedEntry = keeper->EntryPath(saved->Document());
    const QString closedEntry = keeper->EntryPath(closed->Document());

    prompts.saveAnswers.push_back(dir.filePath(QStringLiteral("saved.png")));
    ASSERT_TRUE(docs->SaveAs(saved));
    keeper->WaitIdle();
    EXPECT_FALSE(QFile::exists(savedEntry));
    EXPECT_FALSE(keeper->IsScheduled(saved->Document()));

    closed->Document()->SetModified(false);
    closed->CloseWithoutPrompt();
    test::Settle();
    keeper->WaitIdle();
    EXPECT_FALSE(QFile::exists(closedEntry));

    const QString folder = keeper->Folder();
    EXPECT_TRUE(QDir(folder).exists());
    keeper.reset();
    EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(RecoveryFixture, RestoreOpensModifiedEditableDocumentsAndClearsTheFolder) {
    const QString folder = CrashedFolder(QStringLiteral("1-1"), SampleEntry());
    answers.answer = RecoveryPrompts::kRestore;
    EXPECT_EQ(keeper->OfferRestore(), 1);
    EXPECT_EQ(answers.asked, QStringList{QStringLiteral("shot ✓.png")});
    EXPECT_FALSE(QDir(folder).exists());
    ASSERT_EQ(docs->Frames().size(), 1);
    ImageDocument* doc = docs->Frames().front()->Document();
    EXPECT_EQ(doc->Title(), QStringLiteral("shot ✓.png"));
    EXPECT_EQ(doc->PathName(), QStringLiteral("/tmp/somewhere/shot ✓.png"));
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(doc->objects.size(), 1u);
    EXPECT_EQ(static_cast<TextObject&>(*doc->objects[0]).text, u"note");
    EXPECT_EQ(doc->image.GetPixel(3, 3), 0x5A5A5Au);
    // Kept again, in this instance's own folder.
    EXPECT_TRUE(QFile::exists(keeper->EntryPath(doc)));
}

// A restored document whose file is a PNG with editable annotations saves
// that form again; one from a plain PNG stays plain.
TEST_F(RecoveryFixture, RestoredDocumentKeepsSavingItsEditableFile) {
    RecoveryEntry entry = SampleEntry();
    SetObjectRect(*entry.objects[0], Rect{1, 1, 12, 8});
    const QString editable = dir.filePath(QStringLiteral("notes.png")), plain = dir.filePath(QStringLiteral("p.png"));
    {
        ImageDocument source;
        source.image = entry.image;
        CopyObjectList(source.objects, entry.objects);
        source.SetSavesEditable(true);
        ASSERT_TRUE(source.SaveDocument(editable));
        source.SetSavesEditable(false);
        ASSERT_TRUE(source.SaveDocument(plain));
    }
    entry.path = editable.toStdU16String();
    CrashedFolder(QStringLiteral("1-1"), entry);
    entry.path = plain.toStdU16String();
    CrashedFolder(QStringLiteral("2-2"), entry);
    answers.answer = RecoveryPrompts::kRestore;
    ASSERT_EQ(keeper->OfferRestore(), 2);
    QMap<QString, bool> editableByPath;
    for (DocumentWindow* f : docs->Frames()) editableByPath[f->Document()->PathName()] = f->Document()->SavesEditable();
    EXPECT_TRUE(editableByPath.value(editable, false)) << editableByPath.keys().join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(editableByPath.value(plain, true));
}

TEST_F(RecoveryFixture, DiscardRemovesAndLaterKeepsTheEntries) {
    const QString folder = CrashedFolder(QStringLiteral("2-2"), SampleEntry());
    answers.answer = RecoveryPrompts::kLater;
    EXPECT_EQ(keeper->OfferRestore(), 0);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/doc-1.cvr")));
    EXPECT_TRUE(docs->Frames().isEmpty());
    answers.answer = RecoveryPrompts::kDiscard;
    EXPECT_EQ(keeper->OfferRestore(), 0);
    EXPECT_EQ(answers.asked.size(), 2);
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_TRUE(docs->Frames().isEmpty());
}

TEST_F(RecoveryFixture, FoldersOfRunningInstancesAreNotOffered) {
    const QString folder = CrashedFolder(QStringLiteral("3-3"), SampleEntry());
    RecoveryLock running;
    ASSERT_TRUE(running.TryAcquire((folder + QStringLiteral("/lock")).toStdString()));
    answers.answer = RecoveryPrompts::kDiscard;
    EXPECT_EQ(keeper->OfferRestore(), 0);
    EXPECT_TRUE(answers.asked.isEmpty());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/doc-1.cvr")));
    // Nor does this instance offer its own folder.
    docs->NewDocument();
    ASSERT_TRUE(Written(docs->Frames().front()->Document()));
    EXPECT_EQ(keeper->OfferRestore(), 0);
    EXPECT_TRUE(answers.asked.isEmpty());
}

TEST_F(RecoveryFixture, DamagedEntriesAreNamedAndSkipped) {
    const QString folder = CrashedFolder(QStringLiteral("4-4"), SampleEntry());
    QFile::resize(folder + QStringLiteral("/doc-1.cvr"), 40);
    QFile garbage(folder + QStringLiteral("/doc-2.cvr"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(300, 'x'));
    garbage.close();
    answers.answer = RecoveryPrompts::kRestore;
    EXPECT_EQ(keeper->OfferRestore(), 0);
    ASSERT_EQ(answers.damaged.size(), 2);
    EXPECT_TRUE(answers.damaged[0].contains(QStringLiteral("doc-1.cvr")));
    EXPECT_TRUE(answers.damaged[1].contains(QStringLiteral("doc-2.cvr")));
    EXPECT_TRUE(answers.asked.isEmpty());
    EXPECT_TRUE(docs->Frames().isEmpty());
}

TEST_F(RecoveryFixture, ASnapshotInSlicesStartsAgainWhenTheDocumentChanges) {
    keeper->SetSliceBudget(0.05);
    ImageDocument* doc = docs->NewCaptureDocument()->Document();
    doc->image.Create(1500, 1000, 32);
    std::memset(doc->image.Bits(), 0x11, doc->image.ByteCount());
    doc->ImageEdited();
    // Change the pixels while the copy is under way: the entry must hold the
    // final pixels, not a mix.
    ASSERT_TRUE(Until([&] { return keeper->IsScheduled(doc) && doc->image.Bits()[0] == 0x11; }));
    QTimer::singleShot(25, [doc] {
        std::memset(doc->image.Bits(), 0x22, doc->image.ByteCount());
        doc->ImageEdited();
    });
    ASSERT_TRUE(Until([&] { return doc->image.Bits()[0] == 0x22; }));
    ASSERT_TRUE(Written(doc));
    RecoveryEntry entry;
    ASSERT_TRUE(ReadRecoveryEntry(keeper->EntryPath(doc).toStdString(), &entry));
    ASSERT_EQ(entry.image.ByteCount(), doc->image.ByteCount());
    EXPECT_EQ(std::memcmp(entry.image.Bits(), doc->image.Bits(), doc->image.ByteCount()), 0);
}

// Documents come back in the order they were opened, across instances too,
// whatever the names sort as text; a link named like an instance folder is
// neither read nor emptied, and damaged entries go once reported.
TEST_F(RecoveryFixture, RestoreKeepsTheOrderAndTouchesNothingElse) {
    RecoveryEntry entry = SampleEntry();
    const QString older = CrashedFolder(QStringLiteral("900-5"), entry);
    const QString newer = CrashedFolder(QStringLiteral("100-7"), entry);
    for (const char* name : {"doc-2.cvr", "doc-10.cvr", "doc-9.cvr"}) {
        entry.title = QString::fromLatin1(name).toStdU16String();
        ASSERT_TRUE(WriteRecoveryEntry((newer + QLatin1Char('/') + QLatin1String(name)).toStdString(), entry));
    }
    QFile(newer + QStringLiteral("/doc-3.cvr")).open(QIODevice::WriteOnly);  // empty: damaged
    QTemporaryDir outside;
    ASSERT_TRUE(WriteRecoveryEntry(outside.filePath(QStringLiteral("doc-1.cvr")).toStdString(), SampleEntry()));
    ASSERT_TRUE(QFile::link(outside.path(), Root() + QStringLiteral("/1-1")));
    answers.answer = RecoveryPrompts::kRestore;
    EXPECT_EQ(keeper->OfferRestore(), 5);
    EXPECT_EQ(answers.asked,
              (QStringList{QStringLiteral("shot ✓.png"), QStringLiteral("shot ✓.png"), QStringLiteral("doc-2.cvr"),
                           QStringLiteral("doc-9.cvr"), QStringLiteral("doc-10.cvr")}));
    ASSERT_EQ(answers.damaged.size(), 1);
    EXPECT_TRUE(answers.damaged[0].contains(QStringLiteral("doc-3.cvr")));
    EXPECT_FALSE(QDir(older).exists());
    EXPECT_FALSE(QDir(newer).exists());
    EXPECT_TRUE(QFile::exists(outside.filePath(QStringLiteral("doc-1.cvr"))));
    // This instance's own entries are private.
    ImageDocument* doc = docs->Frames().front()->Document();
    EXPECT_EQ(QFile::permissions(keeper->EntryPath(doc)) & 0x0077, QFileDevice::Permissions());
    EXPECT_EQ(QFile::permissions(Root()) & 0x0077, QFileDevice::Permissions());
}

}  // namespace
}  // namespace clipvane
