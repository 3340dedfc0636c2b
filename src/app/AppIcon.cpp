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
    {kCmdFileNew, "document-new", "document-new"},
    {kCmdFileOpen, "document-open", "document-open"},
    {kCmdFileSave, "document-save", "document-save"},
    {kCmdFileSaveAs, "document-save-as", nullptr},
    {kCmdFileClose, "document-close", nullptr},
    {kCmdAppExit, "application-exit", nullptr},
    {kCmdEditUndo, "edit-undo", "edit-undo"},
    {kCmdEditRedo, "edit-redo", "edit-redo"},
    {kCmdEditCut, "edit-cut", nullptr},
    {kCmdEditCopy, "edit-copy", nullptr},
    {kCmdEditPaste, "edit-paste", nullptr},
    {kCmdDeleteObject, "edit-delete", "edit-delete"},
    {kCmdObjectDelete, "edit-delete", "edit-delete"},
    {kCmdZoomIn, "zoom-in", "zoom-in"},
    {kCmdZoomOut, "zoom-out", "zoom-out"},
    {kCmdZoomActual, "zoom-original", "zoom-original"},
    {kCmdRotate90, "object-rotate-right", nullptr},
    {kCmdRotate270, "object-rotate-left", nullptr},
    {kCmdFlipHorizontal, "object-flip-horizontal", nullptr},
    {kCmdFlipVertical, "object-flip-vertical", nullptr},
    {kCmdOnlineHelp, "help-contents", nullptr},
    {kCmdAppAbout, "help-about", nullptr},
    // Capture modes and editor tools: no standard name means the same.
    {kCmdCaptureFullScreen, nullptr, "capture-fullscreen"},
    {kCmdCaptureRegion, nullptr, "capture-region"},
    {kCmdCaptureWindow, nullptr, "capture-window"},
    {kCmdCaptureActive, nullptr, "capture-active"},
    {kCmdToolMove, nullptr, "tool-move"},
    {kCmdToolSelect, nullptr, "tool-select"},
    {kCmdToolCrop, nullptr, "tool-crop"},
    {kCmdToolZoom, nullptr, "zoom-in"},
    {kCmdToolText, nullptr, "tool-text"},
    {kCmdToolLine, nullptr, "tool-line"},
    {kCmdToolArrow, nullptr, "tool-arrow"},
    {kCmdToolShape, nullptr, "tool-shape"},
    {kCmdToolHighlight, nullptr, "tool-highlight"},
    {kCmdToolStamp, nullptr, "tool-stamp"},
    {kCmdRedact, nullptr, "redact"},
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
