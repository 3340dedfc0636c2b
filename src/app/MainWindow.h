#pragma once
// MainWindow: the program's one top-level window. Menus, the main and "Tools"
// tool bars, the "Param Setting" bar, the status bar and the document tabs
// hang off it; every command runs through Dispatch by its id. It also hosts
// the capture driver and the tray icon.
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>

#include "app/CommandIds.h"
#include "app/RecentFileList.h"
#include "capture/CaptureHost.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace clipvane {

class WidgetEffectDialogs;
class CaptureDriver;
struct CommandInfo;
struct CommandTableRows;
class DocumentWindow;
class ImageDocument;
class EditorView;
class DocumentManager;
class ParamBar;
class ProfileFile;
class ScreenPlatform;
class TrayIcon;
class UserPrompts;
class WorkInputGate;

class MainWindow : public QMainWindow, public CaptureHost {
    Q_OBJECT
public:
    struct Options {
        QString configPath;              // config.ini to read and write
        UserPrompts* prompts = nullptr;  // null: the real dialogs
        bool withCaptureDriver = true;   // tests of the editor may leave it out
        // The screen the capture driver grabs; unset: the desktop's.
        std::function<std::unique_ptr<ScreenPlatform>()> platform;
    };

    explicit MainWindow(const Options& options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs a command as if chosen from its menu. False for an unknown id or
    // one that is disabled at the moment.
    bool Dispatch(unsigned id);
    bool IsKnownCommand(unsigned id) const { return actions_.contains(id); }
    // Known and enabled at the moment.
    bool CanRun(unsigned id);
    QAction* Action(unsigned id) const { return actions_.value(id); }
    // The context menu of a document tab: Save, Save As and Close in the
    // tab's own wording, each running its command.
    QMenu* CreateTabMenu(QWidget* parent);
    // Refreshes the enabled and checked states of every action.
    void UpdateCommandStates();

    DocumentManager& Documents() { return *documents_; }
    DocumentWindow* ActiveFrame() const;
    ImageDocument* ActiveDocument() const;
    EditorView* ActiveView() const;
    // Opens files named on the command line or sent by another instance.
    // With `error`, a failure is described there instead of in a message box.
    bool OpenFile(const QString& path, QString* error = nullptr);

    RecentFileList& RecentFiles() { return recent_; }
    ProfileFile& Profile();
    CaptureDriver* Capture() { return capture_; }
    TrayIcon* Tray() { return tray_.get(); }
    bool TrayMode() const { return trayMode_; }
    void SetTrayMode(bool on);
    // Show/Hide Main window, and the tray icon's left click.
    void ToggleMainWindow();

    QLabel* StatusPane(int index) const { return panes_[index]; }
    // The status bar's Cancel button, shown while a document's work runs.
    QPushButton* CancelButton() const { return cancelButton_; }
    // True while any document's work runs off the user-interface thread.
    bool WorkRunning() const { return !busyDocs_.isEmpty(); }
    // Asks every running piece of document work to stop (Cancel, Esc).
    void CancelWork();
    QToolBar* MainToolBar() const { return mainBar_; }
    QToolBar* ToolsToolBar() const { return toolsBar_; }
    QDockWidget* ParamBar() const { return paramBar_; }
    // The tool panels inside the "Param Setting" bar.
    clipvane::ParamBar* ParamPanels() const { return params_; }
    QMdiArea* MdiArea() const { return mdi_; }
    // Shows the panel of `tool` (an EditorTool value) and hands its values to
    // the active view.
    void ShowToolPanel(int tool);

    // CaptureHost
    QWidget* HostWindow() override { return this; }
    void DeliverNew(const PixelImage& image, bool recordUndo) override;
    bool DeliverReplace(const PixelImage& image) override;
    void SetDeliveredPath(const QString& path) override;
    void ReportMessage(const QString& text) override;

    // Closing sequence without asking the window system: exit prompt, tray
    // icon, hotkeys, config.ini. False when the user stopped it.
    bool PrepareToClose();

signals:
    void commandFinished(unsigned id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void CreateParamBar();
    void CreateTabs();
    void RebuildRecentMenu();
    void RestoreLayout();
    void SaveLayout();
    void ActiveDocumentChanged();
    // Remembers the active document as the target of replacing captures.
    void PinCaptureTarget();
    void ConnectView(EditorView* view);
    void LoadSelectionToPanel(EditorView* view);
    QList<QAction*> ToolActions() const;
    void ConnectViewCommands(EditorView* view);
    void RefreshStatusTexts();
    void ConnectDocument(ImageDocument* doc);
    void WorkStarted(ImageDocument* doc);
    void WorkFinished(ImageDocument* doc);
    // Runs command `id` through the handler its table entry names.
    void Run(unsigned id);
    // Runs the commands that waited for document work outside a command.
    void RunPending();
    bool CommandEnabled(const CommandInfo& info) const;
    bool CommandChecked(const CommandInfo& info) const;
    void OpenRecent(int index);

    // The command handlers, named by the entries of the command table.
    friend struct CommandTableRows;
    void FileNew(const CommandInfo&);
    void FileOpen(const CommandInfo&);
    void FileClose(const CommandInfo&);
    void FileSave(const CommandInfo&);
    void FileSaveAs(const CommandInfo&);
    void PrintSetup(const CommandInfo&);
    void AppExit(const CommandInfo&);
    void EditUndo(const CommandInfo&);
    void EditRedo(const CommandInfo&);
    void EditCut(const CommandInfo&);
    void EditCopy(const CommandInfo&);
    void EditPaste(const CommandInfo&);
    void ToggleToolBar(const CommandInfo&);
    void ToggleStatusBar(const CommandInfo&);
    void ZoomIn(const CommandInfo&);
    void ZoomOut(const CommandInfo&);
    void ZoomActual(const CommandInfo&);
    void CaptureCommand(const CommandInfo& info);  // the CaptureMode in info.arg
    void CaptureSettings(const CommandInfo&);
    void DefineHotkeys(const CommandInfo&);
    void ToggleHotkeys(const CommandInfo&);
    void ToggleTrayMode(const CommandInfo&);
    void ShowHideMain(const CommandInfo&);
    void About(const CommandInfo&);
    void OpenLink(const CommandInfo& info);    // info.arg 0 online help, 1 home page
    void SelectTool(const CommandInfo& info);  // the EditorTool in info.arg
    void ViewCommand(const CommandInfo& info);
    void EffectCommand(const CommandInfo& info);

    UserPrompts* prompts_;
    std::unique_ptr<UserPrompts> ownPrompts_;
    std::unique_ptr<ProfileFile> ownProfile_;
    std::unique_ptr<WidgetEffectDialogs> effectDialogs_;
    QHash<unsigned, QAction*> actions_;
    QMenu* recentMenuAnchor_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QList<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;
    QMdiArea* mdi_ = nullptr;
    DocumentManager* documents_ = nullptr;
    RecentFileList recent_;
    QToolBar* mainBar_ = nullptr;
    QToolBar* toolsBar_ = nullptr;
    QDockWidget* paramBar_ = nullptr;
    clipvane::ParamBar* params_ = nullptr;
    QLabel* panes_[3] = {};
    QProgressBar* progress_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    WorkInputGate* gate_ = nullptr;
    // Documents whose work runs, innermost last.
    QList<QPointer<ImageDocument>> busyDocs_;
    bool closeAfterWork_ = false;
    CaptureDriver* capture_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    bool trayMode_ = false;
    bool closing_ = false;
    ImageDocument* lastDelivered_ = nullptr;
    QPointer<ImageDocument> captureTarget_;
    // Commands that arrive while one runs (from D-Bus or the tray while an
    // effect repaints the window) wait here and run afterwards, in order.
    bool running_ = false;
    bool exitCommand_ = false;  // the close comes from the Exit command itself
    std::deque<unsigned> pending_;
};

}  // namespace clipvane
