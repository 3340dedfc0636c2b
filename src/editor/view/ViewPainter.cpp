#include "editor/view/ViewPainter.h"

#include <QPainter>

#include "document/ImageDocument.h"
#include "document/PixelImagePainter.h"
#include "editor/view/ViewState.h"

namespace clipvane {

namespace {

const QColor kViewBackground(148, 148, 148);
constexpr int kHandleHalf = 4;

// Zoomed image rectangle `r` in viewport coordinates.
QRect OnScreen(const Rect& zoomed, const ViewPaintArgs& a) {
    return QRect(zoomed.left + kViewMargin - a.scrollX, zoomed.top + kViewMargin - a.scrollY, zoomed.Width(),
                 zoomed.Height());
}

void DrawBand(QPainter& p, const QRect& band) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(band.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    const QPoint corners[4] = {band.topLeft(), QPoint(band.left(), band.bottom() + 1),
                               QPoint(band.right() + 1, band.top()), QPoint(band.right() + 1, band.bottom() + 1)};
    for (const QPoint& c : corners)
        p.drawRect(QRect(c.x() - kHandleHalf, c.y() - kHandleHalf, 2 * kHandleHalf, 2 * kHandleHalf));
    p.restore();
}

}  // namespace

void ValidateBand(ViewState& s) {
    if (s.band.Width() < kBandVisibleSide || s.band.Height() < kBandVisibleSide)
        s.ClearBand();
    else
        s.bandValid = true;
}

void PaintView(QPainter& p, ViewState& s, ImageDocument* doc, const ViewPaintArgs& a) {
    p.fillRect(QRect(0, 0, a.viewportWidth, a.viewportHeight), kViewBackground);
    if (!doc || doc->image.IsEmpty()) return;
    const float f = s.Factor();
    const int zw = ZoomedLength(doc->image.Width(), f);
    const int zh = ZoomedLength(doc->image.Height(), f);
    const QRect dest = OnScreen(Rect{0, 0, zw, zh}, a);
    const Rect destRect{dest.left(), dest.top(), dest.right() + 1, dest.bottom() + 1};
    ValidateBand(s);

    p.setClipRect(dest);
    // The crop band is drawn in image pixels: under 4 of them (a press outside
    // the band cleared its image rectangle, or a tiny band at a high zoom) it is
    // dropped, so no stray handles or darkened image stay behind.
    if (s.tool == EditorTool::Crop && s.bandValid &&
        (s.bandImage.Width() < kBandVisibleSide || s.bandImage.Height() < kBandVisibleSide))
        s.ClearBand();
    if (s.tool == EditorTool::Crop && s.bandValid && !s.preview.IsEmpty()) {
        StretchDrawAll(p, s.preview, destRect);
        const Rect src = s.bandImage.Intersected(Rect{0, 0, doc->image.Width(), doc->image.Height()});
        if (!src.IsEmpty()) {
            const QRect bandDest = OnScreen(ImageToZoomed(src, f), a);
            StretchDraw(p, doc->image, Rect{bandDest.left(), bandDest.top(), bandDest.right() + 1, bandDest.bottom() + 1},
                        src);
        }
        p.setClipping(false);
        DrawBand(p, OnScreen(ImageToZoomed(s.bandImage, f), a));
        return;
    }
    const PixelImage& composite = doc->objects.empty() ? doc->image : doc->Composite();
    StretchDrawAll(p, composite, destRect);
    p.setClipping(false);
    if (s.bandValid && IsBandTool(s.tool) && s.tool != EditorTool::Crop) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(OnScreen(ImageToZoomed(s.bandImage, f), a).adjusted(0, 0, -1, -1));
    }
}

}  // namespace clipvane
