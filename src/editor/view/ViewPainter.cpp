#include "editor/view/ViewPainter.h"

#include <QPainter>

#include "document/ImageDocument.h"
#include "document/PixelImagePainter.h"
#include "editor/tools/Tool.h"
#include "editor/view/ViewState.h"

namespace clipvane {

namespace {

const QColor kViewBackground(148, 148, 148);

}  // namespace

void PaintView(QPainter& p, const ViewState& s, ImageDocument* doc, Tool& tool, const ViewPaintArgs& a) {
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
        StretchDrawAll(p, composite, Rect{dest.left(), dest.top(), dest.right() + 1, dest.bottom() + 1});
    }
    p.setClipping(false);
    tool.PaintOverlay(p, toolArgs);
}

}  // namespace clipvane
