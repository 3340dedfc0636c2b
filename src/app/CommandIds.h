#pragma once
// Every command of the program by its fixed number. Menus, tool bars, the tray
// menu, hotkeys, the D-Bus interface and tests all name commands by these ids,
// and the main frame runs them through one dispatcher.
#include "editor/view/ViewCommands.h"
#include "image/effects/EffectCommands.h"

namespace clipvane {

enum CommandId : unsigned {
    // File
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileClose = 57602,
    kCmdFileSave = 57603,
    kCmdFileSaveAs = 57604,
    kCmdFilePrintSetup = 57606,
    kCmdRecentFile1 = 57616,
    kCmdRecentFile2 = 57617,
    kCmdRecentFile3 = 57618,
    kCmdRecentFile4 = 57619,
    kCmdAppExit = 57665,

    // Edit
    kCmdEditCopy = 57634,
    kCmdEditCut = 57635,
    kCmdEditPaste = 57637,
    kCmdEditUndo = 57643,
    kCmdEditRedo = 57644,

    // View
    kCmdViewToolBar = 59392,
    kCmdViewStatusBar = 59393,
    kCmdZoomIn = 32830,
    kCmdZoomOut = 32831,
    kCmdZoomActual = 32832,

    // Capture
    kCmdCaptureFullScreen = 32835,
    kCmdCaptureRegion = 32792,
    kCmdCaptureWindow = 32793,
    kCmdCaptureActive = 32794,
    kCmdCaptureScroll = 32921,
    kCmdCaptureFixedRect = 32929,
    kCmdCaptureSetting = 32795,

    // Setting
    kCmdDefineHotkey = 32899,
    kCmdEnableHotkey = 32900,
    kCmdTrayMode = 32884,
    kCmdShowHideMain = 32891,

    // Help
    kCmdAppAbout = 57664,
    kCmdOnlineHelp = 32877,
    kCmdHomepage = 32878,

    // Tools
    kCmdToolMove = 32836,
    kCmdToolSelect = 32809,
    kCmdToolCrop = 32838,
    kCmdToolZoom = 32859,
    kCmdToolText = 32812,
    kCmdToolLine = 32923,
    kCmdToolShape = 32943,
    kCmdToolHighlight = 32946,
    kCmdToolArrow = 32945,
    kCmdToolStamp = 32944,
    kCmdDeleteObject = kViewDeleteObject,

    // Object context menu (run by the editor view)
    kCmdObjectEditText = kViewEditText,
    kCmdObjectFlatten = kViewFlatten,
    kCmdObjectBringToFront = kViewBringToFront,
    kCmdObjectSendToBack = kViewSendToBack,
    kCmdObjectDelete = kViewDelete,
};

// The Image and Filter commands (kCmdFirstEffect..kCmdLastEffect) are the
// effect commands of image/effects.
inline bool IsEffectCommand(unsigned id) { return id >= unsigned(kCmdFirstEffect) && id <= unsigned(kCmdLastEffect); }

}  // namespace clipvane
