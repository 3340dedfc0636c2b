// The main frame's actions, menus and tool bars, and the one dispatcher that
// every command goes through.
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

namespace clipvane {

namespace {

struct ToolCommand {
    CommandId id;
    EditorTool tool;
};
constexpr ToolCommand kToolCommands[] = {
    {ID_TOOL_MOVE, EditorTool::Move},   {ID_TOOL_SELECT, EditorTool::Select},       {ID_TOOL_CROP, EditorTool::Crop},
    {ID_TOOL_ZOOM, EditorTool::Zoom},   {ID_TOOL_TEXT, EditorTool::Text},           {ID_TOOL_LINE, EditorTool::Line},
    {ID_TOOL_SHAPE, EditorTool::Shape}, {ID_TOOL_HIGHLIGHT, EditorTool::Highlight}, {ID_TOOL_ARROW, EditorTool::Arrow},
    {ID_TOOL_STAMP, EditorTool::Stamp},
};

// The object commands run in the editor view.
constexpr CommandId kObjectCommands[] = {ID_OBJ_EDIT_TEXT, ID_OBJ_FLATTEN, ID_OBJ_BRING_FRONT,
                                         ID_OBJ_SEND_BACK, ID_OBJ_DELETE,  ID_DELETE_OBJECT};

}  // namespace

void MainWindow::ConnectViewCommands(EditorView* view) {
    // The view's context menu runs through the dispatcher like every command.
    connect(view, &EditorView::commandRequested, this, &MainWindow::Dispatch, Qt::UniqueConnection);
    connect(view, &EditorView::selectionChanged, this, &MainWindow::UpdateCommandStates, Qt::UniqueConnection);
}

QList<QAction*> MainWindow::ToolActions() const {
    QList<QAction*> list;
    for (const ToolCommand& t : kToolCommands) list.append(actions_.value(t.id));
    return list;
}

namespace {

const ToolCommand* FindTool(unsigned id) {
    for (const ToolCommand& t : kToolCommands)
        if (t.id == id) return &t;
    return nullptr;
}

bool IsCaptureCommand(unsigned id) {
    switch (id) {
    case ID_CAPTURE_FULLSCREEN:
    case ID_CAPTURE_REGION:
    case ID_CAPTURE_WINDOW:
    case ID_CAPTURE_ACTIVE:
    case ID_CAPTURE_SCROLL:
    case ID_CAPTURE_FIXRECT: return true;
    default: return false;
    }
}

CaptureMode ModeOf(unsigned id) {
    switch (id) {
    case ID_CAPTURE_REGION: return CaptureMode::Region;
    case ID_CAPTURE_WINDOW: return CaptureMode::WindowObject;
    case ID_CAPTURE_ACTIVE: return CaptureMode::ActiveWindow;
    case ID_CAPTURE_SCROLL: return CaptureMode::Scrolling;
    case ID_CAPTURE_FIXRECT: return CaptureMode::FixedRect;
    default: return CaptureMode::FullScreen;
    }
}

}  // namespace

void MainWindow::CreateActions() {
    for (const CommandInfo& info : CommandTable()) {
        auto* action = new QAction(QString::fromLatin1(info.text), this);
        action->setObjectName(QStringLiteral("action%1").arg(unsigned(info.id)));
        action->setData(unsigned(info.id));
        action->setStatusTip(QString::fromLatin1(info.tip));
        action->setToolTip(QString::fromLatin1(info.tip));
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
    for (const ToolCommand& t : kToolCommands) tools->addAction(actions_.value(t.id));
    // Single-letter tool keys apply only while an editor view has the focus
    // (each view carries the tool actions), never while typing elsewhere.
    for (const ToolCommand& t : kToolCommands) actions_.value(t.id)->setShortcutContext(Qt::WidgetShortcut);
}

void MainWindow::CreateMenus() {
    for (const MenuSpec& spec : MenuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(spec.title));
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
        viewMenu_ = spec.entries.front() == ID_VIEW_TOOLBAR ? menu : viewMenu_;
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
        const unsigned id = ID_FILE_MRU_FILE1 + unsigned(i);
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

void MainWindow::UpdateCommandStates() {
    ImageDocument* doc = ActiveDocument();
    EditorView* view = ActiveView();
    const bool hasImage = doc && !doc->image.IsEmpty();
    auto enable = [this](unsigned id, bool on) {
        if (QAction* a = actions_.value(id)) a->setEnabled(on);
    };
    auto check = [this](unsigned id, bool on) {
        if (QAction* a = actions_.value(id)) a->setChecked(on);
    };
    for (unsigned id : {ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS}) enable(id, doc != nullptr);
    enable(ID_EDIT_UNDO, doc && doc->CanUndo());
    enable(ID_EDIT_REDO, doc && doc->CanRedo());
    enable(ID_EDIT_COPY, hasImage);
    enable(ID_EDIT_CUT, hasImage);
    enable(ID_EDIT_PASTE, hasImage && ClipboardHasImage());
    for (unsigned id : kObjectCommands) enable(id, view && view->CanRunCommand(id));
    enable(ID_ZOOM_IN, view && view->CanZoomIn());
    enable(ID_ZOOM_OUT, view && view->CanZoomOut());
    enable(ID_ZOOM_ACTUAL, view && view->CanZoomActual());
    for (const CommandInfo& info : CommandTable())
        if (IsEffectCommand(info.id)) enable(info.id, hasImage);
    for (const ToolCommand& t : kToolCommands) {
        enable(t.id, view != nullptr);
        check(t.id, view && view->Tools().CurrentTool() == t.tool);
    }
    check(ID_VIEW_TOOLBAR, mainBar_ && !mainBar_->isHidden());
    check(ID_VIEW_STATUS_BAR, statusBar() && !statusBar()->isHidden());
    check(ID_TRAY_MODE, trayMode_);
    check(ID_ENABLE_HOTKEY, capture_ && capture_->HotkeysEnabled());
    for (unsigned id : {ID_CAPTURE_SETTING, ID_DEFINE_HOTKEY, ID_ENABLE_HOTKEY}) enable(id, capture_ != nullptr);
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
    DocumentWindow* frame = ActiveFrame();
    ImageDocument* doc = ActiveDocument();
    EditorView* view = ActiveView();
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE4) {
        const int index = int(id - ID_FILE_MRU_FILE1);
        if (index < recent_.Entries().size()) {
            const QString path = recent_.Entries()[index];
            if (!OpenFile(path)) {
                recent_.Remove(path);
                recent_.Save(Profile());
                RebuildRecentMenu();
            }
        }
        return;
    }
    if (IsEffectCommand(id)) {
        RunEffectCommand(id);
        return;
    }
    if (const ToolCommand* t = FindTool(id)) {
        if (view) view->Tools().SetTool(t->tool);
        return;
    }
    if (IsCaptureCommand(id)) {
        if (capture_) capture_->Request(ModeOf(id));
        return;
    }
    if (EditorView::IsViewCommand(id)) {
        if (view) view->RunCommand(id);
        return;
    }
    switch (id) {
    case ID_FILE_NEW:
        documents_->NewDocument();
        ShowToolPanel(int(EditorTool::Move));
        break;
    case ID_FILE_OPEN: documents_->Open(); break;
    case ID_FILE_CLOSE:
        if (frame) frame->close();
        break;
    case ID_FILE_SAVE: documents_->Save(frame); break;
    case ID_FILE_SAVE_AS: documents_->SaveAs(frame); break;
    case ID_FILE_PRINT_SETUP: PrintSetup(); break;
    case ID_APP_EXIT:
        exitCommand_ = true;
        close();
        exitCommand_ = false;
        break;
    case ID_EDIT_UNDO:
        if (doc) doc->OnUndo();
        break;
    case ID_EDIT_REDO:
        if (doc) doc->OnRedo();
        break;
    case ID_EDIT_COPY:
        if (view) view->Copy();
        break;
    case ID_EDIT_CUT:
        if (view) view->Cut();
        break;
    case ID_EDIT_PASTE:
        if (view) view->Paste();
        break;
    case ID_VIEW_TOOLBAR: mainBar_->setVisible(mainBar_->isHidden()); break;
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(statusBar()->isHidden()); break;
    case ID_ZOOM_IN:
        if (view) view->ZoomIn();
        break;
    case ID_ZOOM_OUT:
        if (view) view->ZoomOut();
        break;
    case ID_ZOOM_ACTUAL:
        if (view) view->ZoomActual();
        break;
    case ID_CAPTURE_SETTING:
        if (capture_) capture_->EditSettings(this);
        break;
    case ID_DEFINE_HOTKEY:
        if (capture_) capture_->DefineHotkeys(this);
        break;
    case ID_ENABLE_HOTKEY:
        if (capture_) capture_->ToggleHotkeys();
        break;
    case ID_TRAY_MODE: SetTrayMode(!trayMode_); break;
    case ID_SHOW_HIDE_MAIN: ToggleMainWindow(); break;
    case ID_APP_ABOUT: {
        AboutDialog about(this);
        about.exec();
        break;
    }
    case ID_ONLINE_HELP:
    case ID_HOMEPAGE: {
        const QString url = QString::fromLatin1(id == ID_ONLINE_HELP ? kOnlineHelpUrl : kHomePageUrl);
        if (!OpenInBrowser(url))
            prompts_->ShowError(this, QStringLiteral("Could not open %1: no web browser is set up.").arg(url));
        break;
    }
    default: break;
    }
}

void MainWindow::RunEffectCommand(unsigned id) {
    ImageDocument* doc = ActiveDocument();
    if (!doc) return;
    // The view knows the Crop tool's band, which the commands that keep the
    // image's size work on.
    EditorView* view = ActiveView();
    if (!view) {
        doc->OnEffectCommand(int(id), effectDialogs_.get());
        return;
    }
    if (!view->RunEffectCommand(int(id), effectDialogs_.get()) && id == ID_FILTER_REDACT)
        ReportMessage(QStringLiteral("Redact: draw a band with the Crop tool first"));
}

void MainWindow::PrintSetup() {
    QPrinter printer;
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

}  // namespace clipvane
