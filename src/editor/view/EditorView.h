#pragma once
// The editor view of one document: the image with its objects at one of ten
// zoom levels on a grey background with a 5-pixel margin, scrolling, the
// selected object, and the tools, which get the view's mouse and key input
// through its ToolController.
#include <QAbstractScrollArea>
#include <QPointer>

#include <memory>

#include "annotation/ObjectGeometry.h"
#include "document/ImageDocument.h"
#include "editor/tools/DrawingStyle.h"
#include "editor/tools/ToolController.h"
#include "editor/view/ClipboardCommands.h"
#include "editor/view/ViewCommands.h"
#include "editor/view/ViewState.h"

class QMenu;

namespace clipvane {

class EffectDialogs;
class StampLibrary;
class TextEditDialog;

class EditorView : public QAbstractScrollArea, public ToolHost {
    Q_OBJECT
public:
    explicit EditorView(ImageDocument* document, QWidget* parent = nullptr);
    ~EditorView() override;

    ImageDocument* Document() override { return doc_; }
    ObjectSelection& Selection() override { return selection_; }
    ViewMetrics Metrics() const override;
    ViewState& State() { return state_; }
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

    // Drops the selected object and what the current tool holds of it, and
    // ends a drag (the document's objects are being replaced).
    void ClearSelection();

    // "  Size: W x H" and "Zoom: N%" for the status bar.
    QString SizeText() const;
    QString ZoomText() const;
    // The scroll range: zoomed image size plus the margins.
    QSize ScrollRangeSize() const;

    int ScrollX() const;
    int ScrollY() const;
    bool HasHorizontalScroll() const;
    bool HasVerticalScroll() const;
    void ScrollTo(int x, int y) override;
    void ShowCursor(ViewCursor cursor) override;
    void Redraw() override;
    void ToolChanged(EditorTool tool) override;
    const DrawingStyle& Style() const override { return style_; }
    PixelImage StampImage(int index) override;
    bool EditText(TextObject& object) override;
    void RequestTool(EditorTool tool) override;
    void SelectionChanged() override;

    // The object commands: each needs a selected object, "Edit Text" a
    // selected Text object. Run returns false for a command that cannot run.
    static bool IsViewCommand(unsigned id);
    bool CanRunCommand(unsigned id) const;
    bool RunCommand(unsigned id);
    // The context menu of the selected object ("Edit Text", "Flatten",
    // "Layer", "Delete"); null when nothing is selected. Its items go through
    // RouteCommand. The caller owns the menu.
    QMenu* CreateObjectMenu(QWidget* parent);
    // A command chosen in the view: to the frame's dispatcher when one
    // listens to commandRequested, otherwise run here.
    void RouteCommand(unsigned id);

    // Clipboard exchange. The region is the current tool's band when it covers
    // at least one image pixel, otherwise the whole image. Copy also drops
    // the selected object; Cut paints the band white; Paste puts the
    // clipboard's picture at the top-left corner, asking first when it is
    // larger than the image. Cut and Paste are undo steps.
    Rect ClipboardBand();
    bool Copy();
    bool Cut();
    PasteResult Paste();
    // Replaces the expand question of Paste (null restores the message box).
    static void SetExpandQuestionForTesting(ExpandAnswer (*ask)());

    // The Image and Filter commands on this view's document. While the Crop
    // tool's band is shown, the commands that keep the image's size work on
    // the band only and the band stays; the others work on the whole image
    // and drop the band. Redact pixelates the band; false, with nothing done,
    // when there is no band to redact.
    Rect EffectBand();
    bool RunEffectCommand(int id, EffectDialogs* dialogs);

    // The stamp pictures, read from the stamp folders at the first use.
    StampLibrary& Stamps();
    // Replaces the modal run of the "Edit Text" dialog (null restores it);
    // the runner returns the dialog's result code.
    static void SetTextDialogRunnerForTesting(int (*run)(TextEditDialog&));

    // The values of the tool panel now shown (the frame passes them on from
    // the "Param Setting" bar). With `applyToSelected`, a change the user made
    // in the panel, they also go into the selected object at once; nothing is
    // recorded for undo.
    void SetPanelStyle(const DrawingStyle& style, bool applyToSelected);

signals:
    // The status-bar texts (size, zoom) or the undo state may have changed.
    void statusChanged();
    // A tool change asks the frame to show that tool's panel.
    void toolPanelRequested(int tool);
    // The selected object changed; the panel should show its values
    // (StyleOf the selected object, in the panel of PanelToolFor its kind).
    void selectionChanged();
    // An object command was chosen in the view (its context menu).
    void commandRequested(unsigned id);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void DocumentChanged();
    void ApplyZoom();
    void UpdateScrollBars();
    QPoint ViewPoint(const QPointF& client) const;

    QPointer<ImageDocument> doc_;
    ViewState state_;
    ObjectSelection selection_;
    DrawingStyle style_;
    std::unique_ptr<StampLibrary> stamps_;
    ToolController tools_{*this};
};

}  // namespace clipvane
