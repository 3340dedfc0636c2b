// File commands over real document tabs with scripted answers: New, Open,
// Save, Save As, the close prompt and the exit prompt walks.
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/DocumentWindow.h"
#include "app/DocumentManager.h"
#include "app/RecentFileList.h"
#include "ScriptedPrompts.h"
#include "document/ImageDocument.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"

namespace clipvane {
namespace {

struct DocsFixture : ::testing::Test {
    DocsFixture() {
        InstallHandlerFactory(new StandardHandlerFactory);
        area = std::make_unique<QMdiArea>();
        area->setViewMode(QMdiArea::TabbedView);
        docs = std::make_unique<DocumentManager>(area.get(), prompts, recent, nullptr);
    }
    ~DocsFixture() override {
        for (DocumentWindow* f : docs->Frames()) {
            f->Document()->SetModified(false);
            f->CloseWithoutPrompt();
        }
        test::Settle();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    // Three modified documents, Clipvane1..3.
    QList<DocumentWindow*> ThreeNew() {
        docs->NewDocument();
        docs->NewDocument();
        docs->NewDocument();
        return docs->Frames();
    }
    QStringList Titles() {
        test::Settle();
        QStringList t;
        for (DocumentWindow* f : docs->Frames()) t.append(f->Document()->Title());
        return t;
    }

    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    RecentFileList recent;
    std::unique_ptr<QMdiArea> area;
    std::unique_ptr<DocumentManager> docs;
};

TEST_F(DocsFixture, NewDocumentsAreNumberedWhiteAndModified) {
    DocumentWindow* a = docs->NewDocument();
    DocumentWindow* b = docs->NewDocument();
    EXPECT_EQ(a->Document()->Title(), QStringLiteral("Clipvane1"));
    EXPECT_EQ(b->Document()->Title(), QStringLiteral("Clipvane2"));
    const PixelImage& image = b->Document()->image;
    EXPECT_EQ(image.Width(), 640);
    EXPECT_EQ(image.Height(), 480);
    EXPECT_EQ(image.PixelAddress(639, 479)[0], 255);
    EXPECT_TRUE(b->Document()->IsModified());
    EXPECT_EQ(docs->Active(), b);
}

TEST_F(DocsFixture, SaveAsRetitlesRemembersAndOpenActivatesTheTab) {
    DocumentWindow* frame = docs->NewDocument();
    const QString path = Path("first.png");
    prompts.saveAnswers.push_back(path);
    ASSERT_TRUE(docs->SaveAs(frame));
    EXPECT_EQ(prompts.saveProposals.front(), QStringLiteral("Clipvane1"));
    EXPECT_EQ(prompts.saveSuffixes.front(), QStringLiteral("png"));
    EXPECT_EQ(frame->Document()->Title(), QStringLiteral("first.png"));
    EXPECT_FALSE(frame->Document()->IsModified());
    EXPECT_EQ(recent.Entries().front(), path);
    EXPECT_TRUE(QFile::exists(path));

    // Save writes back to the path without a dialog.
    frame->Document()->SetModified(true);
    EXPECT_TRUE(docs->Save(frame));
    EXPECT_EQ(prompts.saveProposals.size(), 1);

    docs->NewDocument();
    EXPECT_EQ(docs->OpenPath(path), frame);  // already open: its tab comes forward
    EXPECT_EQ(docs->Frames().size(), 2);
}

TEST_F(DocsFixture, OpeningAFileShowsItsImageAndAddsItToRecentFiles) {
    PixelImage image;
    image.Create(30, 20, 24);
    const QString path = Path("pic.bmp");
    ASSERT_NE(SaveImageFile(image, path.toStdString()), 0);
    DocumentWindow* frame = docs->OpenPath(path);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Document()->image.Width(), 30);
    EXPECT_EQ(frame->Document()->Title(), QStringLiteral("pic.bmp"));
    EXPECT_FALSE(frame->Document()->IsModified());
    EXPECT_EQ(recent.Entries(), QStringList{path});
}

TEST_F(DocsFixture, UndecodableOrMissingFilesGiveAnErrorAndNoDocument) {
    const QString junk = Path("junk.png");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("definitely not a picture");
    f.close();
    EXPECT_EQ(docs->OpenPath(junk), nullptr);
    EXPECT_EQ(docs->OpenPath(Path("missing.png")), nullptr);
    ASSERT_EQ(prompts.errors.size(), 2);
    EXPECT_TRUE(prompts.errors[0].contains(junk));
    EXPECT_TRUE(prompts.errors[1].contains(QStringLiteral("missing.png")));
    EXPECT_TRUE(docs->Frames().isEmpty());
    EXPECT_TRUE(recent.Entries().isEmpty());
    // Other kinds of file are named as what they are, whatever their name says.
    for (const auto& [name, content] : {std::pair{"paper.png", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n"},
                                        std::pair{"notes.bmp", "plain words, line after line\n"}}) {
        QFile other(Path(name));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write(content);
        other.close();
        EXPECT_EQ(docs->OpenPath(Path(name)), nullptr);
    }
    ASSERT_EQ(prompts.errors.size(), 4);
    EXPECT_TRUE(prompts.errors[2].contains(QStringLiteral("is not a picture (it looks like a PDF document)")))
        << prompts.errors[2].toStdString();
    EXPECT_TRUE(prompts.errors[3].contains(QStringLiteral("is not a picture (it looks like a plain text document)")))
        << prompts.errors[3].toStdString();
    EXPECT_TRUE(docs->Frames().isEmpty());
}

TEST_F(DocsFixture, FailedSaveIsReportedAndLeavesTheDocumentModified) {
    DocumentWindow* frame = docs->NewDocument();
    prompts.saveAnswers.push_back(Path("no/such/folder/x.png"));
    EXPECT_FALSE(docs->SaveAs(frame));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("does not exist")));
    EXPECT_TRUE(frame->Document()->IsModified());
    prompts.saveAnswers.push_back(Path("picture.ico"));
    EXPECT_FALSE(docs->SaveAs(frame));
    EXPECT_TRUE(prompts.errors[1].contains(QStringLiteral(".ico")));
    EXPECT_TRUE(frame->Document()->IsModified());
}

TEST_F(DocsFixture, ClosePromptKeepsTheDocumentWhenTheSaveFails) {
    DocumentWindow* frame = docs->NewDocument();
    prompts.closeAnswers.push_back(UserPrompts::kYes);
    prompts.saveAnswers.push_back(Path("missing-dir/out.png"));
    frame->close();
    test::Settle();
    ASSERT_EQ(docs->Frames().size(), 1);
    EXPECT_TRUE(frame->Document()->IsModified());
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST_F(DocsFixture, ClosePromptAnswers) {
    DocumentWindow* frame = docs->NewDocument();
    // Yes, then Cancel in the file dialog: stays open and modified.
    prompts.closeAnswers.push_back(UserPrompts::kYes);
    frame->close();
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("Clipvane1")});
    EXPECT_EQ(prompts.saveSuffixes.back(), QStringLiteral("png"));
    // Cancel: stays.
    prompts.closeAnswers.push_back(UserPrompts::kCancel);
    frame->close();
    EXPECT_EQ(Titles().size(), 1);
    // Yes with a good path: saved (the path name stays unset), then closed.
    prompts.closeAnswers.push_back(UserPrompts::kYes);
    prompts.saveAnswers.push_back(Path("closing.png"));
    frame->close();
    EXPECT_TRUE(Titles().isEmpty());
    EXPECT_TRUE(QFile::exists(Path("closing.png")));
    // No: closes without saving; unmodified documents close without asking.
    docs->NewDocument();
    prompts.closeAnswers.push_back(UserPrompts::kNo);
    docs->Frames().front()->close();
    EXPECT_TRUE(Titles().isEmpty());
}

TEST_F(DocsFixture, ExitPromptSaveNoneOnTheFirstClosesAll) {
    ThreeNew();
    prompts.exitAnswers = {1002};
    EXPECT_TRUE(docs->RunExitPrompt());
    EXPECT_EQ(prompts.exitQuestions, QStringList{QStringLiteral("Clipvane1")});
    EXPECT_TRUE(Titles().isEmpty());
}

TEST_F(DocsFixture, ExitPromptNoThenCancelClosesTheFirstOnly) {
    ThreeNew();
    prompts.exitAnswers = {1001, 1003};
    EXPECT_FALSE(docs->RunExitPrompt());
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("Clipvane2"), QStringLiteral("Clipvane3")}));
    EXPECT_TRUE(docs->Frames()[0]->Document()->IsModified());
}

TEST_F(DocsFixture, ExitPromptClosesUnmodifiedDocumentsWithoutAsking) {
    QList<DocumentWindow*> frames = ThreeNew();
    frames[0]->Document()->SetModified(false);
    prompts.exitAnswers = {1003};  // Cancel at Clipvane2
    EXPECT_FALSE(docs->RunExitPrompt());
    EXPECT_EQ(prompts.exitQuestions, QStringList{QStringLiteral("Clipvane2")});
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("Clipvane2"), QStringLiteral("Clipvane3")}));
}

TEST_F(DocsFixture, ExitPromptYesSavesAsJpegAndAFailedSaveStopsTheExit) {
    ThreeNew();
    prompts.exitAnswers = {1000, 1000};
    prompts.saveAnswers = {Path("one.jpg"), Path("nowhere/two.jpg")};
    EXPECT_FALSE(docs->RunExitPrompt());
    EXPECT_EQ(prompts.saveSuffixes, (QStringList{QStringLiteral("jpg"), QStringLiteral("jpg")}));
    EXPECT_TRUE(QFile::exists(Path("one.jpg")));
    EXPECT_EQ(prompts.errors.size(), 1);
    // The first was saved and closed; the second stays open and modified.
    const QStringList titles = Titles();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Clipvane2"), QStringLiteral("Clipvane3")}));
    EXPECT_TRUE(docs->Frames()[0]->Document()->IsModified());
}

TEST_F(DocsFixture, ExitPromptCancelInTheSaveDialogStops) {
    ThreeNew();
    prompts.exitAnswers = {1000};
    EXPECT_FALSE(docs->RunExitPrompt());
    EXPECT_EQ(Titles().size(), 3);
}

TEST_F(DocsFixture, ExitPromptAllNoLetsTheProgramClose) {
    ThreeNew();
    prompts.exitAnswers = {1001, 1001, 1001};
    EXPECT_TRUE(docs->RunExitPrompt());
    EXPECT_EQ(prompts.exitQuestions.size(), 3);
    EXPECT_TRUE(Titles().isEmpty());
}

// A failed Save As changes nothing the user sees: the tab's title, the
// document's path and the recent files stay as they were.
TEST_F(DocsFixture, FailedSaveAsLeavesTitlePathAndRecentFilesAlone) {
    DocumentWindow* fresh = docs->NewDocument();
    prompts.saveAnswers.push_back(Path("no/such/folder/x.png"));
    EXPECT_FALSE(docs->SaveAs(fresh));
    EXPECT_EQ(fresh->Document()->Title(), QStringLiteral("Clipvane1"));
    EXPECT_TRUE(fresh->Document()->PathName().isEmpty());
    EXPECT_FALSE(fresh->windowTitle().contains(QStringLiteral("x.png")));
    EXPECT_TRUE(recent.Entries().isEmpty());

    PixelImage image;
    image.Create(8, 6, 24);
    const QString original = Path("kept.bmp");
    ASSERT_NE(SaveImageFile(image, original.toStdString()), 0);
    DocumentWindow* opened = docs->OpenPath(original);
    ASSERT_NE(opened, nullptr);
    opened->Document()->SetModified(true);
    prompts.saveAnswers.push_back(Path("picture.ico"));  // no writer for .ico
    EXPECT_FALSE(docs->SaveAs(opened));
    EXPECT_EQ(opened->Document()->Title(), QStringLiteral("kept.bmp"));
    EXPECT_EQ(opened->Document()->PathName(), original);
    EXPECT_TRUE(opened->Document()->IsModified());
    EXPECT_EQ(recent.Entries(), QStringList{original});
    EXPECT_EQ(prompts.errors.size(), 2);
}

// "Yes" in the close prompt saves a document that has a file to that file,
// with no dialog; only a new document asks for a name.
TEST_F(DocsFixture, ClosePromptYesSavesToTheDocumentsOwnPath) {
    PixelImage image;
    image.Create(8, 6, 24);
    const QString path = Path("own.png");
    ASSERT_NE(SaveImageFile(image, path.toStdString()), 0);
    DocumentWindow* frame = docs->OpenPath(path);
    ASSERT_NE(frame, nullptr);
    uint8_t* pixel = frame->Document()->image.PixelAddress(0, 0);
    pixel[0] = 0, pixel[1] = 0, pixel[2] = 255;
    frame->Document()->SetModified(true);
    prompts.closeAnswers.push_back(UserPrompts::kYes);
    frame->close();
    EXPECT_TRUE(Titles().isEmpty());
    EXPECT_TRUE(prompts.saveProposals.isEmpty());
    PixelImage back;
    ASSERT_TRUE(LoadFromFile(path.toStdString(), back));
    EXPECT_EQ(back.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(DocsFixture, ClosePromptYesKeepsTheDocumentWhenSavingToItsPathFails) {
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    PixelImage image;
    image.Create(8, 6, 24);
    const QString path = Path("sub/gone.png");
    ASSERT_NE(SaveImageFile(image, path.toStdString()), 0);
    DocumentWindow* frame = docs->OpenPath(path);
    ASSERT_NE(frame, nullptr);
    frame->Document()->SetModified(true);
    ASSERT_TRUE(QDir(Path("sub")).removeRecursively());  // the save cannot land now
    prompts.closeAnswers.push_back(UserPrompts::kYes);
    frame->close();
    ASSERT_EQ(Titles(), QStringList{QStringLiteral("gone.png")});
    EXPECT_TRUE(frame->Document()->IsModified());
    EXPECT_EQ(frame->Document()->PathName(), path);
    EXPECT_TRUE(prompts.saveProposals.isEmpty());
    EXPECT_EQ(prompts.errors.size(), 1);
}

// An open asked for by another program reports through its result: no
// dialog, and a path of any length comes back shortened in the message.
TEST_F(DocsFixture, QuietOpenFailsWithAShortMessageAndNoDialog) {
    QString error;
    EXPECT_EQ(docs->OpenPath(Path("missing.png"), &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("missing.png"))) << error.toStdString();
    const QString junk = Path("junk.png");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("definitely not a picture");
    f.close();
    error.clear();
    EXPECT_EQ(docs->OpenPath(junk, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("junk.png"))) << error.toStdString();

    const QString huge =
        QStringLiteral("/tmp/") + QString(3 * 1024 * 1024, QLatin1Char('a')) + QStringLiteral("/x.png");
    error.clear();
    EXPECT_EQ(docs->OpenPath(huge, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_LT(error.size(), 400);
    EXPECT_TRUE(error.contains(QStringLiteral("/tmp/aaa")));
    EXPECT_TRUE(error.contains(QStringLiteral("/x.png")));
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_TRUE(docs->Frames().isEmpty());
}

// The message box of a local open shortens a long path too.
TEST_F(DocsFixture, OpenErrorsShortenLongPaths) {
    const QString huge = QStringLiteral("/tmp/") + QString(100000, QLatin1Char('b')) + QStringLiteral("/y.png");
    EXPECT_EQ(docs->OpenPath(huge), nullptr);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_LT(prompts.errors[0].size(), 400);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("/y.png")));
}

// A pipe, a folder or a device is refused at once instead of blocking the
// window until someone writes to the pipe.
TEST_F(DocsFixture, OnlyRegularFilesAreOpened) {
    const QString fifo = Path("pipe.png");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QString error;
    EXPECT_EQ(docs->OpenPath(fifo, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
    EXPECT_EQ(docs->OpenPath(dir.path(), &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << error.toStdString();
    EXPECT_EQ(docs->OpenPath(QStringLiteral("/dev/zero"), &error), nullptr);
    EXPECT_TRUE(docs->Frames().isEmpty());
    EXPECT_TRUE(recent.Entries().isEmpty());
}

// "PNG with editable annotations" chosen in Save As: the tab reopens with its
// objects, Save keeps the choice, the next Save As offers it first, and a
// plain Save As drops it. A damaged file opens with a note for the status bar.
TEST_F(DocsFixture, EditableSaveAsIsRememberedAndDamageIsReported) {
    DocumentWindow* frame = docs->NewDocument();
    ImageDocument* doc = frame->Document();
    auto shape = std::make_unique<ShapeObject>();
    SetObjectRect(*shape, Rect{10, 10, 60, 40});
    doc->objects.push_back(std::move(shape));
    prompts.saveAnswers.push_back(Path(QStringLiteral("notes.png")));
    prompts.editableAnswers.push_back(true);
    ASSERT_TRUE(docs->SaveAs(frame));
    EXPECT_TRUE(doc->SavesEditable());
    EXPECT_EQ(prompts.editableOffered, QList<bool>{false});
    doc->ObjectsEdited();
    ASSERT_TRUE(docs->Save(frame));  // no dialog: the same form again
    EXPECT_EQ(prompts.editableOffered.size(), 1);

    // Opened again (after the tab closed): the objects are there.
    frame->CloseWithoutPrompt();
    test::Settle();
    QStringList notes;
    QObject::connect(docs.get(), &DocumentManager::message, [&](const QString& text) { notes << text; });
    DocumentWindow* again = docs->OpenPath(Path(QStringLiteral("notes.png")));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Document()->objects.size(), 1u);
    EXPECT_TRUE(notes.isEmpty());
    prompts.saveAnswers.push_back(Path(QStringLiteral("flat.png")));
    ASSERT_TRUE(docs->SaveAs(again));
    EXPECT_EQ(prompts.editableOffered.back(), true);
    EXPECT_FALSE(again->Document()->SavesEditable());
    again->CloseWithoutPrompt();
    test::Settle();
    ASSERT_NE(docs->OpenPath(Path(QStringLiteral("flat.png"))), nullptr);
    EXPECT_TRUE(docs->Active()->Document()->objects.empty());

    // The last chunk byte before IEND's 12 bytes and the chunk CRC's 4, flipped.
    QFile file(Path(QStringLiteral("notes.png")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    bytes[bytes.size() - 17] = char(bytes[bytes.size() - 17] ^ 1);
    file.seek(0);
    file.write(bytes);
    file.close();
    DocumentWindow* damaged = docs->OpenPath(Path(QStringLiteral("notes.png")));
    ASSERT_NE(damaged, nullptr);
    EXPECT_TRUE(damaged->Document()->objects.empty());
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(
        notes[0].startsWith(QStringLiteral("Opened \"notes.png\" as a plain picture: its editable data is "
                                           "damaged: a chunk's CRC does not match its data.")))
        << notes[0].toStdString();
    EXPECT_TRUE(prompts.errors.isEmpty());
}

}  // namespace
}  // namespace clipvane
