// Smaller pieces of the application: the status-bar progress, the D-Bus
// object's answers, where config.ini lives.
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
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
    EXPECT_FALSE(remote.Command(ID_EDIT_UNDO));  // disabled
    EXPECT_TRUE(remote.Command(ID_FILE_NEW));
    QCoreApplication::processEvents();  // the command runs after the reply
    EXPECT_EQ(remote.ActiveDocumentInfo(), QStringLiteral("title=Clipvane1;size=640x480;modified=1;undo=0;redo=0"));
    EXPECT_FALSE(remote.Open(dir.filePath(QStringLiteral("missing.png"))));
    EXPECT_EQ(prompts.errors.size(), 1);
    for (DocumentWindow* f : frame.Documents().Frames()) f->CloseWithoutPrompt();
    test::Settle();
}

TEST(ConfigPath, OverrideThenBesideTheProgram) {
    QTemporaryDir dir;
    EXPECT_EQ(ResolveConfigPath(dir.filePath(QStringLiteral("x/my.ini")), dir.path()),
              dir.filePath(QStringLiteral("x/my.ini")));
    EXPECT_EQ(ResolveConfigPath(QString(), dir.path()), QDir(dir.path()).filePath(QStringLiteral("config.ini")));
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
    frame->Dispatch(ID_FILE_NEW);
    frame->Dispatch(ID_FILE_NEW);
    frame->Dispatch(ID_TOOL_CROP);
    frame.reset();
    test::Settle();
    EXPECT_TRUE(prompts.exitQuestions.isEmpty());
}

}  // namespace
}  // namespace clipvane
