// The main frame on the offscreen platform: actions and the dispatcher,
// enabled states, status-bar texts, recent files and persisted settings.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QDockWidget>
#include <QFile>
#include <QHash>
#include <QKeySequence>
#include <QSet>
#include <QMdiArea>
#include <QTabBar>
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "ScriptedPrompts.h"
#include "app/DocumentWindow.h"
#include "app/CommandTable.h"
#include "app/DocumentManager.h"
#include "app/MainWindow.h"
#include "app/TrayIcon.h"
#include "settings/ProfileFile.h"
#include "document/ImageDocument.h"
#include "image/PixelLimit.h"
#include "imagefile/ImageFile.h"
#include "editor/view/EditorView.h"
#include "support/AnnotationBuilders.h"

namespace clipvane {
namespace {

using test::FrameFixture;

TEST_F(FrameFixture, EveryCommandHasOneActionAndUnknownIdsAreRefused) {
    MainWindow& f = Make();
    for (const CommandInfo& info : CommandTable()) {
        ASSERT_NE(f.Action(info.id), nullptr) << info.id;
        EXPECT_EQ(f.Action(info.id)->data().toUInt(), unsigned(info.id));
    }
    for (unsigned id : MainToolBarLayout()) {
        if (id != kSeparator) {
            EXPECT_FALSE(f.Action(id)->icon().isNull()) << id;
        }
    }
    EXPECT_FALSE(f.Dispatch(12345));
    EXPECT_FALSE(f.Dispatch(kCmdRecentFile1));  // no recent files yet
    EXPECT_EQ(f.MainToolBar()->iconSize(), QSize(32, 32));
    EXPECT_EQ(f.ToolsToolBar()->iconSize(), QSize(24, 24));
    EXPECT_EQ(f.ToolsToolBar()->orientation(), Qt::Vertical);
    EXPECT_EQ(f.ToolsToolBar()->windowTitle(), QStringLiteral("Tools"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Clipvane"));
    EXPECT_EQ(f.ParamBar()->windowTitle(), QStringLiteral("Param Setting"));
    // Document tabs with their own context menu.
    QTabBar* tabs = f.MdiArea()->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(FrameFixture, MenuTextsAreSpelledRight) {
    MainWindow& f = Make();
    EXPECT_EQ(f.Action(kCmdFlipHorizontal)->text(), QStringLiteral("Flip Horizontally"));
    EXPECT_EQ(f.Action(kCmdFlipVertical)->text(), QStringLiteral("Flip Vertically"));
    EXPECT_EQ(f.Action(kCmdZoomActual)->text(), QStringLiteral("&Actual"));
    // The other entries keep their own wording, without added ellipses.
    EXPECT_EQ(f.Action(kCmdAppAbout)->text(), QStringLiteral("&About..."));
    EXPECT_EQ(f.Action(kCmdCaptureFixedRect)->text(), QStringLiteral("Fixed Rectangle"));
    EXPECT_EQ(f.Action(kCmdResize)->text(), QStringLiteral("Resize..."));
    EXPECT_EQ(f.Action(kCmdBrightnessContrast)->text(), QStringLiteral("Brightness/Contrast"));
    EXPECT_EQ(f.Action(kCmdRgbValue)->text(), QStringLiteral("&RGB Value"));
    EXPECT_EQ(f.Action(kCmdNoisy)->text(), QStringLiteral("Noisy"));
    EXPECT_EQ(f.Action(kCmdGrid)->text(), QStringLiteral("3D Grid"));
    QStringList titles;
    for (QAction* menu : f.menuBar()->actions()) titles.append(menu->text());
    EXPECT_EQ(titles,
              (QStringList{"&File", "&Edit", "&View", "&Capture", "&Image", "F&ilter", "&Tools", "&Setting", "&Help"}));
}

TEST_F(FrameFixture, TabMenuHasItsOwnWordingAndRunsTheCommands) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    std::unique_ptr<QMenu> menu(f.CreateTabMenu(nullptr));
    QStringList texts;
    for (QAction* a : menu->actions()) texts.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"Save", "Save As", "-", "Close"}));
    f.ActiveDocument()->SetModified(false);
    menu->actions().back()->trigger();
    test::Settle();
    EXPECT_TRUE(f.Documents().Frames().isEmpty());
}

TEST_F(FrameFixture, StatusPanesStartEmptyAndFollowTheActiveView) {
    MainWindow& f = Make();
    EXPECT_TRUE(f.StatusPane(0)->text().startsWith(QStringLiteral("  Size: 0 x 0")));
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    EXPECT_EQ(f.StatusPane(0)->text(), QStringLiteral("  Size: 640 x 480"));
    EXPECT_EQ(f.StatusPane(1)->text(), QStringLiteral("Zoom: 100%"));
    ASSERT_TRUE(f.Dispatch(kCmdZoomIn));
    EXPECT_EQ(f.StatusPane(1)->text(), QStringLiteral("Zoom: 150%"));
    EXPECT_TRUE(Enabled(kCmdZoomActual));
    ASSERT_TRUE(f.Dispatch(kCmdZoomActual));
    EXPECT_FALSE(Enabled(kCmdZoomActual));
    EXPECT_FALSE(f.Dispatch(kCmdZoomActual));  // disabled: refused
}

TEST_F(FrameFixture, DocumentCommandsAreDisabledWithoutADocument) {
    Make();
    for (unsigned id : std::initializer_list<unsigned>{kCmdFileSave, kCmdFileSaveAs, kCmdFileClose, kCmdEditUndo,
                                                       kCmdEditRedo, kCmdZoomIn, kCmdInvert, kCmdBlur, kCmdToolCrop})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(kCmdFileNew));
    EXPECT_TRUE(Enabled(kCmdFileOpen));
}

TEST_F(FrameFixture, UndoAndRedoFollowTheHistory) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    EXPECT_FALSE(Enabled(kCmdEditUndo));
    ASSERT_TRUE(f.Dispatch(kCmdInvert));
    ImageDocument* doc = f.ActiveDocument();
    EXPECT_EQ(doc->image.PixelAddress(0, 0)[0], 0);  // white inverted
    EXPECT_TRUE(Enabled(kCmdEditUndo));
    EXPECT_FALSE(Enabled(kCmdEditRedo));
    ASSERT_TRUE(f.Dispatch(kCmdEditUndo));
    EXPECT_EQ(doc->image.PixelAddress(0, 0)[0], 255);
    EXPECT_FALSE(Enabled(kCmdEditUndo));
    EXPECT_TRUE(Enabled(kCmdEditRedo));
    ASSERT_TRUE(f.Dispatch(kCmdEditRedo));
    EXPECT_EQ(doc->image.PixelAddress(0, 0)[0], 0);
}

TEST_F(FrameFixture, ToolCommandsSwitchTheActiveViewsTool) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    EXPECT_TRUE(f.Action(kCmdToolMove)->isChecked());
    ASSERT_TRUE(f.Dispatch(kCmdToolCrop));
    EXPECT_EQ(f.ActiveView()->Tools().CurrentTool(), EditorTool::Crop);
    EXPECT_TRUE(f.Action(kCmdToolCrop)->isChecked());
    EXPECT_FALSE(f.Action(kCmdToolMove)->isChecked());
}

TEST_F(FrameFixture, ObjectCommandsRunThroughTheDispatcherWithASelection) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    EditorView* view = f.ActiveView();
    ImageDocument* doc = view->Document();
    doc->objects.push_back(test::MakeShape(10, 10, 50, 50));
    doc->objects.push_back(test::MakeShape(100, 100, 150, 150));
    for (unsigned id : {kCmdObjectEditText, kCmdObjectFlatten, kCmdObjectBringToFront, kCmdObjectSendToBack,
                        kCmdObjectDelete, kCmdDeleteObject}) {
        ASSERT_NE(f.Action(id), nullptr) << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }
    ASSERT_TRUE(f.Dispatch(kCmdToolSelect));
    view->Tools().Press(20, 20);
    view->Tools().Release(20, 20);
    EXPECT_TRUE(f.Action(kCmdDeleteObject)->isEnabled());  // refreshed by the selection change
    EXPECT_FALSE(Enabled(kCmdObjectEditText));             // a box, not a text
    ASSERT_TRUE(f.Dispatch(kCmdObjectBringToFront));
    EXPECT_EQ(ObjectRect(*doc->objects.back()), (Rect{10, 10, 50, 50}));
    ASSERT_TRUE(f.Dispatch(kCmdDeleteObject));
    EXPECT_EQ(doc->objects.size(), 1u);
    EXPECT_FALSE(f.Dispatch(kCmdObjectDelete));  // nothing selected now

    // The context menu's items reach the same dispatcher.
    view->Tools().Press(120, 120);
    view->Tools().Release(120, 120);
    std::vector<unsigned> finished;
    QObject::connect(&f, &MainWindow::commandFinished, [&](unsigned id) { finished.push_back(id); });
    std::unique_ptr<QMenu> menu(view->CreateObjectMenu(nullptr));
    for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("Flatten")) a->trigger();
    EXPECT_EQ(finished, std::vector<unsigned>{kCmdObjectFlatten});
    EXPECT_TRUE(doc->objects.empty());
}

TEST_F(FrameFixture, ProgressBarShowsDuringLongStepsAndRestoresThePane) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    f.StatusPane(2)->setText(QStringLiteral("before"));
    ASSERT_TRUE(f.Dispatch(kCmdBlur));
    EXPECT_EQ(f.StatusPane(2)->text(), QStringLiteral("before"));
}

TEST_F(FrameFixture, RecentFilesAreCappedAtFourAndKeptInConfig) {
    {
        MainWindow& f = Make();
        for (int i = 0; i < 6; ++i) {
            PixelImage image;
            image.Create(4, 4, 24);
            const QString path = dir.filePath(QStringLiteral("r%1.bmp").arg(i));
            ASSERT_NE(SaveImageFile(image, path.toStdString()), 0);
            ASSERT_TRUE(f.OpenFile(path));
        }
        EXPECT_EQ(f.RecentFiles().Entries().size(), 4);
        EXPECT_TRUE(f.RecentFiles().Entries().front().endsWith(QStringLiteral("r5.bmp")));
        EXPECT_NE(f.Action(kCmdRecentFile4), nullptr);
        for (DocumentWindow* c : f.Documents().Frames()) c->Document()->SetModified(false);
        ASSERT_TRUE(f.PrepareToClose());
        frame.reset();
    }
    ProfileFile profile(Config().toStdString());
    EXPECT_TRUE(QString::fromStdString(profile.GetString("Recent File List", "File1", "")).endsWith("r5.bmp"));
    EXPECT_TRUE(QString::fromStdString(profile.GetString("Recent File List", "File4", "")).endsWith("r2.bmp"));
    MainWindow& again = Make();
    EXPECT_EQ(again.RecentFiles().Entries().size(), 4);
    // A recent file that has gone is reported and dropped from the list.
    QFile::remove(again.RecentFiles().Entries()[1]);
    EXPECT_TRUE(again.Dispatch(kCmdRecentFile2));
    EXPECT_EQ(again.RecentFiles().Entries().size(), 3);
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST(RecentFileList, MovesReopenedFilesToTheFront) {
    RecentFileList list;
    for (const char* p : {"/a.png", "/b.png", "/c.png", "/d.png", "/e.png"}) list.Add(QString::fromLatin1(p));
    EXPECT_EQ(list.Entries(), (QStringList{"/e.png", "/d.png", "/c.png", "/b.png"}));
    list.Add(QStringLiteral("/c.png"));
    EXPECT_EQ(list.Entries(), (QStringList{"/c.png", "/e.png", "/d.png", "/b.png"}));
    list.Add(QString());
    EXPECT_EQ(list.Entries().size(), 4);
}

TEST_F(FrameFixture, DoubleClickOnTheTrayIconTogglesTheWindowOnce) {
    MainWindow& f = Make();
    f.SetTrayMode(true);
    f.show();
    QSystemTrayIcon* icon = f.Tray()->Icon();
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(f.isVisible());
    // A double click: the press shows the window, the second click leaves it.
    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(FrameFixture, TrayModeAndBarLayoutSurviveARestart) {
    {
        MainWindow& f = Make();
        EXPECT_FALSE(f.TrayMode());
        ASSERT_TRUE(f.Dispatch(kCmdTrayMode));
        EXPECT_TRUE(f.TrayMode());
        EXPECT_TRUE(f.Action(kCmdTrayMode)->isChecked());
        ASSERT_TRUE(f.Dispatch(kCmdViewToolBar));
        EXPECT_TRUE(f.MainToolBar()->isHidden());
        ASSERT_TRUE(f.PrepareToClose());
        frame.reset();
    }
    ProfileFile profile(Config().toStdString());
    EXPECT_TRUE(profile.GetBool("AppSet", "IsTrayMode", false));
    MainWindow& again = Make();
    EXPECT_TRUE(again.TrayMode());
    EXPECT_TRUE(again.MainToolBar()->isHidden());
    again.Dispatch(kCmdTrayMode);
    EXPECT_FALSE(again.TrayMode());
}

TEST_F(FrameFixture, ExitPromptStopsTheCloseAndKeepsTheConfigUntouched) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    f.Dispatch(kCmdTrayMode);
    prompts.exitAnswers = {1003};
    EXPECT_FALSE(f.PrepareToClose());
    EXPECT_FALSE(QFile::exists(Config()));
    EXPECT_EQ(f.Documents().Frames().size(), 1);
}

// Every key sequence in the window has one owner: a sequence two actions
// share (the document windows' own Close included) runs neither.
TEST_F(FrameFixture, NoTwoActionsShareAKeySequence) {
    MainWindow& f = Make();
    f.Dispatch(kCmdFileNew);
    f.Dispatch(kCmdFileNew);
    QHash<QString, QSet<QAction*>> owners;
    for (QAction* action : f.findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts())
            if (!key.isEmpty()) owners[key.toString()].insert(action);
    }
    EXPECT_FALSE(owners.isEmpty());
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        QStringList names;
        for (QAction* a : it.value()) names << a->text();
        EXPECT_EQ(it.value().size(), 1) << it.key().toStdString() << ": "
                                        << names.join(QStringLiteral(", ")).toStdString();
    }
    EXPECT_TRUE(f.Action(kCmdFileClose)->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+W"))));
}

// A closed "Param Setting" bar comes back from the View menu.
TEST_F(FrameFixture, ParamSettingBarIsListedInTheViewMenu) {
    MainWindow& f = Make();
    QMenu* view = nullptr;
    for (QAction* a : f.menuBar()->actions())
        if (a->text() == QStringLiteral("&View")) view = a->menu();
    ASSERT_NE(view, nullptr);
    QAction* toggle = nullptr;
    for (QAction* a : view->actions())
        if (a->text().remove(QLatin1Char('&')) == QStringLiteral("Param Setting")) toggle = a;
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isCheckable());
    f.ParamBar()->close();
    EXPECT_TRUE(f.ParamBar()->isHidden());
    EXPECT_FALSE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(f.ParamBar()->isHidden());
    EXPECT_TRUE(toggle->isChecked());
}

// The bar layout lives in a section of Clipvane's own; a layout that an
// older version kept under "GuiTabbedDemo" is still read.
TEST_F(FrameFixture, BarLayoutHasItsOwnSectionAndTheOldOneIsStillRead) {
    std::string state;
    {
        MainWindow& f = Make();
        ASSERT_TRUE(f.Dispatch(kCmdViewToolBar));
        ASSERT_TRUE(f.PrepareToClose());
        frame.reset();
        ProfileFile profile(Config().toStdString());
        EXPECT_FALSE(profile.HasKey("GuiTabbedDemo", "BarState"));
        EXPECT_FALSE(profile.HasKey("GuiTabbedDemo", "WindowGeometry"));
        state = profile.GetString("WindowLayout", "BarState", "");
        EXPECT_FALSE(state.empty());
        EXPECT_TRUE(profile.HasKey("WindowLayout", "WindowGeometry"));
    }
    // A config.ini written before: the layout under the old name only.
    QFile::remove(Config());
    {
        ProfileFile old(Config().toStdString());
        ASSERT_TRUE(old.WriteString("GuiTabbedDemo", "BarState", state.c_str()));
    }
    MainWindow& again = Make();
    EXPECT_TRUE(again.MainToolBar()->isHidden());
    ASSERT_TRUE(again.PrepareToClose());
    frame.reset();
    ProfileFile after(Config().toStdString());
    EXPECT_EQ(after.GetString("WindowLayout", "BarState", ""), state);
}

// The image size limit comes from config.ini, bounded, and a file over it is
// refused with its size and the limit instead of a general "cannot read".
TEST_F(FrameFixture, ImageSizeLimitIsReadFromTheConfigAndNamedWhenAFileIsRefused) {
    struct Restore {
        ~Restore() { SetMaxPixelCount(0); }
    } restore;
    // Both files are made before the limit is in force: it holds for every
    // image the process creates.
    PixelImage image;
    const QString big = dir.filePath(QStringLiteral("big.bmp"));
    const QString fits = dir.filePath(QStringLiteral("fits.bmp"));
    ASSERT_TRUE(image.Create(1025, 1024, 24));
    ASSERT_NE(SaveImageFile(image, big.toStdString()), 0);
    ASSERT_TRUE(image.Create(1024, 1024, 24));
    ASSERT_NE(SaveImageFile(image, fits.toStdString()), 0);
    {
        ProfileFile config(Config().toStdString());
        ASSERT_TRUE(config.WriteInt("AppSet", "MaxMegapixels", 1));
    }
    MainWindow& f = Make();
    EXPECT_EQ(MaxPixelCount(), uint64_t(1) << 20);
    QString error;
    EXPECT_FALSE(f.OpenFile(big, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("1025 x 1024"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("limit of 1.0 megapixels"))) << error.toStdString();
    EXPECT_TRUE(f.OpenFile(fits, &error)) << error.toStdString();
    ASSERT_TRUE(f.PrepareToClose());
    frame.reset();

    // A value past the top is held at 4 GiB of 32-bit pixels.
    {
        ProfileFile config(Config().toStdString());
        ASSERT_TRUE(config.WriteString("AppSet", "MaxMegapixels", "99999999999999999999"));
    }
    Make();
    EXPECT_EQ(MaxPixelCount(), uint64_t(1024) << 20);
}

}  // namespace
}  // namespace clipvane
