#include "app/AppIcon.h"

#include <QString>

#include "app/CommandIds.h"

namespace clipvane {

namespace {

// Per command: the freedesktop icon name looked up in the desktop's theme
// (null where no standard name means the same thing) and the program's own
// drawing under :/clipvane/icons/ (null for theme-only icons).
struct IconSource {
    unsigned id;
    const char* themeName;
    const char* ownFile;
};

constexpr IconSource kIconSources[] = {
    {ID_FILE_NEW, "document-new", "document-new"},
    {ID_FILE_OPEN, "document-open", "document-open"},
    {ID_FILE_SAVE, "document-save", "document-save"},
    {ID_FILE_SAVE_AS, "document-save-as", nullptr},
    {ID_FILE_CLOSE, "document-close", nullptr},
    {ID_APP_EXIT, "application-exit", nullptr},
    {ID_EDIT_UNDO, "edit-undo", "edit-undo"},
    {ID_EDIT_REDO, "edit-redo", "edit-redo"},
    {ID_EDIT_CUT, "edit-cut", nullptr},
    {ID_EDIT_COPY, "edit-copy", nullptr},
    {ID_EDIT_PASTE, "edit-paste", nullptr},
    {ID_DELETE_OBJECT, "edit-delete", "edit-delete"},
    {ID_OBJ_DELETE, "edit-delete", "edit-delete"},
    {ID_ZOOM_IN, "zoom-in", "zoom-in"},
    {ID_ZOOM_OUT, "zoom-out", "zoom-out"},
    {ID_ZOOM_ACTUAL, "zoom-original", "zoom-original"},
    {ID_IMAGE_ROTATE90, "object-rotate-right", nullptr},
    {ID_IMAGE_ROTATE270, "object-rotate-left", nullptr},
    {ID_IMAGE_FLIP_H, "object-flip-horizontal", nullptr},
    {ID_IMAGE_FLIP_V, "object-flip-vertical", nullptr},
    {ID_ONLINE_HELP, "help-contents", nullptr},
    {ID_APP_ABOUT, "help-about", nullptr},
    // Capture modes and editor tools: no standard name means the same.
    {ID_CAPTURE_FULLSCREEN, nullptr, "capture-fullscreen"},
    {ID_CAPTURE_REGION, nullptr, "capture-region"},
    {ID_CAPTURE_WINDOW, nullptr, "capture-window"},
    {ID_CAPTURE_ACTIVE, nullptr, "capture-active"},
    {ID_TOOL_MOVE, nullptr, "tool-move"},
    {ID_TOOL_SELECT, nullptr, "tool-select"},
    {ID_TOOL_CROP, nullptr, "tool-crop"},
    {ID_TOOL_ZOOM, nullptr, "zoom-in"},
    {ID_TOOL_TEXT, nullptr, "tool-text"},
    {ID_TOOL_LINE, nullptr, "tool-line"},
    {ID_TOOL_ARROW, nullptr, "tool-arrow"},
    {ID_TOOL_SHAPE, nullptr, "tool-shape"},
    {ID_TOOL_HIGHLIGHT, nullptr, "tool-highlight"},
    {ID_TOOL_STAMP, nullptr, "tool-stamp"},
    {ID_FILTER_REDACT, nullptr, "redact"},
};

QIcon OwnIcon(const char* file) { return QIcon(QStringLiteral(":/clipvane/icons/%1.svg").arg(QLatin1String(file))); }

}  // namespace

QIcon ApplicationIcon() {
    static const QIcon icon(QStringLiteral(":/clipvane/clipvane.svg"));
    return icon;
}

QIcon CommandIcon(unsigned id) {
    for (const IconSource& source : kIconSources) {
        if (source.id != id) continue;
        const QIcon own = source.ownFile ? OwnIcon(source.ownFile) : QIcon();
        return source.themeName ? QIcon::fromTheme(QLatin1String(source.themeName), own) : own;
    }
    return QIcon();
}

}  // namespace clipvane
