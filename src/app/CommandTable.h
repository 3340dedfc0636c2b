#pragma once
// Every command of the program in one table: its menu text, tool tip,
// keyboard shortcuts, icon, when it is enabled or checked, and the member of
// MainWindow that runs it. The menus, the tool bars, the tray menu, the tab
// menu and D-Bus `Command` all build on it. The Image and Filter rows come
// from the effect registry (image/effects/EffectRegistry.h).
#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

#include "app/CommandIds.h"

namespace clipvane {

class MainWindow;
struct CommandInfo;

// The translation context of the texts in this table (the effect rows use
// the registry's).
inline constexpr const char* kCommandTextContext = "Commands";

// When a command can run; the frame re-evaluates it before every command
// and whenever a menu opens.
enum class CommandEnable {
    Always,
    Document,     // a document is open
    Image,        // the active document has an image
    View,         // an editor view is active
    ViewCommand,  // the active view can run it (object commands)
    Undo,
    Redo,
    Paste,  // an image to paste onto and one on the clipboard
    ZoomIn,
    ZoomOut,
    ZoomActual,
    Capture,  // the capture driver is there
};

// What the check mark of a checkable command shows.
enum class CommandCheck { None, MainToolBar, StatusBar, TrayMode, Hotkeys, Tool };

// Runs a command; `info` is its table entry (handlers shared by several
// commands read `arg` or `id` from it).
using CommandHandler = void (MainWindow::*)(const CommandInfo& info);

struct CommandInfo {
    unsigned id = 0;
    const char* text = "";  // menu text with its & mnemonic (translatable)
    const char* tip = "";   // tool tip and status-bar hint (translatable)
    QList<QKeySequence> keys;
    bool checkable = false;
    CommandEnable enable = CommandEnable::Always;
    CommandCheck check = CommandCheck::None;
    CommandHandler handler = nullptr;
    int arg = 0;                                // the handler's argument: a CaptureMode, an EditorTool, a link
    const char* iconTheme = nullptr;            // freedesktop icon name
    const char* iconFile = nullptr;             // the program's own drawing under :/clipvane/icons/
    const char* trayText = nullptr;             // its wording in the tray menu, if its own (translatable)
    const char* tabText = nullptr;              // its wording in the tab menu, if its own (translatable)
    const char* context = kCommandTextContext;  // translation context of the texts

    QString Text() const;
    QString Tip() const;
};

const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(unsigned id);

// A menu: its title and its entries (0 = separator; kRecentFilesSlot marks
// where the recent files go).
inline constexpr unsigned kSeparator = 0;
inline constexpr unsigned kRecentFilesSlot = 1;

struct MenuSpec {
    const char* title;  // translatable
    std::vector<unsigned> entries;
};

const std::vector<MenuSpec>& MenuBarLayout();
const std::vector<unsigned>& MainToolBarLayout();
const std::vector<unsigned>& ToolsToolBarLayout();
const std::vector<unsigned>& TrayMenuLayout();
const std::vector<unsigned>& TabMenuLayout();
// The wording of a command in the tab context menu ("Save", "Save As",
// "Close"), or null when it has none of its own.
const char* TabMenuText(unsigned id);

}  // namespace clipvane
