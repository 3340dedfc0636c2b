// The main frame's actions, menus and tool bars built from the command
// table, the one dispatcher that every command goes through, and the
// handlers the table names.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMdiArea>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>

#include "app/AppIcon.h"
#include "app/DocumentWindow.h"
#include "app/CommandTable.h"
#include "app/DocumentManager.h"
#include "app/MainWindow.h"
#include "app/ProductLinks.h"
#include "app/UserPrompts.h"
#include "app/WebBrowser.h"
#include "capture/CaptureDriver.h"
#include "document/Clipboard.h"
#include "document/ImageDocument.h"
#include "app/AboutDialog.h"
#include "editor/dialogs/WidgetEffectDialogs.h"
#include "editor/view/EditorView.h"
#include "image/effects/EffectRegistry.h"

namespace clipvane {

void MainWindow::ConnectViewCommands(EditorView* view) {
    // The view's context menu runs through the dispatcher like every command.
    connect(view, &EditorView::commandRequested, this, &MainWindow::Dispatch, Qt::UniqueConnection);
    connect(view, &EditorView::selectionChanged, this, &MainWindow::UpdateCommandStates, Qt::UniqueConnection);
}

QList<QAction*> MainWindow::ToolActions() const {
    QList<QAction*> list;
    for (const CommandInfo& info : CommandTable())
        if (info.check == CommandCheck::Tool) list.append(actions_.value(info.id));
    return list;
}

void MainWindow::CreateActions() {
    for (const CommandInfo& info : CommandTable()) {
        auto* action = new QAction(info.Text(), this);
        action->setObjectName(QStringLiteral("action%1").arg(info.id));
        action->setData(info.id);
        action->setStatusTip(info.Tip());
        action->setToolTip(info.Tip());
        action->setShortcuts(info.keys);
        action->setCheckable(info.checkable);
        const QIcon icon = CommandIcon(info.id);
        if (!icon.isNull()) action->setIcon(icon);
        const unsigned id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
        actions_.insert(id, action);
        addAction(action);  // shortcuts work while the menu bar is hidden
    }
    // Paste follows what the clipboard holds.
    if (QClipboard* clipboard = QApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &MainWindow::UpdateCommandStates);
    auto* tools = new QActionGroup(this);
    // Single-letter tool keys apply only while an editor view has the focus
    // (each view carries the tool actions), never while typing elsewhere.
    for (QAction* tool : ToolActions()) {
        tools->addAction(tool);
        tool->setShortcutContext(Qt::WidgetShortcut);
    }
}

void MainWindow::CreateMenus() {
    for (const MenuSpec& spec : MenuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(QCoreApplication::translate(kCommandTextContext, spec.title));
        for (unsigned id : spec.entries) {
            if (id == kSeparator) {
                menu->addSeparator();
            } else if (id == kRecentFilesSlot) {
                recentMenuAnchor_ = menu;
                recentSeparator_ = menu->addSeparator();
                recentSeparator_->setVisible(false);
            } else {
                menu->addAction(actions_.value(id));
            }
        }
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommandStates);
        viewMenu_ = spec.entries.front() == kCmdViewToolBar ? menu : viewMenu_;
    }
    RebuildRecentMenu();
}

void MainWindow::CreateToolBars() {
    mainBar_ = new QToolBar(QStringLiteral("Main Toolbar"), this);
    mainBar_->setObjectName(QStringLiteral("MainToolBar"));
    mainBar_->setIconSize(QSize(32, 32));
    for (unsigned id : MainToolBarLayout())
        id == kSeparator ? (void)mainBar_->addSeparator() : mainBar_->addAction(actions_.value(id));
    addToolBar(Qt::TopToolBarArea, mainBar_);

    toolsBar_ = new QToolBar(QStringLiteral("Tools"), this);
    toolsBar_->setObjectName(QStringLiteral("ToolsToolBar"));
    toolsBar_->setIconSize(QSize(24, 24));
    toolsBar_->setOrientation(Qt::Vertical);
    toolsBar_->setAllowedAreas(Qt::LeftToolBarArea | Qt::RightToolBarArea);
    for (unsigned id : ToolsToolBarLayout())
        id == kSeparator ? (void)toolsBar_->addSeparator() : toolsBar_->addAction(actions_.value(id));
    addToolBar(Qt::LeftToolBarArea, toolsBar_);

    // View / Main Toolbar and Status Bar follow the bars' visibility.
    connect(mainBar_, &QToolBar::visibilityChanged, this, [this](bool) { UpdateCommandStates(); });
}

void MainWindow::RebuildRecentMenu() {
    if (!recentMenuAnchor_) return;
    for (QAction* a : recentActions_) {
        recentMenuAnchor_->removeAction(a);
        actions_.remove(a->data().toUInt());
        a->deleteLater();
    }
    recentActions_.clear();
    const QStringList& entries = recent_.Entries();
    for (int i = 0; i < entries.size(); ++i) {
        const unsigned id = kCmdRecentFile1 + unsigned(i);
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(entries[i])), this);
        action->setData(id);
        action->setObjectName(QStringLiteral("action%1").arg(id));
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
        recentMenuAnchor_->insertAction(recentSeparator_, action);
        recentActions_.append(action);
        actions_.insert(id, action);
    }
    recentSeparator_->setVisible(false);
}

bool MainWindow::CommandEnabled(const CommandInfo& info) const {
    ImageDocument* doc = ActiveDocument();
    EditorView* view = ActiveView();
    const bool hasImage = doc && !doc->image.IsEmpty();
    switch (info.enable) {
    case CommandEnable::Always: return true;
    case CommandEnable::Document: return doc != nullptr;
    case CommandEnable::Image: return hasImage;
    case CommandEnable::View: return view != nullptr;
    case CommandEnable::ViewCommand: return view && view->CanRunCommand(info.id);
    case CommandEnable::Undo: return doc && doc->CanUndo();
    case CommandEnable::Redo: return doc && doc->CanRedo();
    case CommandEnable::Paste: return hasImage && ClipboardHasImage();
    case CommandEnable::ZoomIn: return view && view->CanZoomIn();
    case CommandEnable::ZoomOut: return view && view->CanZoomOut();
    case CommandEnable::ZoomActual: return view && view->CanZoomActual();
    case CommandEnable::Capture: return capture_ != nullptr;
    }
    return true;
}

bool MainWindow::CommandChecked(const CommandInfo& info) const {
    switch (info.check) {
    case CommandCheck::None: return false;
    case CommandCheck::MainToolBar: return mainBar_ && !mainBar_->isHidden();
    case CommandCheck::StatusBar: return statusBar() && !statusBar()->isHidden();
    case CommandCheck::TrayMode: return trayMode_;
    case CommandCheck::Hotkeys: return capture_ && capture_->HotkeysEnabled();
    case CommandCheck::Tool: {
        EditorView* view = ActiveView();
        return view && view->Tools().CurrentTool() == EditorTool(info.arg);
    }
    }
    return false;
}

void MainWindow::UpdateCommandStates() {
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = actions_.value(info.id);
        if (!action) continue;
        action->setEnabled(CommandEnabled(info));
        if (info.checkable) action->setChecked(CommandChecked(info));
    }
}

bool MainWindow::CanRun(unsigned id) {
    QAction* action = actions_.value(id);
    if (!action) return false;
    UpdateCommandStates();
    return action->isEnabled();
}

bool MainWindow::Dispatch(unsigned id) {
    QAction* action = actions_.value(id);
    if (!action) return false;
    UpdateCommandStates();
    if (!action->isEnabled()) return false;
    if (running_ || WorkRunning()) {
        // After the command or the document work under way, in order.
        pending_.push_back(id);
        return true;
    }
    running_ = true;
    Run(id);
    while (!pending_.empty()) {
        const unsigned next = pending_.front();
        pending_.pop_front();
        Run(next);
    }
    running_ = false;
    UpdateCommandStates();
    emit commandFinished(id);
    return true;
}

void MainWindow::RunPending() {
    if (running_ || WorkRunning() || pending_.empty()) return;
    const unsigned next = pending_.front();
    pending_.pop_front();
    Dispatch(next);  // runs the rest of the queue after it
}

void MainWindow::Run(unsigned id) {
    if (id >= kCmdRecentFile1 && id <= kCmdRecentFile4) {
        OpenRecent(int(id - kCmdRecentFile1));
        return;
    }
    if (const CommandInfo* info = FindCommand(id); info && info->handler) (this->*info->handler)(*info);
}

void MainWindow::OpenRecent(int index) {
    if (index >= recent_.Entries().size()) return;
    const QString path = recent_.Entries()[index];
    if (!OpenFile(path)) {
        recent_.Remove(path);
        recent_.Save(Profile());
        RebuildRecentMenu();
    }
}

// ---- command handlers (named by the command table) ------------------------------

void MainWindow::FileNew(const CommandInfo&) {
    documents_->NewDocument();
    ShowToolPanel(int(EditorTool::Move));
}

void MainWindow::FileOpen(const CommandInfo&) { documents_->Open(); }

void MainWindow::FileClose(const CommandInfo&) {
    if (DocumentWindow* frame = ActiveFrame()) frame->close();
}

void MainWindow::FileSave(const CommandInfo&) { documents_->Save(ActiveFrame()); }
void MainWindow::FileSaveAs(const CommandInfo&) { documents_->SaveAs(ActiveFrame()); }

void MainWindow::AppExit(const CommandInfo&) {
    exitCommand_ = true;
    close();
    exitCommand_ = false;
}

void MainWindow::EditUndo(const CommandInfo&) {
    if (ImageDocument* doc = ActiveDocument()) doc->OnUndo();
}

void MainWindow::EditRedo(const CommandInfo&) {
    if (ImageDocument* doc = ActiveDocument()) doc->OnRedo();
}

void MainWindow::EditCut(const CommandInfo&) {
    if (EditorView* view = ActiveView()) view->Cut();
}

void MainWindow::EditCopy(const CommandInfo&) {
    if (EditorView* view = ActiveView()) view->Copy();
}

void MainWindow::EditPaste(const CommandInfo&) {
    if (EditorView* view = ActiveView()) view->Paste();
}

void MainWindow::ToggleToolBar(const CommandInfo&) { mainBar_->setVisible(mainBar_->isHidden()); }
void MainWindow::ToggleStatusBar(const CommandInfo&) { statusBar()->setVisible(statusBar()->isHidden()); }

void MainWindow::ZoomIn(const CommandInfo&) {
    if (EditorView* view = ActiveView()) view->ZoomIn();
}

void MainWindow::ZoomOut(const CommandInfo&) {
    if (EditorView* view = ActiveView()) view->ZoomOut();
}

void MainWindow::ZoomActual(const CommandInfo&) {
    if (EditorView* view = ActiveView()) view->ZoomActual();
}

void MainWindow::CaptureCommand(const CommandInfo& info) {
    if (capture_) capture_->Request(CaptureMode(info.arg));
}

void MainWindow::CaptureSettings(const CommandInfo&) {
    if (capture_) capture_->EditSettings(this);
}

void MainWindow::DefineHotkeys(const CommandInfo&) {
    if (capture_) capture_->DefineHotkeys(this);
}

void MainWindow::ToggleHotkeys(const CommandInfo&) {
    if (capture_) capture_->ToggleHotkeys();
}

void MainWindow::ToggleTrayMode(const CommandInfo&) { SetTrayMode(!trayMode_); }
void MainWindow::ShowHideMain(const CommandInfo&) { ToggleMainWindow(); }

void MainWindow::About(const CommandInfo&) {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::OpenLink(const CommandInfo& info) {
    // arg 0: the online help; 1: the home page.
    const QString url = QString::fromLatin1(info.arg == 0 ? kOnlineHelpUrl : kHomePageUrl);
    if (!OpenInBrowser(url))
        prompts_->ShowError(this, QStringLiteral("Could not open %1: no web browser is set up.").arg(url));
}

void MainWindow::SelectTool(const CommandInfo& info) {
    if (EditorView* view = ActiveView()) view->Tools().SetTool(EditorTool(info.arg));
}

void MainWindow::ViewCommand(const CommandInfo& info) {
    if (EditorView* view = ActiveView()) view->RunCommand(info.id);
}

void MainWindow::EffectCommand(const CommandInfo& info) {
    ImageDocument* doc = ActiveDocument();
    if (!doc) return;
    const int id = int(info.id);
    // The view knows the Crop tool's band, which the commands that keep the
    // image's size work on.
    EditorView* view = ActiveView();
    if (!view) {
        doc->OnEffectCommand(id, effectDialogs_.get());
        return;
    }
    const EffectEntry* entry = FindEffect(id);
    if (!view->RunEffectCommand(id, effectDialogs_.get()) && entry && entry->dialog == EffectDialog::Band)
        ReportMessage(tr("%1: draw a band with the Crop tool first").arg(info.Text().remove(QLatin1Char('&'))));
}

void MainWindow::PrintSetup(const CommandInfo&) {
    QPrinter printer;
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

}  // namespace clipvane
