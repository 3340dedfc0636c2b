#pragma once
// Every command of the program by its fixed number. Menus, tool bars, the tray
// menu, hotkeys, the D-Bus interface and tests all name commands by these ids,
// and the main frame runs them through one dispatcher.
#include "editor/view/ViewCommands.h"

namespace clipvane {

enum CommandId : unsigned {
    // File
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_MRU_FILE2 = 57617,
    ID_FILE_MRU_FILE3 = 57618,
    ID_FILE_MRU_FILE4 = 57619,
    ID_APP_EXIT = 57665,

    // Edit
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,

    // View
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_ZOOM_IN = 32830,
    ID_ZOOM_OUT = 32831,
    ID_ZOOM_ACTUAL = 32832,

    // Capture
    ID_CAPTURE_FULLSCREEN = 32835,
    ID_CAPTURE_REGION = 32792,
    ID_CAPTURE_WINDOW = 32793,
    ID_CAPTURE_ACTIVE = 32794,
    ID_CAPTURE_SCROLL = 32921,
    ID_CAPTURE_FIXRECT = 32929,
    ID_CAPTURE_SETTING = 32795,

    // Setting
    ID_DEFINE_HOTKEY = 32899,
    ID_ENABLE_HOTKEY = 32900,
    ID_TRAY_MODE = 32884,
    ID_SHOW_HIDE_MAIN = 32891,

    // Help
    ID_APP_ABOUT = 57664,
    ID_ONLINE_HELP = 32877,
    ID_HOMEPAGE = 32878,

    // Tools
    ID_TOOL_MOVE = 32836,
    ID_TOOL_SELECT = 32809,
    ID_TOOL_CROP = 32838,
    ID_TOOL_ZOOM = 32859,
    ID_TOOL_TEXT = 32812,
    ID_TOOL_LINE = 32923,
    ID_TOOL_SHAPE = 32943,
    ID_TOOL_HIGHLIGHT = 32946,
    ID_TOOL_ARROW = 32945,
    ID_TOOL_STAMP = 32944,
    ID_DELETE_OBJECT = kViewDeleteObject,

    // Object context menu (run by the editor view)
    ID_OBJ_EDIT_TEXT = kViewEditText,
    ID_OBJ_FLATTEN = kViewFlatten,
    ID_OBJ_BRING_FRONT = kViewBringToFront,
    ID_OBJ_SEND_BACK = kViewSendToBack,
    ID_OBJ_DELETE = kViewDelete,

    // Image and Filter menus (the document's effect commands, 20000..20100)
    ID_IMAGE_ROTATE = 20002,
    ID_IMAGE_ROTATE90 = 20004,
    ID_IMAGE_FLIP_H = 20005,
    ID_IMAGE_FLIP_V = 20006,
    ID_IMAGE_ROTATE270 = 20007,
    ID_IMAGE_RESIZE = 20009,
    ID_IMAGE_BRIGHT_CONTRAST = 20010,
    ID_IMAGE_HUE_SATURATION = 20012,
    ID_IMAGE_COLOR_TONE = 20014,
    ID_IMAGE_RGB_VALUE = 20016,
    ID_IMAGE_COLOR_LEVEL = 20017,
    ID_IMAGE_GRAY = 20019,
    ID_IMAGE_INVERT = 20020,
    ID_FILTER_NOISY = 20033,
    ID_FILTER_BLOT = 20034,
    ID_FILTER_EMBOSS = 20035,
    ID_FILTER_OILPAINT = 20036,
    ID_FILTER_SPLASH = 20037,
    ID_FILTER_POSTERIZE = 20038,
    ID_FILTER_MOSAIC = 20040,
    ID_FILTER_HALFTONE = 20041,
    ID_FILTER_BLUR = 20042,
    ID_FILTER_REDACT = 20043,
    ID_FILTER_GRID = 20050,
    ID_IMAGE_AUTO_LEVEL = 20051,
};

inline constexpr unsigned kEffectCommandFirst = 20000;
inline constexpr unsigned kEffectCommandLast = 20100;

inline bool IsEffectCommand(unsigned id) { return id >= kEffectCommandFirst && id <= kEffectCommandLast; }

}  // namespace clipvane
