#include "editor/view/ViewPainter.h"

#include <QPainter>

#include <cmath>
#include <memory>

#include "document/ImageDocument.h"
#include "document/PixelImagePainter.h"
#include "document/RenderObjects.h"
#include "editor/tools/Tool.h"
#include "editor/view/ViewState.h"

namespace clipvane {

namespace {

const QColor kViewBackground(148, 148, 148);

// Zoomed image coordinate of image coordinate `n`.
int Zoomed(int n, float f) { return int(std::lround(double(n) * double(f))); }

// The selected object's handles at the zoom: a stand-in of the same kind holds
// its (shadow-shifted) coordinates in zoomed pixels, so the marks keep their
// size on screen while sitting where the object is drawn.
void PaintSelectionMarks(QPainter& p, const AnnotationObject& selected, const QPoint& origin, float f) {
    const int s = selected.shadow ? kShadowShift : 0;
    std::unique_ptr<AnnotationObject> marks = CreateObject(selected.kind);
    if (!marks) return;
    if (IsLineKind(selected.kind)) {
        const auto& from = static_cast<const LineObject&>(selected);
        auto& to = static_cast<LineObject&>(*marks);
        to.x1 = Zoomed(from.x1 + s, f);
        to.y1 = Zoomed(from.y1 + s, f);
        to.x2 = Zoomed(from.x2 + s, f);
        to.y2 = Zoomed(from.y2 + s, f);
    } else {
        const Rect r = ObjectRect(selected);
        SetObjectRect(
            *marks, Rect{Zoomed(r.left + s, f), Zoomed(r.top + s, f), Zoomed(r.right + s, f), Zoomed(r.bottom + s, f)});
    }
    p.save();
    p.translate(origin);
    DrawSelectionMarks(p, marks.get());
    p.restore();
}

}  // namespace

void PaintView(QPainter& p, const ViewState& s, ImageDocument* doc, Tool& tool, const ViewPaintArgs& a,
               const AnnotationObject* selected) {
    p.fillRect(QRect(0, 0, a.viewportWidth, a.viewportHeight), kViewBackground);
    if (!doc || doc->image.IsEmpty()) return;
    const float f = s.Factor();
    const ToolPaintArgs toolArgs{QRect(kViewMargin - a.scrollX, kViewMargin - a.scrollY,
                                       ZoomedLength(doc->image.Width(), f), ZoomedLength(doc->image.Height(), f)),
                                 f};
    const QRect& dest = toolArgs.image;
    tool.BeforePaint();

    p.setClipRect(dest);
    if (!tool.PaintImage(p, toolArgs)) {
        const PixelImage& composite = doc->objects.empty() ? doc->image : doc->Composite();
        const Rect whole{dest.left(), dest.top(), dest.right() + 1, dest.bottom() + 1};
        if (doc->Transparent()) {
            // Real alpha: transparent pixels show the checkerboard under them.
            PaintCheckerboard(p, dest);
            StretchDrawAllBlended(p, composite, whole);
        } else {
            StretchDrawAll(p, composite, whole);
        }
    }
    p.setClipping(false);
    tool.PaintOverlay(p, toolArgs);
    if (selected) PaintSelectionMarks(p, *selected, dest.topLeft(), f);
}

}  // namespace clipvane
