#pragma once
// Menu texts, tool tips and keyboard shortcuts of every command, and the
// layout of the menu bar, the tool bars and the tray menu by command id.
#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

#include "app/CommandIds.h"

namespace clipvane {

struct CommandInfo {
    unsigned id;
    const char* text;  // menu text with its & mnemonic
    const char* tip;   // tool tip and status-bar hint
    QList<QKeySequence> keys;
    bool checkable = false;
};

const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(unsigned id);

// A menu: its title and its entries (0 = separator; kRecentFilesSlot marks
// where the recent files go; kSubmenu entries start a nested menu).
inline constexpr unsigned kSeparator = 0;
inline constexpr unsigned kRecentFilesSlot = 1;

struct MenuSpec {
    const char* title;
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
