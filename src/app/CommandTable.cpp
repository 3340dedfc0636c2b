#include "app/CommandTable.h"

namespace clipvane {

namespace {

QKeySequence K(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {ID_FILE_NEW, "&New", "Create a new image", {QKeySequence::New}},
        {ID_FILE_OPEN, "&Open...", "Open an image file", {QKeySequence::Open}},
        {ID_FILE_CLOSE, "&Close", "Close the image", {K("Ctrl+W"), K("Ctrl+F4")}},
        {ID_FILE_SAVE, "&Save", "Save the image", {QKeySequence::Save}},
        {ID_FILE_SAVE_AS, "Save &As...", "Save the image under a new name", {K("Ctrl+Shift+S")}},
        {ID_FILE_PRINT_SETUP, "P&rint Setup...", "Choose a printer and its options", {}},
        {ID_APP_EXIT, "E&xit", "Quit Clipvane", {QKeySequence::Quit}},
        {ID_EDIT_UNDO, "&Undo", "Undo the last step", {K("Ctrl+Z"), K("Alt+Backspace")}},
        {ID_EDIT_REDO, "&Redo", "Redo the step undone last", {K("Ctrl+Y"), K("Ctrl+Shift+Z")}},
        {ID_EDIT_CUT, "Cu&t", "Cut the selection to the clipboard", {K("Ctrl+X"), K("Shift+Del")}},
        {ID_EDIT_COPY, "&Copy", "Copy the selection to the clipboard", {K("Ctrl+C"), K("Ctrl+Ins")}},
        {ID_EDIT_PASTE, "&Paste", "Paste the clipboard image", {K("Ctrl+V"), K("Shift+Ins")}},
        {ID_VIEW_TOOLBAR, "&Main Toolbar", "Show or hide the main tool bar", {}, true},
        {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar", {}, true},
        {ID_ZOOM_IN, "Zoom &In", "Zoom In", {K("Ctrl+="), K("Ctrl++")}},
        {ID_ZOOM_OUT, "Zoom &Out", "Zoom Out", {K("Ctrl+-")}},
        {ID_ZOOM_ACTUAL, "&Actual", "Actual", {K("Ctrl+0")}},
        {ID_CAPTURE_FULLSCREEN, "&Full Screen", "Capture the full screen", {}},
        {ID_CAPTURE_REGION, "&Rectangle Region", "Capture a rectangle region", {}},
        {ID_CAPTURE_WINDOW, "&Window / Object", "Capture a window or object", {}},
        {ID_CAPTURE_ACTIVE, "&Active Window", "Capture the active window", {}},
        {ID_CAPTURE_SCROLL, "&Scrolling Window", "Capture a scrolling window", {}},
        {ID_CAPTURE_FIXRECT, "Fixed Rectangle", "Capture a fixed-size rectangle", {}},
        {ID_CAPTURE_SETTING, "&Capture Setting", "Change the capture settings", {}},
        {ID_DEFINE_HOTKEY, "Define hotkey", "Define the capture hotkeys", {}},
        {ID_ENABLE_HOTKEY, "Enable hotkey", "Switch the capture hotkeys on or off", {}, true},
        {ID_TRAY_MODE, "Run as &tray mode", "Keep an icon in the notification area", {}, true},
        {ID_SHOW_HIDE_MAIN, "Show/Hide Main window", "Show or hide the main window", {}},
        {ID_APP_ABOUT, "&About...", "Program information and version", {}},
        {ID_ONLINE_HELP, "Online &Help", "Open the online help", {QKeySequence::HelpContents}},
        {ID_HOMEPAGE, "&Homepage", "Open the Clipvane home page", {}},
        {ID_TOOL_MOVE, "&Move", "Move", {K("M")}, true},
        {ID_TOOL_SELECT, "&Select", "Select", {K("S")}, true},
        {ID_TOOL_CROP, "&Crop", "Crop", {K("C")}, true},
        {ID_TOOL_ZOOM, "&Zoom", "Zoom", {K("Z")}, true},
        {ID_TOOL_TEXT, "&Text", "Text", {K("T")}, true},
        {ID_TOOL_LINE, "&Line", "Line", {K("L")}, true},
        {ID_TOOL_SHAPE, "S&hape", "Shape", {K("R")}, true},
        {ID_TOOL_HIGHLIGHT, "H&ighlight", "Highlight", {K("H")}, true},
        {ID_TOOL_ARROW, "&Arrow", "Arrow", {K("A")}, true},
        {ID_TOOL_STAMP, "Stam&p", "Stamp", {K("P")}, true},
        {ID_DELETE_OBJECT, "&Delete Object", "Delete the selected object", {}},
        {ID_OBJ_EDIT_TEXT, "Edit Text", "Edit the selected text", {}},
        {ID_OBJ_FLATTEN, "Flatten", "Draw every object into the image", {}},
        {ID_OBJ_BRING_FRONT, "Bring to Front", "Bring the selected object to the front", {}},
        {ID_OBJ_SEND_BACK, "Send to Back", "Send the selected object to the back", {}},
        {ID_OBJ_DELETE, "Delete", "Delete the selected object", {}},
        {ID_IMAGE_ROTATE, "Rotate...", "Rotate by any angle", {}},
        {ID_IMAGE_ROTATE90, "&Rotate 90", "Rotate 90 degrees clockwise", {}},
        {ID_IMAGE_ROTATE270, "Rotate 270", "Rotate 90 degrees counter-clockwise", {}},
        {ID_IMAGE_FLIP_H, "Flip Horizontally", "Mirror left to right", {}},
        {ID_IMAGE_FLIP_V, "Flip Vertically", "Mirror top to bottom", {}},
        {ID_IMAGE_RESIZE, "Resize...", "Change the image size", {}},
        {ID_IMAGE_BRIGHT_CONTRAST, "Brightness/Contrast", "Adjust brightness and contrast", {}},
        {ID_IMAGE_HUE_SATURATION, "Hue/Saturation", "Adjust hue and saturation", {}},
        {ID_IMAGE_COLOR_TONE, "Color Tone", "Tint the image with one colour", {}},
        {ID_IMAGE_RGB_VALUE, "&RGB Value", "Shift the red, green and blue values", {}},
        {ID_IMAGE_COLOR_LEVEL, "&Color Level", "Stretch the colour levels", {}},
        {ID_IMAGE_AUTO_LEVEL, "Auto Color Level", "Stretch the colour levels automatically", {}},
        {ID_IMAGE_GRAY, "&Gray Image", "Convert to grey", {}},
        {ID_IMAGE_INVERT, "&Invert", "Invert the colours", {}},
        {ID_FILTER_NOISY, "Noisy", "Add colour noise", {}},
        {ID_FILTER_BLOT, "Blot", "Add grey noise", {}},
        {ID_FILTER_EMBOSS, "Emboss", "Emboss", {}},
        {ID_FILTER_OILPAINT, "Oil Paint", "Oil paint", {}},
        {ID_FILTER_SPLASH, "Splash", "Splash", {}},
        {ID_FILTER_POSTERIZE, "Posterize", "Posterize", {}},
        {ID_FILTER_MOSAIC, "Mosaic", "Mosaic", {}},
        {ID_FILTER_HALFTONE, "Halftone", "Halftone", {}},
        {ID_FILTER_BLUR, "Blur", "Blur", {}},
        {ID_FILTER_REDACT,
         "Redact",
         "Pixelate the Crop tool's band so that its text cannot be read",
         {K("Ctrl+Shift+X")}},
        {ID_FILTER_GRID, "3D Grid", "3D grid", {}},
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
         {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, kSeparator, ID_FILE_PRINT_SETUP,
          kSeparator, kRecentFilesSlot, kSeparator, ID_APP_EXIT}},
        {"&Edit",
         {ID_EDIT_UNDO, ID_EDIT_REDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, kSeparator,
          ID_DELETE_OBJECT}},
        {"&View", {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, kSeparator, ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ACTUAL}},
        {"&Capture",
         {ID_CAPTURE_FULLSCREEN, ID_CAPTURE_REGION, ID_CAPTURE_WINDOW, ID_CAPTURE_ACTIVE, ID_CAPTURE_SCROLL,
          ID_CAPTURE_FIXRECT, kSeparator, ID_CAPTURE_SETTING}},
        {"&Image",
         {ID_IMAGE_ROTATE, ID_IMAGE_ROTATE90, ID_IMAGE_ROTATE270, ID_IMAGE_FLIP_H, ID_IMAGE_FLIP_V, ID_IMAGE_RESIZE,
          kSeparator, ID_IMAGE_BRIGHT_CONTRAST, ID_IMAGE_HUE_SATURATION, ID_IMAGE_COLOR_TONE, ID_IMAGE_RGB_VALUE,
          ID_IMAGE_COLOR_LEVEL, ID_IMAGE_AUTO_LEVEL, kSeparator, ID_IMAGE_GRAY, ID_IMAGE_INVERT}},
        {"F&ilter",
         {ID_FILTER_NOISY, ID_FILTER_BLOT, ID_FILTER_EMBOSS, ID_FILTER_OILPAINT, ID_FILTER_SPLASH, ID_FILTER_POSTERIZE,
          ID_FILTER_MOSAIC, ID_FILTER_HALFTONE, ID_FILTER_BLUR, ID_FILTER_GRID, kSeparator, ID_FILTER_REDACT}},
        {"&Tools",
         {ID_TOOL_MOVE, ID_TOOL_SELECT, ID_TOOL_CROP, ID_TOOL_ZOOM, kSeparator, ID_TOOL_TEXT, ID_TOOL_LINE,
          ID_TOOL_SHAPE, ID_TOOL_HIGHLIGHT, ID_TOOL_ARROW, ID_TOOL_STAMP}},
        {"&Setting", {ID_DEFINE_HOTKEY, ID_ENABLE_HOTKEY, kSeparator, ID_TRAY_MODE}},
        {"&Help", {ID_ONLINE_HELP, ID_HOMEPAGE, kSeparator, ID_APP_ABOUT}},
    };
    return menus;
}

const std::vector<unsigned>& MainToolBarLayout() {
    static const std::vector<unsigned> ids = {
        ID_FILE_NEW,       ID_FILE_OPEN,      ID_FILE_SAVE,      kSeparator,  ID_CAPTURE_FULLSCREEN,
        ID_CAPTURE_REGION, ID_CAPTURE_WINDOW, ID_CAPTURE_ACTIVE, kSeparator,  ID_EDIT_UNDO,
        ID_EDIT_REDO,      kSeparator,        ID_ZOOM_IN,        ID_ZOOM_OUT, ID_ZOOM_ACTUAL};
    return ids;
}

const std::vector<unsigned>& ToolsToolBarLayout() {
    static const std::vector<unsigned> ids = {
        ID_TOOL_MOVE,  ID_TOOL_SELECT,    ID_TOOL_CROP,  ID_TOOL_ZOOM,  kSeparator, ID_TOOL_TEXT,     ID_TOOL_LINE,
        ID_TOOL_SHAPE, ID_TOOL_HIGHLIGHT, ID_TOOL_ARROW, ID_TOOL_STAMP, kSeparator, ID_DELETE_OBJECT, ID_FILTER_REDACT};
    return ids;
}

const std::vector<unsigned>& TrayMenuLayout() {
    static const std::vector<unsigned> ids = {ID_SHOW_HIDE_MAIN, ID_CAPTURE_FULLSCREEN, ID_CAPTURE_WINDOW,
                                              ID_CAPTURE_REGION, ID_CAPTURE_ACTIVE,     kSeparator,
                                              ID_APP_EXIT};
    return ids;
}

const std::vector<unsigned>& TabMenuLayout() {
    static const std::vector<unsigned> ids = {ID_FILE_SAVE, ID_FILE_SAVE_AS, kSeparator, ID_FILE_CLOSE};
    return ids;
}

const char* TabMenuText(unsigned id) {
    switch (id) {
    case ID_FILE_SAVE: return "Save";
    case ID_FILE_SAVE_AS: return "Save As";
    case ID_FILE_CLOSE: return "Close";
    default: return nullptr;
    }
}

}  // namespace clipvane
