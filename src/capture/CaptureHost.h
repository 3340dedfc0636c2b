#pragma once
// What the capture driver needs from the application around it. The main
// frame implements it; tests use a fake.
#include <QString>

class QWidget;

namespace clipvane {

class PixelImage;

class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    // The main window, hidden and shown around captures (may be null).
    virtual QWidget* HostWindow() = 0;
    // Opens the capture in a new document window. With `recordUndo` (replace
    // mode found no document) the new document first records an undo step of
    // its still empty image, as a replacement would.
    virtual void DeliverNew(const PixelImage& image, bool recordUndo) = 0;
    // Replaces the active document's image, undoably; false when there is no document.
    virtual bool DeliverReplace(const PixelImage& image) = 0;
    // The image DeliverNew/DeliverReplace last delivered was auto-saved to
    // `path`: that document takes the path and title, and is no longer
    // modified when it shows exactly that image (it has no objects).
    virtual void SetDeliveredPath(const QString& path) = 0;
    // A message for the user (status bar or tray balloon), e.g. a failed auto-save.
    virtual void ReportMessage(const QString& text) = 0;
};

}  // namespace clipvane
