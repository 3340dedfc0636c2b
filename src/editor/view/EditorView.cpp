#include "editor/view/EditorView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "document/Clipboard.h"
#include "document/ImageDocument.h"
#include "editor/dialogs/TextEditDialog.h"
#include "editor/tools/BandTool.h"
#include "image/effects/EffectRegistry.h"
#include "editor/tools/StampLibrary.h"
#include "editor/tools/ViewCursors.h"
#include "editor/view/ViewPainter.h"

namespace clipvane {

namespace {

int (*g_textDialogRunner)(TextEditDialog&) = nullptr;
ExpandAnswer (*g_expandQuestion)() = nullptr;

}  // namespace

void EditorView::SetTextDialogRunnerForTesting(int (*run)(TextEditDialog&)) { g_textDialogRunner = run; }

void EditorView::SetExpandQuestionForTesting(ExpandAnswer (*ask)()) { g_expandQuestion = ask; }

Rect EditorView::ClipboardBand() {
    const auto* band = dynamic_cast<const BandTool*>(&tools_.Current());
    if (!band || !band->BandValid()) return {};
    return band->BandImage();
}

Rect EditorView::EffectBand() {
    if (tools_.CurrentTool() != EditorTool::Crop) return {};
    const auto& crop = static_cast<const BandTool&>(tools_.Current());
    if (!crop.BandValid() || !doc_) return {};
    const Rect band = crop.BandImage().Intersected(Rect{0, 0, doc_->image.Width(), doc_->image.Height()});
    return band.IsEmpty() ? Rect{} : band;
}

bool EditorView::RunEffectCommand(int id, EffectDialogs* dialogs) {
    if (!doc_) return false;
    Rect band = EffectBand();
    // A command on the band alone (Redact) does nothing without one.
    const EffectEntry* entry = FindEffect(id);
    if (entry && entry->dialog == EffectDialog::Band) return !band.IsEmpty() && doc_->Redact(band);
    if (!EffectCommandKeepsSize(id) && !band.IsEmpty()) {
        // A rotation, flip or resize moves the pixels the band was drawn over.
        static_cast<BandTool&>(tools_.Current()).ClearBand();
        band = {};
        viewport()->update();
    }
    doc_->OnEffectCommand(id, dialogs, band);
    return true;
}

bool EditorView::Copy() {
    if (!doc_) return false;
    if (selection_.selected) {
        selection_.Clear();
        emit selectionChanged();
    }
    const bool copied = CopyImageRegion(doc_->image, ClipboardBand());
    viewport()->update();
    return copied;
}

bool EditorView::Cut() {
    if (!doc_) return false;
    const bool copied = CutImageRegion(*doc_, ClipboardBand());
    viewport()->update();
    emit statusChanged();
    return copied;
}

PasteResult EditorView::Paste() {
    if (!doc_) return PasteResult::Nothing;
    PixelImage picture;
    if (!ReadClipboardImage(picture)) {
        // A picture that is there but cannot be read is said so, not ignored.
        const QString why = ClipboardImageRefusal();
        if (!why.isEmpty())
            QMessageBox::warning(this, QStringLiteral("Paste"),
                                 QStringLiteral("The picture on the clipboard cannot be pasted: %1.").arg(why));
        return PasteResult::Nothing;
    }
    const PasteResult result =
        PasteImage(*doc_, picture, [] { return g_expandQuestion ? g_expandQuestion() : AskExpandImage(); });
    viewport()->update();
    emit statusChanged();
    return result;
}

bool EditorView::event(QEvent* event) {
    // Shift+Delete is Cut's key; with an object selected it deletes the
    // object as well. The shortcut itself still runs Cut afterwards.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ShiftModifier) && selection_.selected) {
            tools_.DeleteSelected();
            viewport()->update();
            emit statusChanged();
        }
    }
    return QAbstractScrollArea::event(event);
}

EditorView::~EditorView() = default;

EditorView::EditorView(ImageDocument* document, QWidget* parent) : QAbstractScrollArea(parent), doc_(document) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    ShowCursor(tools_.Current().Cursor());
    if (doc_) {
        connect(doc_, &ImageDocument::changed, this, &EditorView::DocumentChanged);
        connect(doc_, &ImageDocument::objectsAboutToBeReplaced, this, &EditorView::ClearSelection);
    }
    DocumentChanged();
}

void EditorView::DocumentChanged() {
    const int w = doc_ ? doc_->image.Width() : 0;
    const int h = doc_ ? doc_->image.Height() : 0;
    if (w != state_.imageWidth || h != state_.imageHeight) {
        state_.imageWidth = w;
        state_.imageHeight = h;
        tools_.Current().ImageChanged(true);
        UpdateScrollBars();
    } else {
        tools_.Current().ImageChanged(false);
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
    tools_.Current().ZoomChanged();
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

void EditorView::ClearSelection() {
    const bool had = selection_.selected != nullptr;
    selection_.Clear();
    tools_.SelectionCleared();
    if (had) emit selectionChanged();
}

ViewMetrics EditorView::Metrics() const {
    ViewMetrics m;
    m.imageWidth = state_.imageWidth;
    m.imageHeight = state_.imageHeight;
    m.factor = state_.Factor();
    m.scrollX = ScrollX();
    m.scrollY = ScrollY();
    m.horizontalScroll = HasHorizontalScroll();
    m.verticalScroll = HasVerticalScroll();
    return m;
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

StampLibrary& EditorView::Stamps() {
    if (!stamps_) {
        stamps_ = std::make_unique<StampLibrary>();
        stamps_->LoadStamps();
    }
    return *stamps_;
}

PixelImage EditorView::StampImage(int index) { return index > 0 ? Stamps().SelectedStampImage(index) : PixelImage(); }

bool EditorView::EditText(TextObject& object) {
    TextEditDialog dialog(object, this);
    const int result = g_textDialogRunner ? g_textDialogRunner(dialog) : dialog.exec();
    return result == QDialog::Accepted;
}

bool EditorView::IsViewCommand(unsigned id) {
    switch (id) {
    case kViewEditText:
    case kViewFlatten:
    case kViewBringToFront:
    case kViewSendToBack:
    case kViewDelete:
    case kViewDeleteObject: return true;
    default: return false;
    }
}

bool EditorView::CanRunCommand(unsigned id) const {
    if (!IsViewCommand(id) || !doc_ || !selection_.selected) return false;
    return id != kViewEditText || HasEditableText(selection_.selected->kind);
}

bool EditorView::RunCommand(unsigned id) {
    if (!CanRunCommand(id)) return false;
    const AnnotationObject* selected = selection_.selected;
    switch (id) {
    case kViewEditText: tools_.EditSelectedText(); break;
    case kViewFlatten:
        // Every object is burned in, the selected one with them.
        ClearSelection();
        doc_->Flatten();
        break;
    case kViewBringToFront: doc_->BringToFront(selected); break;
    case kViewSendToBack: doc_->SendToBack(selected); break;
    case kViewDelete:
    case kViewDeleteObject: tools_.DeleteSelected(); break;
    default: break;
    }
    viewport()->update();
    emit statusChanged();
    return true;
}

QMenu* EditorView::CreateObjectMenu(QWidget* parent) {
    if (!selection_.selected) return nullptr;
    auto* menu = new QMenu(parent);
    auto add = [this](QMenu* to, const char* text, unsigned id) {
        QAction* action = to->addAction(tr(text));
        action->setData(id);
        action->setEnabled(CanRunCommand(id));
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    };
    add(menu, QT_TR_NOOP("Edit Text"), kViewEditText);
    add(menu, QT_TR_NOOP("Flatten"), kViewFlatten);
    QMenu* layer = menu->addMenu(tr("Layer"));
    add(layer, QT_TR_NOOP("Bring to Front"), kViewBringToFront);
    add(layer, QT_TR_NOOP("Send to Back"), kViewSendToBack);
    menu->addSeparator();
    add(menu, QT_TR_NOOP("Delete"), kViewDelete);
    return menu;
}

void EditorView::RouteCommand(unsigned id) {
    if (isSignalConnected(QMetaMethod::fromSignal(&EditorView::commandRequested)))
        emit commandRequested(id);
    else
        RunCommand(id);
}

void EditorView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(CreateObjectMenu(this));
    if (!menu) return;
    menu->exec(event->globalPos());
}

void EditorView::RequestTool(EditorTool tool) { tools_.SetTool(tool); }

void EditorView::SelectionChanged() { emit selectionChanged(); }

void EditorView::SetPanelStyle(const DrawingStyle& style, bool applyToSelected) {
    style_ = style;
    if (!applyToSelected || !selection_.selected) return;
    ApplyStyle(style_, *selection_.selected);
    if (selection_.selected->kind == kObjectStamp) {
        auto* stamp = static_cast<StampObject*>(selection_.selected);
        PixelImage picture = StampImage(style_.stampIndex);
        if (!picture.IsEmpty()) stamp->image = std::move(picture);
    }
    if (doc_) doc_->ObjectsEdited();
    Redraw();
}

void EditorView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    PaintView(p, state_, doc_, tools_.Current(), {ScrollX(), ScrollY(), viewport()->width(), viewport()->height()},
              selection_.selected);
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
    if (event->button() == Qt::LeftButton)
        tools_.Press(v.x(), v.y());
    else if (event->button() == Qt::RightButton)
        tools_.RightPress();
    viewport()->update();
    emit statusChanged();  // a press may have recorded an undo step
}

void EditorView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt sends a double click in place of the second press; a tool that has
    // no use for it gets that press.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPoint v = ViewPoint(event->position());
    tools_.DoubleClick(v.x(), v.y());
    viewport()->update();
    emit statusChanged();
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
        if (event->angleDelta().y() > 0)
            ZoomIn();
        else if (event->angleDelta().y() < 0)
            ZoomOut();
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void EditorView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    // Enter (crop) and Esc (drop the band) stay with the view under every tool.
    if (tools_.KeyPress(key) || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        viewport()->update();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace clipvane
