#include "editor/tools/CropTool.h"

#include <QPainter>
#include <cstring>

#include "document/ImageDocument.h"
#include "document/PixelImagePainter.h"

namespace clipvane {

void CropTool::Deactivate() {
    BandTool::Deactivate();
    preview_ = PixelImage();
}

void CropTool::Press(int vx, int vy) {
    ImageDocument* doc = host_.Document();
    if (doc && !doc->image.IsEmpty()) {
        // A press burns the objects into the image; only then is it a step.
        // The crop that follows joins that step (see Commit).
        if (!doc->objects.empty()) {
            if (doc->RecordUndo(doc->image)) burnStep_ = doc->NewestStepId();
            doc->RenderObjects(doc->image);
            doc->ClearObjects();
        }
        preview_ = DarkenedCopy(doc->image);
    }
    BandTool::Press(vx, vy);
}

bool CropTool::KeyPress(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Commit();
        return true;
    }
    return BandTool::KeyPress(key);
}

bool CropTool::Commit() {
    ImageDocument* doc = host_.Document();
    if (!doc || !BandValid()) return false;
    const Rect r = BandImage();
    if (r.right <= r.left || r.bottom <= r.top) return false;
    PixelImage cropped;
    // A failed copy (no memory) leaves the image as it was.
    if (!CopyRegion(doc->image, &cropped, r)) return false;
    // One crop is one step: when the newest step is the burn of this crop's
    // press, undoing it already brings back the image and objects before both.
    if (burnStep_ == 0 || doc->NewestStepId() != burnStep_) doc->RecordUndo(doc->image);
    burnStep_ = 0;
    doc->image = std::move(cropped);
    doc->image.originX = doc->image.originY = 0;
    ClearBand();
    preview_ = DarkenedCopy(doc->image);
    doc->ImageEdited();
    return true;
}

void CropTool::ImageChanged(bool resized) {
    BandTool::ImageChanged(resized);
    // The image changed under the band (an effect, a paste): the darkened
    // surround follows it instead of showing the old pixels.
    ImageDocument* doc = host_.Document();
    if (!resized && BandValid() && doc) preview_ = DarkenedCopy(doc->image);
}

void CropTool::BeforePaint() {
    BandTool::BeforePaint();
    // The crop band is drawn in image pixels: under 4 of them (a press outside
    // the band cleared its image rectangle, or a tiny band at a high zoom) it is
    // dropped, so no stray handles or darkened image stay behind.
    if (BandValid() && (BandImage().Width() < kBandVisibleSide || BandImage().Height() < kBandVisibleSide)) ClearBand();
}

bool CropTool::PaintImage(QPainter& p, const ToolPaintArgs& a) {
    ImageDocument* doc = host_.Document();
    if (!ShowsPreview() || !doc) return false;
    const QRect& dest = a.image;
    const bool blend = doc->Transparent();
    if (blend) PaintCheckerboard(p, dest);
    const Rect whole{dest.left(), dest.top(), dest.right() + 1, dest.bottom() + 1};
    if (blend)
        StretchDrawAllBlended(p, preview_, whole);
    else
        StretchDrawAll(p, preview_, whole);
    const Rect src = BandImage().Intersected(Rect{0, 0, doc->image.Width(), doc->image.Height()});
    if (!src.IsEmpty()) {
        const QRect bandDest = a.OnScreen(ImageToZoomed(src, a.factor));
        const Rect band{bandDest.left(), bandDest.top(), bandDest.right() + 1, bandDest.bottom() + 1};
        if (blend) {
            // The band shows the image at full brightness over fresh squares.
            p.save();
            p.setClipRect(bandDest, Qt::IntersectClip);
            PaintCheckerboard(p, dest);
            p.restore();
            StretchDrawBlended(p, doc->image, band, src);
        } else {
            StretchDraw(p, doc->image, band, src);
        }
    }
    return true;
}

void CropTool::PaintOverlay(QPainter& p, const ToolPaintArgs& a) {
    if (ShowsPreview()) DrawBand(p, a.OnScreen(ImageToZoomed(BandImage(), a.factor)));
}

PixelImage DarkenedCopy(const PixelImage& image) {
    PixelImage out(image);
    if (out.IsEmpty()) return out;
    const int depth = out.Depth();
    if (depth != 24 && depth != 32) return out;
    const int step = depth / 8;
    for (int y = 0; y < out.Height(); ++y) {
        uint8_t* p = out.Row(y);
        for (int x = 0; x < out.Width(); ++x, p += step) {
            p[0] >>= 1;
            p[1] >>= 1;
            p[2] >>= 1;
        }
    }
    return out;
}

bool CopyRegion(const PixelImage& source, PixelImage* destination, const Rect& rect) {
    if (source.IsEmpty() || !destination || destination == &source || source.Depth() < 8) return false;
    const Rect r = rect.Intersected(Rect{0, 0, source.Width(), source.Height()});
    if (r.IsEmpty()) return false;
    PixelImage out;
    if (!out.Create(r.Width(), r.Height(), source.Depth())) return false;
    const size_t bytes = size_t(source.Depth()) * size_t(r.Width()) / 8;
    for (int y = 0; y < r.Height(); ++y) std::memcpy(out.Row(y), source.PixelAddress(r.left, r.top + y), bytes);
    if (source.Depth() <= 8) out.CopyPalette(source);
    out.originX = r.left;
    out.originY = r.top;
    *destination = std::move(out);
    return true;
}

}  // namespace clipvane
