#include "app/ChildFrame.h"

#include <QCloseEvent>

#include "document/GrabwellDoc.h"
#include "editor/view/GrabwellView.h"

namespace cv {

CChildFrame::CChildFrame(CGrabwellDoc* document, QWidget* parent) : QMdiSubWindow(parent), doc_(document) {
    setAttribute(Qt::WA_DeleteOnClose);
    doc_->setParent(this);
    view_ = new CGrabwellView(doc_, this);
    setWidget(view_);
    RefreshTitle();
    connect(doc_, &CGrabwellDoc::changed, this, &CChildFrame::RefreshTitle);
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::RefreshTitle() {
    const QString title = doc_->Title() + (doc_->IsModified() ? QStringLiteral(" *") : QString());
    if (windowTitle() != title) setWindowTitle(title);
    if (!doc_->PathName().isEmpty()) setToolTip(doc_->PathName());
}

void CChildFrame::CloseWithoutPrompt() {
    confirmed_ = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!confirmed_ && canClose && !canClose(this)) {
        event->ignore();
        return;
    }
    confirmed_ = true;
    closing_ = true;
    QMdiSubWindow::closeEvent(event);
}

}  // namespace cv
