#pragma once
// The editor view of one document: the image with its objects at one of ten
// zoom levels on a grey background with a 5-pixel margin, scrolling, the
// tools' mouse handling (through ToolController) and the crop.
#include <QAbstractScrollArea>
#include <QPointer>

#include "document/ImageDocument.h"
#include "editor/tools/ToolController.h"
#include "editor/view/ViewState.h"

namespace clipvane {


class EditorView : public QAbstractScrollArea, public ToolHost {
    Q_OBJECT
public:
    explicit EditorView(ImageDocument* document, QWidget* parent = nullptr);

    ImageDocument* Document() override { return doc_; }
    ViewState& State() override { return state_; }
    const ViewState& State() const { return state_; }
    ToolController& Tools() { return tools_; }

    // Zoom commands and their enabled states.
    void ZoomIn() override;
    void ZoomOut() override;
    void ZoomActual();
    bool CanZoomIn() const { return state_.zoomIndex < kZoomLevels - 1; }
    bool CanZoomOut() const { return state_.zoomIndex > 0; }
    bool CanZoomActual() const { return state_.zoomIndex != kZoomActualIndex; }
    void SetZoomIndex(int index);

    // Enter: crops the document image to the band (one undo step). False when
    // there was nothing to crop.
    bool CommitCrop();
    // Esc: drops the band.
    void ClearBand();
    void ClearSelection() { state_.ClearSelection(); }

    // "  Size: W x H" and "Zoom: N%" for the status bar.
    QString SizeText() const;
    QString ZoomText() const;
    // The scroll range: zoomed image size plus the margins.
    QSize ScrollRangeSize() const;

    int ScrollX() const override;
    int ScrollY() const override;
    bool HasHorizontalScroll() const override;
    bool HasVerticalScroll() const override;
    void ScrollTo(int x, int y) override;
    void ShowCursor(ViewCursor cursor) override;
    void Redraw() override;
    void ToolChanged(EditorTool tool) override;

signals:
    // The status-bar texts (size, zoom) or the undo state may have changed.
    void statusChanged();
    // A tool change asks the frame to show that tool's panel.
    void toolPanelRequested(int tool);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void DocumentChanged();
    void ApplyZoom();
    void UpdateScrollBars();
    QPoint ViewPoint(const QPointF& client) const;

    QPointer<ImageDocument> doc_;
    ViewState state_;
    ToolController tools_{*this};
};

}  // namespace clipvane
