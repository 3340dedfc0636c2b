#include "editor/view/EditorView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "document/ImageDocument.h"
#include "editor/view/ViewCursors.h"
#include "editor/view/ViewPainter.h"

namespace clipvane {

EditorView::EditorView(ImageDocument* document, QWidget* parent) : QAbstractScrollArea(parent), doc_(document) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    ShowCursor(ToolController::CursorFor(state_.tool));
    if (doc_) {
        connect(doc_, &ImageDocument::changed, this, &EditorView::DocumentChanged);
        connect(doc_, &ImageDocument::objectsAboutToBeReplaced, this, [this] {
            state_.ClearSelection();
            state_.buttonDown = false;
        });
    }
    DocumentChanged();
}

void EditorView::DocumentChanged() {
    const int w = doc_ ? doc_->image.Width() : 0;
    const int h = doc_ ? doc_->image.Height() : 0;
    if (w != state_.imageWidth || h != state_.imageHeight) {
        state_.imageWidth = w;
        state_.imageHeight = h;
        // A band drawn on the old size may lie outside the new image.
        state_.ClearBand();
        UpdateScrollBars();
    } else if (state_.tool == EditorTool::Crop && state_.bandValid && doc_) {
        // The image changed under a crop band (an effect, a paste): the
        // darkened surround follows it instead of showing the old pixels.
        state_.preview = DarkenedCopy(doc_->image);
    }
    viewport()->update();
    emit statusChanged();
}

QSize EditorView::ScrollRangeSize() const {
    const ScrollExtent e = ScrollRange(state_.imageWidth, state_.imageHeight, state_.Factor());
    return {e.width, e.height};
}

void EditorView::UpdateScrollBars() {
    const QSize range = ScrollRangeSize();
    const QSize vp = viewport()->size();
    horizontalScrollBar()->setPageStep(vp.width());
    verticalScrollBar()->setPageStep(vp.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setRange(0, std::max(0, range.width() - vp.width()));
    verticalScrollBar()->setRange(0, std::max(0, range.height() - vp.height()));
}

void EditorView::ApplyZoom() {
    UpdateScrollBars();
    state_.band = ImageToZoomed(state_.bandImage, state_.Factor());
    viewport()->update();
    emit statusChanged();
}

void EditorView::ZoomIn() {
    if (CanZoomIn()) {
        ++state_.zoomIndex;
        ApplyZoom();
    }
    viewport()->update();
}

void EditorView::ZoomOut() {
    if (CanZoomOut()) {
        --state_.zoomIndex;
        ApplyZoom();
    }
    viewport()->update();
}

void EditorView::ZoomActual() {
    if (!CanZoomActual()) return;
    state_.zoomIndex = kZoomActualIndex;
    ApplyZoom();
}

void EditorView::SetZoomIndex(int index) {
    if (index < 0 || index >= kZoomLevels || index == state_.zoomIndex) return;
    state_.zoomIndex = index;
    ApplyZoom();
}

bool EditorView::CommitCrop() {
    if (!doc_ || state_.tool != EditorTool::Crop || !state_.bandValid) return false;
    const Rect r = state_.bandImage;
    if (r.right <= r.left || r.bottom <= r.top) return false;
    PixelImage cropped;
    // A failed copy (no memory) leaves the image as it was.
    if (!CopyRegion(doc_->image, &cropped, r)) return false;
    doc_->RecordUndo(doc_->image);
    doc_->image = std::move(cropped);
    doc_->image.originX = doc_->image.originY = 0;
    state_.ClearBand();
    state_.preview = DarkenedCopy(doc_->image);
    doc_->ImageEdited();
    DocumentChanged();
    return true;
}

void EditorView::ClearBand() {
    state_.ClearBand();
    viewport()->update();
}

QString EditorView::SizeText() const {
    return QStringLiteral("  Size: %1 x %2").arg(state_.imageWidth).arg(state_.imageHeight);
}

QString EditorView::ZoomText() const { return QStringLiteral("Zoom: %1%").arg(ZoomPercent(state_.zoomIndex)); }

int EditorView::ScrollX() const { return horizontalScrollBar()->value(); }
int EditorView::ScrollY() const { return verticalScrollBar()->value(); }
bool EditorView::HasHorizontalScroll() const { return horizontalScrollBar()->maximum() > 0; }
bool EditorView::HasVerticalScroll() const { return verticalScrollBar()->maximum() > 0; }

void EditorView::ScrollTo(int x, int y) {
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void EditorView::ShowCursor(ViewCursor cursor) { viewport()->setCursor(CursorShape(cursor)); }

void EditorView::Redraw() { viewport()->update(); }

void EditorView::ToolChanged(EditorTool tool) { emit toolPanelRequested(int(tool)); }

void EditorView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    PaintView(p, state_, doc_, {ScrollX(), ScrollY(), viewport()->width(), viewport()->height()});
}

void EditorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void EditorView::scrollContentsBy(int, int) { viewport()->update(); }

QPoint EditorView::ViewPoint(const QPointF& client) const {
    const QPoint pt = client.toPoint();
    return {pt.x() - kViewMargin, pt.y() - kViewMargin};
}

void EditorView::mousePressEvent(QMouseEvent* event) {
    const QPoint v = ViewPoint(event->position());
    if (event->button() == Qt::LeftButton) tools_.Press(v.x(), v.y());
    else if (event->button() == Qt::RightButton) tools_.RightPress();
    viewport()->update();
    emit statusChanged();  // a press may have recorded an undo step
}

void EditorView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint v = ViewPoint(event->position());
    tools_.Move(v.x(), v.y());
}

void EditorView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint v = ViewPoint(event->position());
    tools_.Release(v.x(), v.y());
    viewport()->update();
    emit statusChanged();
}

void EditorView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0) ZoomIn();
        else if (event->angleDelta().y() < 0) ZoomOut();
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void EditorView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CommitCrop();
        viewport()->update();
        return;
    case Qt::Key_Escape:
        ClearBand();
        return;
    default: QAbstractScrollArea::keyPressEvent(event);
    }
}

}  // namespace clipvane
