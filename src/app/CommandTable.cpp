#include "app/CommandTable.h"

namespace clipvane {

namespace {

QKeySequence K(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {kCmdFileNew, "&New", "Create a new image", {QKeySequence::New}},
        {kCmdFileOpen, "&Open...", "Open an image file", {QKeySequence::Open}},
        {kCmdFileClose, "&Close", "Close the image", {K("Ctrl+W"), K("Ctrl+F4")}},
        {kCmdFileSave, "&Save", "Save the image", {QKeySequence::Save}},
        {kCmdFileSaveAs, "Save &As...", "Save the image under a new name", {K("Ctrl+Shift+S")}},
        {kCmdFilePrintSetup, "P&rint Setup...", "Choose a printer and its options", {}},
        {kCmdAppExit, "E&xit", "Quit Clipvane", {QKeySequence::Quit}},
        {kCmdEditUndo, "&Undo", "Undo the last step", {K("Ctrl+Z"), K("Alt+Backspace")}},
        {kCmdEditRedo, "&Redo", "Redo the step undone last", {K("Ctrl+Y"), K("Ctrl+Shift+Z")}},
        {kCmdEditCut, "Cu&t", "Cut the selection to the clipboard", {K("Ctrl+X"), K("Shift+Del")}},
        {kCmdEditCopy, "&Copy", "Copy the selection to the clipboard", {K("Ctrl+C"), K("Ctrl+Ins")}},
        {kCmdEditPaste, "&Paste", "Paste the clipboard image", {K("Ctrl+V"), K("Shift+Ins")}},
        {kCmdViewToolBar, "&Main Toolbar", "Show or hide the main tool bar", {}, true},
        {kCmdViewStatusBar, "&Status Bar", "Show or hide the status bar", {}, true},
        {kCmdZoomIn, "Zoom &In", "Zoom In", {K("Ctrl+="), K("Ctrl++")}},
        {kCmdZoomOut, "Zoom &Out", "Zoom Out", {K("Ctrl+-")}},
        {kCmdZoomActual, "&Actual", "Actual", {K("Ctrl+0")}},
        {kCmdCaptureFullScreen, "&Full Screen", "Capture the full screen", {}},
        {kCmdCaptureRegion, "&Rectangle Region", "Capture a rectangle region", {}},
        {kCmdCaptureWindow, "&Window / Object", "Capture a window or object", {}},
        {kCmdCaptureActive, "&Active Window", "Capture the active window", {}},
        {kCmdCaptureScroll, "&Scrolling Window", "Capture a scrolling window", {}},
        {kCmdCaptureFixedRect, "Fixed Rectangle", "Capture a fixed-size rectangle", {}},
        {kCmdCaptureSetting, "&Capture Setting", "Change the capture settings", {}},
        {kCmdDefineHotkey, "Define hotkey", "Define the capture hotkeys", {}},
        {kCmdEnableHotkey, "Enable hotkey", "Switch the capture hotkeys on or off", {}, true},
        {kCmdTrayMode, "Run as &tray mode", "Keep an icon in the notification area", {}, true},
        {kCmdShowHideMain, "Show/Hide Main window", "Show or hide the main window", {}},
        {kCmdAppAbout, "&About...", "Program information and version", {}},
        {kCmdOnlineHelp, "Online &Help", "Open the online help", {QKeySequence::HelpContents}},
        {kCmdHomepage, "&Homepage", "Open the Clipvane home page", {}},
        {kCmdToolMove, "&Move", "Move", {K("M")}, true},
        {kCmdToolSelect, "&Select", "Select", {K("S")}, true},
        {kCmdToolCrop, "&Crop", "Crop", {K("C")}, true},
        {kCmdToolZoom, "&Zoom", "Zoom", {K("Z")}, true},
        {kCmdToolText, "&Text", "Text", {K("T")}, true},
        {kCmdToolLine, "&Line", "Line", {K("L")}, true},
        {kCmdToolShape, "S&hape", "Shape", {K("R")}, true},
        {kCmdToolHighlight, "H&ighlight", "Highlight", {K("H")}, true},
        {kCmdToolArrow, "&Arrow", "Arrow", {K("A")}, true},
        {kCmdToolStamp, "Stam&p", "Stamp", {K("P")}, true},
        {kCmdDeleteObject, "&Delete Object", "Delete the selected object", {}},
        {kCmdObjectEditText, "Edit Text", "Edit the selected text", {}},
        {kCmdObjectFlatten, "Flatten", "Draw every object into the image", {}},
        {kCmdObjectBringToFront, "Bring to Front", "Bring the selected object to the front", {}},
        {kCmdObjectSendToBack, "Send to Back", "Send the selected object to the back", {}},
        {kCmdObjectDelete, "Delete", "Delete the selected object", {}},
        {kCmdRotate, "Rotate...", "Rotate by any angle", {}},
        {kCmdRotate90, "&Rotate 90", "Rotate 90 degrees clockwise", {}},
        {kCmdRotate270, "Rotate 270", "Rotate 90 degrees counter-clockwise", {}},
        {kCmdFlipHorizontal, "Flip Horizontally", "Mirror left to right", {}},
        {kCmdFlipVertical, "Flip Vertically", "Mirror top to bottom", {}},
        {kCmdResize, "Resize...", "Change the image size", {}},
        {kCmdBrightnessContrast, "Brightness/Contrast", "Adjust brightness and contrast", {}},
        {kCmdHueSaturation, "Hue/Saturation", "Adjust hue and saturation", {}},
        {kCmdColorTone, "Color Tone", "Tint the image with one colour", {}},
        {kCmdRgbValue, "&RGB Value", "Shift the red, green and blue values", {}},
        {kCmdColorLevel, "&Color Level", "Stretch the colour levels", {}},
        {kCmdAutoColorLevel, "Auto Color Level", "Stretch the colour levels automatically", {}},
        {kCmdGreyImage, "&Gray Image", "Convert to grey", {}},
        {kCmdInvert, "&Invert", "Invert the colours", {}},
        {kCmdNoisy, "Noisy", "Add colour noise", {}},
        {kCmdBlot, "Blot", "Add grey noise", {}},
        {kCmdEmboss, "Emboss", "Emboss", {}},
        {kCmdOilPaint, "Oil Paint", "Oil paint", {}},
        {kCmdSplash, "Splash", "Splash", {}},
        {kCmdPosterize, "Posterize", "Posterize", {}},
        {kCmdMosaic, "Mosaic", "Mosaic", {}},
        {kCmdHalftone, "Halftone", "Halftone", {}},
        {kCmdBlur, "Blur", "Blur", {}},
        {kCmdRedact, "Redact", "Pixelate the Crop tool's band so that its text cannot be read", {K("Ctrl+Shift+X")}},
        {kCmdGrid, "3D Grid", "3D grid", {}},
    };
    return table;
}

const CommandInfo* FindCommand(unsigned id) {
    for (const CommandInfo& c : CommandTable())
        if (c.id == id) return &c;
    return nullptr;
}

const std::vector<MenuSpec>& MenuBarLayout() {
    static const std::vector<MenuSpec> menus = {
        {"&File",
         {kCmdFileNew, kCmdFileOpen, kCmdFileClose, kCmdFileSave, kCmdFileSaveAs, kSeparator, kCmdFilePrintSetup,
          kSeparator, kRecentFilesSlot, kSeparator, kCmdAppExit}},
        {"&Edit",
         {kCmdEditUndo, kCmdEditRedo, kSeparator, kCmdEditCut, kCmdEditCopy, kCmdEditPaste, kSeparator,
          kCmdDeleteObject}},
        {"&View", {kCmdViewToolBar, kCmdViewStatusBar, kSeparator, kCmdZoomIn, kCmdZoomOut, kCmdZoomActual}},
        {"&Capture",
         {kCmdCaptureFullScreen, kCmdCaptureRegion, kCmdCaptureWindow, kCmdCaptureActive, kCmdCaptureScroll,
          kCmdCaptureFixedRect, kSeparator, kCmdCaptureSetting}},
        {"&Image",
         {kCmdRotate, kCmdRotate90, kCmdRotate270, kCmdFlipHorizontal, kCmdFlipVertical, kCmdResize, kSeparator,
          kCmdBrightnessContrast, kCmdHueSaturation, kCmdColorTone, kCmdRgbValue, kCmdColorLevel, kCmdAutoColorLevel,
          kSeparator, kCmdGreyImage, kCmdInvert}},
        {"F&ilter",
         {kCmdNoisy, kCmdBlot, kCmdEmboss, kCmdOilPaint, kCmdSplash, kCmdPosterize, kCmdMosaic, kCmdHalftone, kCmdBlur,
          kCmdGrid, kSeparator, kCmdRedact}},
        {"&Tools",
         {kCmdToolMove, kCmdToolSelect, kCmdToolCrop, kCmdToolZoom, kSeparator, kCmdToolText, kCmdToolLine,
          kCmdToolShape, kCmdToolHighlight, kCmdToolArrow, kCmdToolStamp}},
        {"&Setting", {kCmdDefineHotkey, kCmdEnableHotkey, kSeparator, kCmdTrayMode}},
        {"&Help", {kCmdOnlineHelp, kCmdHomepage, kSeparator, kCmdAppAbout}},
    };
    return menus;
}

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
    switch (id) {
    case kCmdFileSave: return "Save";
    case kCmdFileSaveAs: return "Save As";
    case kCmdFileClose: return "Close";
    default: return nullptr;
    }
}

}  // namespace clipvane
