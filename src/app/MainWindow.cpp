#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/AppIcon.h"
#include "app/DocumentWindow.h"
#include "app/CommandTable.h"
#include "app/DocumentManager.h"
#include "app/StatusBarProgress.h"
#include "app/TrayIcon.h"
#include "base/TraceLog.h"
#include "app/UserPrompts.h"
#include "app/WorkInputGate.h"
#include "capture/CaptureDriver.h"
#include "capture/DesktopPlatform.h"
#include "document/ImageDocument.h"
#include "editor/dialogs/WidgetEffectDialogs.h"
#include "editor/panels/ParamBar.h"
#include "editor/view/EditorView.h"
#include "image/PixelLimit.h"

namespace clipvane {

namespace {
// "MaxMegapixels" in [AppSet]: the image size limit in megapixels (2^20
// pixels); at most 1024, which is 4 GiB at 32 bits per pixel.
constexpr int kDefaultMaxMegapixels = 256;
constexpr int kMaxMaxMegapixels = 1024;
// Section and keys of the saved bar layout. Versions before this one kept it
// under kOldLayoutSection, which is still read when the own section is empty.
constexpr const char* kLayoutSection = "WindowLayout";
constexpr const char* kOldLayoutSection = "GuiTabbedDemo";
constexpr const char* kStateKey = "BarState";
constexpr const char* kGeometryKey = "WindowGeometry";
constexpr int kLayoutVersion = 1;
}  // namespace

MainWindow::MainWindow(const Options& options, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Clipvane"));
    setWindowIcon(ApplicationIcon());
    setObjectName(QStringLiteral("MainWindow"));
    resize(1024, 720);
    prompts_ = options.prompts;
    if (!prompts_) {
        ownPrompts_ = std::make_unique<QtUserPrompts>();
        prompts_ = ownPrompts_.get();
    }
    effectDialogs_ = std::make_unique<WidgetEffectDialogs>(this);

    if (options.withCaptureDriver) {
        capture_ = new CaptureDriver(*this, options.platform ? options.platform() : CreateDesktopPlatform(), this);
        capture_->LoadSettings(options.configPath, true);
        trayMode_ = capture_->Settings().isTrayMode;
    } else {
        ownProfile_ = std::make_unique<ProfileFile>(options.configPath.toStdString());
        trayMode_ = ownProfile_->GetBool("AppSet", "IsTrayMode", false);
    }
    recent_.Load(Profile());
    // The largest image that any load, conversion or effect may make; a
    // larger one is refused with its size before anything is allocated.
    SetMaxPixelCount(
        uint64_t(Profile().GetClampedInt("AppSet", "MaxMegapixels", kDefaultMaxMegapixels, 1, kMaxMaxMegapixels))
        << 20);

    CreateActions();
    CreateTabs();
    CreateMenus();
    CreateStatusBar();
    CreateToolBars();
    CreateParamBar();
    RestoreLayout();

    tray_ = std::make_unique<TrayIcon>(*this);
    if (trayMode_) tray_->Show();
    if (capture_) {
        if (capture_->Settings().isEnableHotkey) capture_->RegisterHotkeys();
        connect(capture_, &CaptureDriver::hotkeysEnabledChanged, this, [this] { UpdateCommandStates(); });
        // Once the capture is over, the next one goes to the document then in front.
        connect(capture_, &CaptureDriver::captureFinished, this,
                [this] { QTimer::singleShot(0, this, [this] { PinCaptureTarget(); }); });
    }
    ActiveDocumentChanged();
}

MainWindow::~MainWindow() {
    // Tear down the documents and the driver while this frame is still whole:
    // their signals reach handlers that use the frame's members.
    disconnect(mdi_, nullptr, this, nullptr);
    disconnect(documents_, nullptr, this, nullptr);
    for (QMdiSubWindow* w : mdi_->subWindowList()) disconnect(w, nullptr, this, nullptr);
    delete mdi_;
    mdi_ = nullptr;
    documents_ = nullptr;
    delete capture_;
    capture_ = nullptr;
    tray_.reset();
}

ProfileFile& MainWindow::Profile() { return capture_ ? capture_->Profile() : *ownProfile_; }

// ---- layout ---------------------------------------------------------------------

void MainWindow::CreateTabs() {
    mdi_ = new QMdiArea;
    mdi_->setViewMode(QMdiArea::TabbedView);
    mdi_->setTabsClosable(true);
    mdi_->setTabsMovable(true);
    mdi_->setDocumentMode(true);
    mdi_->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdi_);
    documents_ = new DocumentManager(mdi_, *prompts_, recent_, this);
    documents_->onDocumentCreated = [this](ImageDocument* doc) { ConnectDocument(doc); };
    connect(documents_, &DocumentManager::message, this, &MainWindow::ReportMessage);
    connect(documents_, &DocumentManager::recentFilesChanged, this, [this] {
        recent_.Save(Profile());
        RebuildRecentMenu();
    });
    connect(documents_, &DocumentManager::documentsChanged, this, [this] {
        ActiveDocumentChanged();
        // Again once a closed tab has gone.
        QTimer::singleShot(0, this, [this] { ActiveDocumentChanged(); });
    });
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { ActiveDocumentChanged(); });

    // The tab context menu: Save, Save As, Close for the tab under the pointer.
    if (QTabBar* tabs = mdi_->findChild<QTabBar*>()) {
        tabs->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tabs, &QWidget::customContextMenuRequested, this, [this, tabs](const QPoint& pos) {
            const int index = tabs->tabAt(pos);
            const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
            if (index < 0 || index >= windows.size()) return;
            mdi_->setActiveSubWindow(windows[index]);
            std::unique_ptr<QMenu> menu(CreateTabMenu(nullptr));
            menu->exec(tabs->mapToGlobal(pos));
        });
    }
}

QMenu* MainWindow::CreateTabMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (unsigned id : TabMenuLayout()) {
        if (id == kSeparator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QCoreApplication::translate(kCommandTextContext, TabMenuText(id)));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
    }
    return menu;
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar59393"));
    const char* initial[3] = {"  Size: 0 x 0          ", "Zoom: 100%    ", "  "};
    for (int i = 0; i < 3; ++i) {
        panes_[i] = new QLabel(QString::fromLatin1(initial[i]));
        panes_[i]->setObjectName(QStringLiteral("pane%1").arg(13000 + i));
        panes_[i]->setMinimumWidth(i == 0 ? 150 : i == 1 ? 90 : 0);
    }
    bar->addWidget(panes_[0]);
    bar->addWidget(panes_[1]);
    auto* third = new QWidget;
    auto* row = new QHBoxLayout(third);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(panes_[2]);
    progress_ = new QProgressBar;
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(14);
    progress_->hide();
    row->addWidget(progress_, 1);
    // Stops the document work in progress (as Esc does).
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"));
    cancelButton_->setObjectName(QStringLiteral("cancelWork"));
    cancelButton_->setFocusPolicy(Qt::NoFocus);
    cancelButton_->hide();
    connect(cancelButton_, &QPushButton::clicked, this, &MainWindow::CancelWork);
    row->addWidget(cancelButton_);
    bar->addWidget(third, 1);
    gate_ = new WorkInputGate(
        cancelButton_, [this] { CancelWork(); }, this);
}

void MainWindow::CancelWork() {
    for (const QPointer<ImageDocument>& doc : busyDocs_)
        if (doc) doc->CancelWork();
}

void MainWindow::WorkStarted(ImageDocument* doc) {
    busyDocs_.append(doc);
    cancelButton_->setVisible(doc->WorkCancellable());
    gate_->SetClosed(true);
}

void MainWindow::WorkFinished(ImageDocument* doc) {
    busyDocs_.removeOne(doc);
    busyDocs_.removeAll(nullptr);
    bool cancellable = false;
    for (const QPointer<ImageDocument>& d : busyDocs_) cancellable = cancellable || d->WorkCancellable();
    cancelButton_->setVisible(cancellable);
    if (!busyDocs_.isEmpty()) return;
    gate_->SetClosed(false);
    if (!running_ && !pending_.empty()) QTimer::singleShot(0, this, [this] { RunPending(); });
    if (closeAfterWork_) {
        closeAfterWork_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void MainWindow::CreateParamBar() {
    paramBar_ = new QDockWidget(QStringLiteral("Param Setting"), this);
    paramBar_->setObjectName(QStringLiteral("ParamBar"));
    paramBar_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    paramBar_->toggleViewAction()->setText(QStringLiteral("&Param Setting"));
    params_ = new clipvane::ParamBar;
    paramBar_->setWidget(params_);
    // A change made in the panel goes into the active view's selected object
    // at once, if the panel shown is that object's: another kind's values
    // would overwrite its fields with unrelated ones.
    connect(params_, &clipvane::ParamBar::styleChanged, this, [this](const DrawingStyle& style) {
        EditorView* view = ActiveView();
        if (!view) return;
        const AnnotationObject* selected = view->Selection().selected;
        const ToolPanel* panel = params_->Panel();
        view->SetPanelStyle(style, selected && panel && PanelToolFor(selected->kind) == panel->Tool());
    });
    ShowToolPanel(int(EditorTool::Move));
    addDockWidget(Qt::BottomDockWidgetArea, paramBar_);
    // View / Param Setting, after the other bars: a closed bar comes back.
    if (viewMenu_) {
        const QList<QAction*> entries = viewMenu_->actions();
        const int after = int(entries.indexOf(actions_.value(kCmdViewStatusBar)));
        QAction* before = after >= 0 && after + 1 < entries.size() ? entries[after + 1] : nullptr;
        viewMenu_->insertAction(before, paramBar_->toggleViewAction());
    }
}

void MainWindow::ShowToolPanel(int tool) {
    if (!params_ || tool < 0 || tool >= kEditorToolCount) return;
    params_->ShowToolPanel(EditorTool(tool));
    if (EditorView* view = ActiveView()) view->SetPanelStyle(params_->Style(), false);
}

void MainWindow::LoadSelectionToPanel(EditorView* view) {
    if (!params_ || !view->Selection().selected) return;
    params_->LoadSelected(*view->Selection().selected);
    view->SetPanelStyle(params_->Style(), false);
}

void MainWindow::RestoreLayout() {
    ProfileFile& p = Profile();
    const bool own = p.HasKey(kLayoutSection, kStateKey) || p.HasKey(kLayoutSection, kGeometryKey);
    const char* section = own ? kLayoutSection : kOldLayoutSection;
    const QByteArray geometry =
        QByteArray::fromBase64(QByteArray::fromStdString(p.GetString(section, kGeometryKey, "")));
    const QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(p.GetString(section, kStateKey, "")));
    if (!geometry.isEmpty()) restoreGeometry(geometry);
    if (!state.isEmpty()) restoreState(state, kLayoutVersion);
}

void MainWindow::SaveLayout() {
    ProfileFile& p = Profile();
    p.WriteString(kLayoutSection, kGeometryKey, saveGeometry().toBase64().toStdString().c_str());
    p.WriteString(kLayoutSection, kStateKey, saveState(kLayoutVersion).toBase64().toStdString().c_str());
}

// ---- documents --------------------------------------------------------------------

DocumentWindow* MainWindow::ActiveFrame() const { return documents_ ? documents_->Active() : nullptr; }

ImageDocument* MainWindow::ActiveDocument() const {
    DocumentWindow* f = ActiveFrame();
    return f ? f->Document() : nullptr;
}

EditorView* MainWindow::ActiveView() const {
    DocumentWindow* f = ActiveFrame();
    return f ? f->View() : nullptr;
}

void MainWindow::ConnectDocument(ImageDocument* doc) {
    doc->SetProgressFactory([this]() -> std::unique_ptr<ProgressReporter> {
        return std::make_unique<StatusBarProgress>(panes_[2], progress_);
    });
    connect(doc, &ImageDocument::workStarted, this, [this, doc] { WorkStarted(doc); });
    connect(doc, &ImageDocument::workFinished, this, [this, doc] { WorkFinished(doc); });
    connect(doc, &ImageDocument::changed, this, [this, doc] {
        if (doc == ActiveDocument()) {
            RefreshStatusTexts();
            UpdateCommandStates();
        }
    });
}

void MainWindow::PinCaptureTarget() {
    // While a capture runs, its target stays the document pinned before.
    if (!capture_ || !capture_->Busy()) captureTarget_ = ActiveDocument();
}

void MainWindow::ActiveDocumentChanged() {
    PinCaptureTarget();
    if (EditorView* view = ActiveView()) {
        view->addActions(ToolActions());
        disconnect(view, &EditorView::statusChanged, this, nullptr);
        connect(view, &EditorView::statusChanged, this, [this] {
            RefreshStatusTexts();
            UpdateCommandStates();
        });
        ConnectView(view);
        ConnectViewCommands(view);
        // The bar follows the document now shown: its selected object, else
        // its tool.
        if (view->Selection().selected) {
            LoadSelectionToPanel(view);
        } else {
            ShowToolPanel(int(view->Tools().CurrentTool()));
        }
    }
    RefreshStatusTexts();
    UpdateCommandStates();
}

void MainWindow::ConnectView(EditorView* view) {
    // Only the active view drives the bar; another one catches up when it
    // becomes active.
    disconnect(view, &EditorView::toolPanelRequested, this, nullptr);
    disconnect(view, &EditorView::selectionChanged, this, nullptr);
    connect(view, &EditorView::toolPanelRequested, this, [this, view](int tool) {
        if (view == ActiveView()) ShowToolPanel(tool);
    });
    connect(view, &EditorView::selectionChanged, this, [this, view] {
        if (view == ActiveView()) LoadSelectionToPanel(view);
    });
}

void MainWindow::RefreshStatusTexts() {
    if (EditorView* view = ActiveView()) {
        panes_[0]->setText(view->SizeText());
        panes_[1]->setText(view->ZoomText());
    } else {
        panes_[0]->setText(QStringLiteral("  Size: 0 x 0"));
        panes_[1]->setText(QStringLiteral("Zoom: 100%"));
    }
}

bool MainWindow::OpenFile(const QString& path, QString* error) { return documents_->OpenPath(path, error) != nullptr; }

// ---- capture host ---------------------------------------------------------------

void MainWindow::DeliverNew(const PixelImage& image, bool recordUndo) {
    DocumentWindow* frame = documents_->NewCaptureDocument();
    frame->Document()->ApplyCapture(image, recordUndo);
    lastDelivered_ = frame->Document();
}

bool MainWindow::DeliverReplace(const PixelImage& image) {
    // The document that was in front when the capture started: the wait
    // before the grab lets other commands run (File / New, another tab).
    ImageDocument* doc = nullptr;
    for (DocumentWindow* f : documents_->Frames())  // closed tabs do not count
        if (f->Document() == captureTarget_) doc = f->Document();
    if (!doc) return false;
    doc->ApplyCapture(image, true);
    lastDelivered_ = doc;
    return true;
}

void MainWindow::SetDeliveredPath(const QString& path) {
    for (DocumentWindow* f : documents_->Frames())
        if (f->Document() == lastDelivered_) {
            f->Document()->SetPathName(path);
            // The file holds exactly the image; objects would be missing from it.
            if (f->Document()->objects.empty()) f->Document()->SetModified(false);
            f->RefreshTitle();
            recent_.Add(path);
            recent_.Save(Profile());
            RebuildRecentMenu();
        }
}

void MainWindow::ReportMessage(const QString& text) {
    const QString shown = ShortenMessage(text);
    if (tray_ && tray_->IsVisible() && !isVisible())
        tray_->ShowMessage(shown);
    else
        statusBar()->showMessage(shown, 10000);
}

// ---- tray -----------------------------------------------------------------------

void MainWindow::SetTrayMode(bool on) {
    trayMode_ = on;
    if (capture_) capture_->Settings().isTrayMode = on;
    if (on)
        tray_->Show();
    else
        tray_->Hide();
    UpdateCommandStates();
}

void MainWindow::ToggleMainWindow() {
    TraceLog("toggle main window: visible %d minimized %d\n", int(isVisible()), int(isMinimized()));
    if (isVisible() && !isMinimized()) {
        // Hidden straight away: a minimise request racing the unmap would
        // make the window manager bring it back iconified later.
        hide();
    } else {
        // Back as it was (maximised stays maximised), in front.
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && trayMode_)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) hide();
        });
}

// ---- closing ----------------------------------------------------------------------

bool MainWindow::PrepareToClose() {
    if (!documents_->RunExitPrompt()) return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (trayMode_) tray_->Hide();
    SaveLayout();
    recent_.Save(Profile());
    if (capture_) {
        capture_->UnregisterHotkeys();
        capture_->Settings().isTrayMode = trayMode_;
        capture_->SaveOnClose();
    } else {
        Profile().WriteBool("AppSet", "IsTrayMode", trayMode_);
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (running_ && !closing_ && !exitCommand_) {
        // A command (an effect, a dialog) is still running: its work stops,
        // and the window closes after it.
        CancelWork();
        event->ignore();
        pending_.push_back(kCmdAppExit);
        return;
    }
    if (WorkRunning() && !closing_) {
        // Work outside a command (a file opened from outside): stop it and
        // close once it has ended.
        CancelWork();
        event->ignore();
        closeAfterWork_ = true;
        return;
    }
    if (closing_ || !PrepareToClose()) {
        if (!closing_) event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
    // exit(), not quit(): quit() would ask every window to close again,
    // this one included, and give up because it is already closing.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

}  // namespace clipvane
