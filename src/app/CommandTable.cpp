#include "app/CommandTable.h"

#include <QCoreApplication>

#include "app/MainWindow.h"
#include "editor/tools/EditorTool.h"
#include "image/effects/EffectRegistry.h"
#include "settings/CaptureSettings.h"

namespace clipvane {

namespace {

QKeySequence K(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

using E = CommandEnable;
using C = CommandCheck;
using W = MainWindow;

}  // namespace

// The rows of the table. A friend of MainWindow, since rows name its private
// handlers.
struct CommandTableRows {
    // One row in short: id, text, tip, keys, enabled rule, handler and its
    // argument, icon, check rule, tray and tab wording.
    struct Row {
        unsigned id;
        const char* text;
        const char* tip;
        QList<QKeySequence> keys;
        E enable;
        CommandHandler handler;
        int arg = 0;
        const char* iconTheme = nullptr;
        const char* iconFile = nullptr;
        C check = C::None;
        const char* trayText = nullptr;
        const char* tabText = nullptr;
    };
    static std::vector<CommandInfo> Build();
};

namespace {

int Tool(EditorTool t) { return int(t); }
int Mode(CaptureMode m) { return int(m); }

#define TR(text) QT_TRANSLATE_NOOP("Commands", text)

}  // namespace

namespace {

// What the application adds to the registry's Image and Filter rows.
struct EffectExtras {
    int id;
    QList<QKeySequence> keys;
    const char* iconTheme;
    const char* iconFile;
};
const EffectExtras kEffectExtras[] = {
    {kCmdRotate90, {}, "object-rotate-right", nullptr},
    {kCmdRotate270, {}, "object-rotate-left", nullptr},
    {kCmdFlipHorizontal, {}, "object-flip-horizontal", nullptr},
    {kCmdFlipVertical, {}, "object-flip-vertical", nullptr},
    {kCmdRedact, {K("Ctrl+Shift+X")}, nullptr, "redact"},
};

}  // namespace

std::vector<CommandInfo> CommandTableRows::Build() {
    // Built on first use: standard key sequences need the application.
    // clang-format off
    const Row rows[] = {
        {kCmdFileNew, TR("&New"), TR("Create a new image"), {QKeySequence::New}, E::Always, &W::FileNew, 0,
         "document-new", "document-new"},
        {kCmdFileOpen, TR("&Open..."), TR("Open an image file"), {QKeySequence::Open}, E::Always, &W::FileOpen, 0,
         "document-open", "document-open"},
        {kCmdFileClose, TR("&Close"), TR("Close the image"), {K("Ctrl+W"), K("Ctrl+F4")}, E::Document, &W::FileClose,
         0, "document-close", nullptr, C::None, nullptr, TR("Close")},
        {kCmdFileSave, TR("&Save"), TR("Save the image"), {QKeySequence::Save}, E::Document, &W::FileSave, 0,
         "document-save", "document-save", C::None, nullptr, TR("Save")},
        {kCmdFileSaveAs, TR("Save &As..."), TR("Save the image under a new name"), {K("Ctrl+Shift+S")}, E::Document,
         &W::FileSaveAs, 0, "document-save-as", nullptr, C::None, nullptr, TR("Save As")},
        {kCmdFilePrintSetup, TR("P&rint Setup..."), TR("Choose a printer and its options"), {}, E::Always,
         &W::PrintSetup},
        {kCmdAppExit, TR("E&xit"), TR("Quit Clipvane"), {QKeySequence::Quit}, E::Always, &W::AppExit, 0,
         "application-exit", nullptr, C::None, TR("Exit Clipvane")},
        {kCmdEditUndo, TR("&Undo"), TR("Undo the last step"), {K("Ctrl+Z"), K("Alt+Backspace")}, E::Undo,
         &W::EditUndo, 0, "edit-undo", "edit-undo"},
        {kCmdEditRedo, TR("&Redo"), TR("Redo the step undone last"), {K("Ctrl+Y"), K("Ctrl+Shift+Z")}, E::Redo,
         &W::EditRedo, 0, "edit-redo", "edit-redo"},
        {kCmdEditCut, TR("Cu&t"), TR("Cut the selection to the clipboard"), {K("Ctrl+X"), K("Shift+Del")}, E::Image,
         &W::EditCut, 0, "edit-cut"},
        {kCmdEditCopy, TR("&Copy"), TR("Copy the selection to the clipboard"), {K("Ctrl+C"), K("Ctrl+Ins")}, E::Image,
         &W::EditCopy, 0, "edit-copy"},
        {kCmdEditPaste, TR("&Paste"), TR("Paste the clipboard image"), {K("Ctrl+V"), K("Shift+Ins")}, E::Paste,
         &W::EditPaste, 0, "edit-paste"},
        {kCmdViewToolBar, TR("&Main Toolbar"), TR("Show or hide the main tool bar"), {}, E::Always, &W::ToggleToolBar,
         0, nullptr, nullptr, C::MainToolBar},
        {kCmdViewStatusBar, TR("&Status Bar"), TR("Show or hide the status bar"), {}, E::Always, &W::ToggleStatusBar,
         0, nullptr, nullptr, C::StatusBar},
        {kCmdZoomIn, TR("Zoom &In"), TR("Zoom In"), {K("Ctrl+="), K("Ctrl++")}, E::ZoomIn, &W::ZoomIn, 0, "zoom-in",
         "zoom-in"},
        {kCmdZoomOut, TR("Zoom &Out"), TR("Zoom Out"), {K("Ctrl+-")}, E::ZoomOut, &W::ZoomOut, 0, "zoom-out",
         "zoom-out"},
        {kCmdZoomActual, TR("&Actual"), TR("Actual"), {K("Ctrl+0")}, E::ZoomActual, &W::ZoomActual, 0,
         "zoom-original", "zoom-original"},
        {kCmdCaptureFullScreen, TR("&Full Screen"), TR("Capture the full screen"), {}, E::Always, &W::CaptureCommand,
         Mode(CaptureMode::FullScreen), nullptr, "capture-fullscreen", C::None, TR("Capture Full screen")},
        {kCmdCaptureRegion, TR("&Rectangle Region"), TR("Capture a rectangle region"), {}, E::Always,
         &W::CaptureCommand, Mode(CaptureMode::Region), nullptr, "capture-region", C::None, TR("Capture Region")},
        {kCmdCaptureWindow, TR("&Window / Object"), TR("Capture a window or object"), {}, E::Always,
         &W::CaptureCommand, Mode(CaptureMode::WindowObject), nullptr, "capture-window", C::None,
         TR("Capture Windows")},
        {kCmdCaptureActive, TR("&Active Window"), TR("Capture the active window"), {}, E::Always, &W::CaptureCommand,
         Mode(CaptureMode::ActiveWindow), nullptr, "capture-active", C::None, TR("Capture Active window")},
        {kCmdCaptureScroll, TR("&Scrolling Window"), TR("Capture a scrolling window"), {}, E::Always,
         &W::CaptureCommand, Mode(CaptureMode::Scrolling)},
        {kCmdCaptureFixedRect, TR("Fixed Rectangle"), TR("Capture a fixed-size rectangle"), {}, E::Always,
         &W::CaptureCommand, Mode(CaptureMode::FixedRect)},
        {kCmdCaptureSetting, TR("&Capture Setting"), TR("Change the capture settings"), {}, E::Capture,
         &W::CaptureSettings},
        {kCmdDefineHotkey, TR("Define hotkey"), TR("Define the capture hotkeys"), {}, E::Capture, &W::DefineHotkeys},
        {kCmdEnableHotkey, TR("Enable hotkey"), TR("Switch the capture hotkeys on or off"), {}, E::Capture,
         &W::ToggleHotkeys, 0, nullptr, nullptr, C::Hotkeys},
        {kCmdTrayMode, TR("Run as &tray mode"), TR("Keep an icon in the notification area"), {}, E::Always,
         &W::ToggleTrayMode, 0, nullptr, nullptr, C::TrayMode},
        {kCmdShowHideMain, TR("Show/Hide Main window"), TR("Show or hide the main window"), {}, E::Always,
         &W::ShowHideMain},
        {kCmdAppAbout, TR("&About..."), TR("Program information and version"), {}, E::Always, &W::About, 0,
         "help-about"},
        {kCmdOnlineHelp, TR("Online &Help"), TR("Open the online help"), {QKeySequence::HelpContents}, E::Always,
         &W::OpenLink, 0, "help-contents"},
        {kCmdHomepage, TR("&Homepage"), TR("Open the Clipvane home page"), {}, E::Always, &W::OpenLink, 1},
        {kCmdToolMove, TR("&Move"), TR("Move"), {K("M")}, E::View, &W::SelectTool, Tool(EditorTool::Move), nullptr,
         "tool-move", C::Tool},
        {kCmdToolSelect, TR("&Select"), TR("Select"), {K("S")}, E::View, &W::SelectTool, Tool(EditorTool::Select),
         nullptr, "tool-select", C::Tool},
        {kCmdToolCrop, TR("&Crop"), TR("Crop"), {K("C")}, E::View, &W::SelectTool, Tool(EditorTool::Crop), nullptr,
         "tool-crop", C::Tool},
        {kCmdToolZoom, TR("&Zoom"), TR("Zoom"), {K("Z")}, E::View, &W::SelectTool, Tool(EditorTool::Zoom), nullptr,
         "zoom-in", C::Tool},
        {kCmdToolText, TR("&Text"), TR("Text"), {K("T")}, E::View, &W::SelectTool, Tool(EditorTool::Text), nullptr,
         "tool-text", C::Tool},
        {kCmdToolLine, TR("&Line"), TR("Line"), {K("L")}, E::View, &W::SelectTool, Tool(EditorTool::Line), nullptr,
         "tool-line", C::Tool},
        {kCmdToolShape, TR("S&hape"), TR("Shape"), {K("R")}, E::View, &W::SelectTool, Tool(EditorTool::Shape),
         nullptr, "tool-shape", C::Tool},
        {kCmdToolHighlight, TR("H&ighlight"), TR("Highlight"), {K("H")}, E::View, &W::SelectTool,
         Tool(EditorTool::Highlight), nullptr, "tool-highlight", C::Tool},
        {kCmdToolArrow, TR("&Arrow"), TR("Arrow"), {K("A")}, E::View, &W::SelectTool, Tool(EditorTool::Arrow),
         nullptr, "tool-arrow", C::Tool},
        {kCmdToolStamp, TR("Stam&p"), TR("Stamp"), {K("P")}, E::View, &W::SelectTool, Tool(EditorTool::Stamp),
         nullptr, "tool-stamp", C::Tool},
        {kCmdDeleteObject, TR("&Delete Object"), TR("Delete the selected object"), {}, E::ViewCommand,
         &W::ViewCommand, 0, "edit-delete", "edit-delete"},
        {kCmdObjectEditText, TR("Edit Text"), TR("Edit the selected text"), {}, E::ViewCommand, &W::ViewCommand},
        {kCmdObjectFlatten, TR("Flatten"), TR("Draw every object into the image"), {}, E::ViewCommand,
         &W::ViewCommand},
        {kCmdObjectBringToFront, TR("Bring to Front"), TR("Bring the selected object to the front"), {},
         E::ViewCommand, &W::ViewCommand},
        {kCmdObjectSendToBack, TR("Send to Back"), TR("Send the selected object to the back"), {}, E::ViewCommand,
         &W::ViewCommand},
        {kCmdObjectDelete, TR("Delete"), TR("Delete the selected object"), {}, E::ViewCommand, &W::ViewCommand, 0,
         "edit-delete", "edit-delete"},
    };
    // clang-format on

    std::vector<CommandInfo> table;
    for (const Row& r : rows) {
        CommandInfo info;
        info.id = r.id;
        info.text = r.text;
        info.tip = r.tip;
        info.keys = r.keys;
        info.checkable = r.check != C::None;
        info.enable = r.enable;
        info.check = r.check;
        info.handler = r.handler;
        info.arg = r.arg;
        info.iconTheme = r.iconTheme;
        info.iconFile = r.iconFile;
        info.trayText = r.trayText;
        info.tabText = r.tabText;
        table.push_back(info);
    }
    for (const EffectEntry& e : EffectRegistry()) {
        CommandInfo info;
        info.id = unsigned(e.id);
        info.text = e.text;
        info.tip = e.tip;
        info.enable = E::Image;
        info.handler = &W::EffectCommand;
        info.context = kEffectTextContext;
        for (const EffectExtras& x : kEffectExtras) {
            if (x.id != e.id) continue;
            info.keys = x.keys;
            info.iconTheme = x.iconTheme;
            info.iconFile = x.iconFile;
        }
        table.push_back(info);
    }
    return table;
}

QString CommandInfo::Text() const { return QCoreApplication::translate(context, text); }
QString CommandInfo::Tip() const { return QCoreApplication::translate(context, tip); }

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = CommandTableRows::Build();
    return table;
}

const CommandInfo* FindCommand(unsigned id) {
    for (const CommandInfo& c : CommandTable())
        if (c.id == id) return &c;
    return nullptr;
}

const std::vector<MenuSpec>& MenuBarLayout() {
    static const std::vector<MenuSpec> menus = {
        {TR("&File"),
         {kCmdFileNew, kCmdFileOpen, kCmdFileClose, kCmdFileSave, kCmdFileSaveAs, kSeparator, kCmdFilePrintSetup,
          kSeparator, kRecentFilesSlot, kSeparator, kCmdAppExit}},
        {TR("&Edit"),
         {kCmdEditUndo, kCmdEditRedo, kSeparator, kCmdEditCut, kCmdEditCopy, kCmdEditPaste, kSeparator,
          kCmdDeleteObject}},
        {TR("&View"), {kCmdViewToolBar, kCmdViewStatusBar, kSeparator, kCmdZoomIn, kCmdZoomOut, kCmdZoomActual}},
        {TR("&Capture"),
         {kCmdCaptureFullScreen, kCmdCaptureRegion, kCmdCaptureWindow, kCmdCaptureActive, kCmdCaptureScroll,
          kCmdCaptureFixedRect, kSeparator, kCmdCaptureSetting}},
        {TR("&Image"),
         {kCmdRotate, kCmdRotate90, kCmdRotate270, kCmdFlipHorizontal, kCmdFlipVertical, kCmdResize, kSeparator,
          kCmdBrightnessContrast, kCmdHueSaturation, kCmdColorTone, kCmdRgbValue, kCmdColorLevel, kCmdAutoColorLevel,
          kSeparator, kCmdGreyImage, kCmdInvert}},
        {TR("F&ilter"),
         {kCmdNoisy, kCmdBlot, kCmdEmboss, kCmdOilPaint, kCmdSplash, kCmdPosterize, kCmdMosaic, kCmdHalftone, kCmdBlur,
          kCmdGrid, kSeparator, kCmdRedact}},
        {TR("&Tools"),
         {kCmdToolMove, kCmdToolSelect, kCmdToolCrop, kCmdToolZoom, kSeparator, kCmdToolText, kCmdToolLine,
          kCmdToolShape, kCmdToolHighlight, kCmdToolArrow, kCmdToolStamp}},
        {TR("&Setting"), {kCmdDefineHotkey, kCmdEnableHotkey, kSeparator, kCmdTrayMode}},
        {TR("&Help"), {kCmdOnlineHelp, kCmdHomepage, kSeparator, kCmdAppAbout}},
    };
    return menus;
}

#undef TR

const std::vector<unsigned>& MainToolBarLayout() {
    static const std::vector<unsigned> ids = {
        kCmdFileNew,       kCmdFileOpen,      kCmdFileSave,      kSeparator,  kCmdCaptureFullScreen,
        kCmdCaptureRegion, kCmdCaptureWindow, kCmdCaptureActive, kSeparator,  kCmdEditUndo,
        kCmdEditRedo,      kSeparator,        kCmdZoomIn,        kCmdZoomOut, kCmdZoomActual};
    return ids;
}

const std::vector<unsigned>& ToolsToolBarLayout() {
    static const std::vector<unsigned> ids = {
        kCmdToolMove,  kCmdToolSelect,    kCmdToolCrop,  kCmdToolZoom,  kSeparator, kCmdToolText,     kCmdToolLine,
        kCmdToolShape, kCmdToolHighlight, kCmdToolArrow, kCmdToolStamp, kSeparator, kCmdDeleteObject, kCmdRedact};
    return ids;
}

const std::vector<unsigned>& TrayMenuLayout() {
    static const std::vector<unsigned> ids = {kCmdShowHideMain,  kCmdCaptureFullScreen, kCmdCaptureWindow,
                                              kCmdCaptureRegion, kCmdCaptureActive,     kSeparator,
                                              kCmdAppExit};
    return ids;
}

const std::vector<unsigned>& TabMenuLayout() {
    static const std::vector<unsigned> ids = {kCmdFileSave, kCmdFileSaveAs, kSeparator, kCmdFileClose};
    return ids;
}

const char* TabMenuText(unsigned id) {
    const CommandInfo* info = FindCommand(id);
    return info ? info->tabText : nullptr;
}

}  // namespace clipvane
