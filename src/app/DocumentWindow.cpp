#include "app/DocumentWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QTimer>

#include "document/ImageDocument.h"
#include "editor/view/EditorView.h"

namespace clipvane {

DocumentWindow::DocumentWindow(ImageDocument* document, QWidget* parent) : QMdiSubWindow(parent), doc_(document) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The window's own menu (Close on Ctrl+W and Ctrl+F4, Restore, ...) is
    // never shown in tabbed view; its shortcuts would shadow File / Close.
    if (QMenu* menu = systemMenu())
        for (QAction* action : menu->actions()) action->setShortcuts({});
    doc_->setParent(this);
    view_ = new EditorView(doc_, this);
    setWidget(view_);
    RefreshTitle();
    connect(doc_, &ImageDocument::changed, this, &DocumentWindow::RefreshTitle);
}

DocumentWindow::~DocumentWindow() = default;

void DocumentWindow::RefreshTitle() {
    const QString title = doc_->Title() + (doc_->IsModified() ? QStringLiteral(" *") : QString());
    if (windowTitle() != title) setWindowTitle(title);
    if (!doc_->PathName().isEmpty()) setToolTip(doc_->PathName());
}

void DocumentWindow::CloseWithoutPrompt() {
    confirmed_ = true;
    close();
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    if (doc_->IsBusy()) {
        // Work runs on the document: stop it, and close once it has ended
        // (asking as usual then).
        doc_->CancelWork();
        event->ignore();
        connect(
            doc_, &ImageDocument::workFinished, this, [this] { QTimer::singleShot(0, this, [this] { close(); }); },
            Qt::SingleShotConnection);
        return;
    }
    if (!confirmed_ && canClose && !canClose(this)) {
        event->ignore();
        return;
    }
    confirmed_ = true;
    closing_ = true;
    QMdiSubWindow::closeEvent(event);
}

}  // namespace clipvane
