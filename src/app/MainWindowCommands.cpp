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
    {kCmdToolMove, EditorTool::Move},   {kCmdToolSelect, EditorTool::Select},       {kCmdToolCrop, EditorTool::Crop},
    {kCmdToolZoom, EditorTool::Zoom},   {kCmdToolText, EditorTool::Text},           {kCmdToolLine, EditorTool::Line},
    {kCmdToolShape, EditorTool::Shape}, {kCmdToolHighlight, EditorTool::Highlight}, {kCmdToolArrow, EditorTool::Arrow},
    {kCmdToolStamp, EditorTool::Stamp},
};

// The object commands run in the editor view.
constexpr CommandId kObjectCommands[] = {kCmdObjectEditText,   kCmdObjectFlatten, kCmdObjectBringToFront,
                                         kCmdObjectSendToBack, kCmdObjectDelete,  kCmdDeleteObject};

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
    case kCmdCaptureFullScreen:
    case kCmdCaptureRegion:
    case kCmdCaptureWindow:
    case kCmdCaptureActive:
    case kCmdCaptureScroll:
    case kCmdCaptureFixedRect: return true;
    default: return false;
    }
}

CaptureMode ModeOf(unsigned id) {
    switch (id) {
    case kCmdCaptureRegion: return CaptureMode::Region;
    case kCmdCaptureWindow: return CaptureMode::WindowObject;
    case kCmdCaptureActive: return CaptureMode::ActiveWindow;
    case kCmdCaptureScroll: return CaptureMode::Scrolling;
    case kCmdCaptureFixedRect: return CaptureMode::FixedRect;
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
    for (unsigned id : {kCmdFileClose, kCmdFileSave, kCmdFileSaveAs}) enable(id, doc != nullptr);
    enable(kCmdEditUndo, doc && doc->CanUndo());
    enable(kCmdEditRedo, doc && doc->CanRedo());
    enable(kCmdEditCopy, hasImage);
    enable(kCmdEditCut, hasImage);
    enable(kCmdEditPaste, hasImage && ClipboardHasImage());
    for (unsigned id : kObjectCommands) enable(id, view && view->CanRunCommand(id));
    enable(kCmdZoomIn, view && view->CanZoomIn());
    enable(kCmdZoomOut, view && view->CanZoomOut());
    enable(kCmdZoomActual, view && view->CanZoomActual());
    for (const CommandInfo& info : CommandTable())
        if (IsEffectCommand(info.id)) enable(info.id, hasImage);
    for (const ToolCommand& t : kToolCommands) {
        enable(t.id, view != nullptr);
        check(t.id, view && view->Tools().CurrentTool() == t.tool);
    }
    check(kCmdViewToolBar, mainBar_ && !mainBar_->isHidden());
    check(kCmdViewStatusBar, statusBar() && !statusBar()->isHidden());
    check(kCmdTrayMode, trayMode_);
    check(kCmdEnableHotkey, capture_ && capture_->HotkeysEnabled());
    for (unsigned id : {kCmdCaptureSetting, kCmdDefineHotkey, kCmdEnableHotkey}) enable(id, capture_ != nullptr);
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
    if (id >= kCmdRecentFile1 && id <= kCmdRecentFile4) {
        const int index = int(id - kCmdRecentFile1);
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
    case kCmdFileNew:
        documents_->NewDocument();
        ShowToolPanel(int(EditorTool::Move));
        break;
    case kCmdFileOpen: documents_->Open(); break;
    case kCmdFileClose:
        if (frame) frame->close();
        break;
    case kCmdFileSave: documents_->Save(frame); break;
    case kCmdFileSaveAs: documents_->SaveAs(frame); break;
    case kCmdFilePrintSetup: PrintSetup(); break;
    case kCmdAppExit:
        exitCommand_ = true;
        close();
        exitCommand_ = false;
        break;
    case kCmdEditUndo:
        if (doc) doc->OnUndo();
        break;
    case kCmdEditRedo:
        if (doc) doc->OnRedo();
        break;
    case kCmdEditCopy:
        if (view) view->Copy();
        break;
    case kCmdEditCut:
        if (view) view->Cut();
        break;
    case kCmdEditPaste:
        if (view) view->Paste();
        break;
    case kCmdViewToolBar: mainBar_->setVisible(mainBar_->isHidden()); break;
    case kCmdViewStatusBar: statusBar()->setVisible(statusBar()->isHidden()); break;
    case kCmdZoomIn:
        if (view) view->ZoomIn();
        break;
    case kCmdZoomOut:
        if (view) view->ZoomOut();
        break;
    case kCmdZoomActual:
        if (view) view->ZoomActual();
        break;
    case kCmdCaptureSetting:
        if (capture_) capture_->EditSettings(this);
        break;
    case kCmdDefineHotkey:
        if (capture_) capture_->DefineHotkeys(this);
        break;
    case kCmdEnableHotkey:
        if (capture_) capture_->ToggleHotkeys();
        break;
    case kCmdTrayMode: SetTrayMode(!trayMode_); break;
    case kCmdShowHideMain: ToggleMainWindow(); break;
    case kCmdAppAbout: {
        AboutDialog about(this);
        about.exec();
        break;
    }
    case kCmdOnlineHelp:
    case kCmdHomepage: {
        const QString url = QString::fromLatin1(id == kCmdOnlineHelp ? kOnlineHelpUrl : kHomePageUrl);
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
    if (!view->RunEffectCommand(int(id), effectDialogs_.get()) && id == kCmdRedact)
        ReportMessage(QStringLiteral("Redact: draw a band with the Crop tool first"));
}

void MainWindow::PrintSetup() {
    QPrinter printer;
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

}  // namespace clipvane
