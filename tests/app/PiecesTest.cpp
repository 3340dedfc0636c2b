// Smaller pieces of the application: the status-bar progress, the D-Bus
// object's answers, where config.ini lives.
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "ScriptedPrompts.h"
#include "app/DocumentWindow.h"
#include "app/ConfigPath.h"
#include "app/DocumentManager.h"
#include "app/MainWindow.h"
#include "app/StatusBarProgress.h"
#include "app/RemoteControl.h"
#include "app/UserPrompts.h"
#include "app/WebBrowser.h"

namespace clipvane {
namespace {

TEST(StatusBarProgress, ShowsProgressAndGivesThePaneItsTextBack) {
    QWidget bar;
    auto* pane = new QLabel(QStringLiteral("Ready"), &bar);
    auto* progress = new QProgressBar(&bar);
    progress->hide();
    {
        StatusBarProgress reporter(pane, progress);
        EXPECT_TRUE(progress->isVisibleTo(&bar));
        EXPECT_EQ(pane->text(), QString());
        reporter.SetPosition(30);
        EXPECT_EQ(progress->value(), 30);
        EXPECT_EQ(reporter.Position(), 30);
        reporter.SetPosition(100);
        EXPECT_EQ(progress->value(), 100);
    }
    EXPECT_FALSE(progress->isVisibleTo(&bar));
    EXPECT_EQ(pane->text(), QStringLiteral("Ready"));
}

TEST(QtUserPrompts, ANameTypedWithoutExtensionTakesTheChosenFileType) {
    EXPECT_EQ(FilterSuffix(QStringLiteral("JPEG (*.jpg *.jpeg)")), QStringLiteral("jpg"));
    EXPECT_EQ(FilterSuffix(QStringLiteral("All Files (*)")), QString());
    QTemporaryDir dir;
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (types) {
            // The user picks JPEG in the type list, then types a bare name.
            const int jpeg = types->findText(QStringLiteral("JPEG"), Qt::MatchStartsWith);
            types->setCurrentIndex(jpeg);
            emit types->textActivated(types->itemText(jpeg));
            driven = true;
        }
        dialog->selectFile(QStringLiteral("shot"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtUserPrompts prompts;
    const QString path = prompts.SavePath(nullptr, dir.path() + QStringLiteral("/Clipvane1"), QStringLiteral("png"));
    ASSERT_TRUE(driven);
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("shot.jpg"));
}

TEST(RemoteControl, AnswersForCommandsAndTheActiveDocument) {
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    MainWindow::Options o;
    o.configPath = dir.filePath(QStringLiteral("config.ini"));
    o.prompts = &prompts;
    o.withCaptureDriver = false;
    MainWindow frame(o);
    RemoteControl remote(frame);
    EXPECT_EQ(remote.ActiveDocumentInfo(), QString());
    EXPECT_FALSE(remote.Command(4242));          // unknown
    EXPECT_FALSE(remote.Command(kCmdEditUndo));  // disabled
    EXPECT_TRUE(remote.Command(kCmdFileNew));
    QCoreApplication::processEvents();  // the command runs after the reply
    EXPECT_EQ(remote.ActiveDocumentInfo(),
              QStringLiteral("title=Clipvane1;size=640x480;modified=1;undo=0;redo=0;objects=0"));
    EXPECT_FALSE(remote.Open(dir.filePath(QStringLiteral("missing.png"))));
    // A remote call answers through its result and the status bar, never a
    // message box that would wait on the desktop.
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_TRUE(frame.statusBar()->currentMessage().contains(QStringLiteral("missing.png")));
    const QString huge = dir.filePath(QString(4 * 1024 * 1024, QLatin1Char('z')) + QStringLiteral(".png"));
    EXPECT_FALSE(remote.Open(huge));
    EXPECT_FALSE(remote.Open(huge));
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_LT(frame.statusBar()->currentMessage().size(), 400);
    for (DocumentWindow* f : frame.Documents().Frames()) f->CloseWithoutPrompt();
    test::Settle();
}

// A writable program folder (a build tree) gets no config.ini by itself;
// only one already there makes the portable mode.
TEST(ConfigPath, OverrideThenExistingFileBesideTheProgram) {
    QTemporaryDir dir, home;
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    EXPECT_EQ(ResolveConfigPath(dir.filePath(QStringLiteral("x/my.ini")), dir.path()),
              dir.filePath(QStringLiteral("x/my.ini")));
    EXPECT_EQ(ResolveConfigPath(QString(), dir.path()),
              QDir(home.path()).filePath(QStringLiteral("clipvane/config.ini")));
    QFile beside(QDir(dir.path()).filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(ResolveConfigPath(QString(), dir.path()), beside.fileName());
    qputenv("XDG_CONFIG_HOME", oldHome);
}

// The Open dialog lists every type Clipvane reads under its first filter;
// Save As offers every type it writes, TGA included.
TEST(FileFilters, OpenListsEveryReadableTypeAndSaveOffersTga) {
    const QStringList open = OpenFilter().split(QStringLiteral(";;"));
    ASSERT_FALSE(open.isEmpty());
    EXPECT_TRUE(open.front().startsWith(QStringLiteral("All images (")));
    for (const char* ext : {"bmp", "jpg", "jpeg", "gif", "png", "tif", "tiff", "pcx", "tga", "psd", "ico", "xpm"})
        EXPECT_TRUE(open.front().contains(QStringLiteral("*.%1 ").arg(QLatin1String(ext))) ||
                    open.front().contains(QStringLiteral("*.%1)").arg(QLatin1String(ext))))
            << ext;
    EXPECT_EQ(open.back(), QStringLiteral("All Files (*)"));
    const QStringList save = SaveFilter().split(QStringLiteral(";;"));
    QStringList suffixes;
    for (const QString& filter : save) suffixes << FilterSuffix(filter);
    EXPECT_TRUE(suffixes.contains(QStringLiteral("tga")));
    for (const QString& s : suffixes)
        EXPECT_TRUE(s == QStringLiteral("bmp") || s == QStringLiteral("jpg") || s == QStringLiteral("png") ||
                    s == QStringLiteral("gif") || s == QStringLiteral("tif") || s == QStringLiteral("pcx") ||
                    s == QStringLiteral("tga"))
            << s.toStdString();
}

// Messages stay short whatever they quote: a path of megabytes is cut in its
// middle before any widget lays it out, and so are endless lists of lines.
TEST(Messages, LongPathsAndLinesAreCutInTheMiddle) {
    EXPECT_EQ(ElidePath(QStringLiteral("/tmp/a.png")), QStringLiteral("/tmp/a.png"));
    const QString huge =
        QStringLiteral("/home/") + QString(5 * 1024 * 1024, QLatin1Char('q')) + QStringLiteral("/end.png");
    const QString cut = ElidePath(huge);
    EXPECT_LE(cut.size(), 160);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("/home/qq")));
    EXPECT_TRUE(cut.endsWith(QStringLiteral("qq/end.png")));
    EXPECT_TRUE(cut.contains(QStringLiteral("...")));

    const QString text = QStringLiteral("Could not save \"") + huge + QStringLiteral("\".\n\nPermission denied.");
    const QString shown = ShortenMessage(text);
    EXPECT_LT(shown.size(), 400);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\n\nPermission denied.")));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Could not save \"/home/")));
    EXPECT_EQ(ShortenMessage(QStringLiteral("one\ntwo")), QStringLiteral("one\ntwo"));
    QString many;
    for (int i = 0; i < 100000; ++i) many += QStringLiteral("line\n");
    EXPECT_LT(ShortenMessage(many).count(QLatin1Char('\n')), 50);
}

// A browser opener that fails (xdg-open with no browser set up ends with an
// error) is a failure, not the success of having started it; one that keeps
// running has handed the page over.
TEST(WebBrowser, TheOpenersExitStatusDecides) {
    QTemporaryDir bin;
    const QString opener = bin.filePath(QStringLiteral("xdg-open"));
    auto script = [&](const char* body) {
        QFile f(opener);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("#!/bin/sh\n") + body + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ":" + oldPath);
    script("exit 3");
    EXPECT_FALSE(OpenInBrowser(QStringLiteral("https://clipvane.org/help")));
    script("echo \"$1\" > \"$(dirname \"$0\")/asked\"; exit 0");
    EXPECT_TRUE(OpenInBrowser(QStringLiteral("https://clipvane.org/help")));
    QFile asked(bin.filePath(QStringLiteral("asked")));
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_EQ(asked.readAll().trimmed(), QByteArray("https://clipvane.org/help"));
    script("exec sleep 5");
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(OpenInBrowser(QStringLiteral("https://clipvane.org/"), 300));
    EXPECT_LT(clock.elapsed(), 3000);
    qputenv("PATH", oldPath);
}

}  // namespace
}  // namespace clipvane

namespace clipvane {
namespace {

TEST(MainWindow, GoesAwayCleanlyWithDocumentsStillOpen) {
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    MainWindow::Options o;
    o.configPath = dir.filePath(QStringLiteral("config.ini"));
    o.prompts = &prompts;
    o.withCaptureDriver = false;
    auto frame = std::make_unique<MainWindow>(o);
    frame->Dispatch(kCmdFileNew);
    frame->Dispatch(kCmdFileNew);
    frame->Dispatch(kCmdToolCrop);
    frame.reset();
    test::Settle();
    EXPECT_TRUE(prompts.exitQuestions.isEmpty());
}

}  // namespace
}  // namespace clipvane
