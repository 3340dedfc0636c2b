#include "editor/view/ClipboardCommands.h"

#include <QMessageBox>

#include <algorithm>

#include "document/Clipboard.h"
#include "document/ImageDocument.h"
#include "editor/tools/CropTool.h"
#include "image/PixelImage.h"
#include "image/effects/FillEffect.h"

namespace clipvane {

Rect ClipboardRegion(const PixelImage& image, const Rect& band) {
    const Rect whole{0, 0, image.Width(), image.Height()};
    const Rect r = band.Intersected(whole);
    return r.IsEmpty() ? whole : r;
}

bool CopyImageRegion(const PixelImage& image, const Rect& band) {
    if (image.IsEmpty()) return false;
    const Rect r = ClipboardRegion(image, band);
    if (r.left == 0 && r.top == 0 && r.right == image.Width() && r.bottom == image.Height())
        return CopyImageToClipboard(image);
    PixelImage region;
    return CopyRegion(image, &region, r) && CopyImageToClipboard(region);
}

bool CutImageRegion(ImageDocument& doc, const Rect& band) {
    const bool copied = CopyImageRegion(doc.image, band);
    const Rect r = band.Intersected(Rect{0, 0, doc.image.Width(), doc.image.Height()});
    if (r.IsEmpty() || doc.image.Depth() < 24) return copied;
    doc.RecordUndo(doc.image);
    const uint8_t white[4] = {255, 255, 255, 255};
    doc.image.FillRect(r, white);
    doc.ImageEdited();
    return copied;
}

PasteResult PasteImage(ImageDocument& doc, const PixelImage& picture, const std::function<ExpandAnswer()>& ask) {
    if (picture.IsEmpty() || picture.Depth() < 24 || doc.image.IsEmpty()) return PasteResult::Nothing;
    const int w = doc.image.Width(), h = doc.image.Height();
    const int cw = picture.Width(), ch = picture.Height();
    PixelImage source(picture);
    if (!MakeOpaque32(source)) return PasteResult::Nothing;

    if (cw <= w && ch <= h) {
        PixelImage target(doc.image);
        target.ConvertTo(32);
        if (target.Depth() != 32 || !target.Paste(source, 0, 0)) return PasteResult::Nothing;
        doc.RecordUndo(doc.image);
        doc.image = std::move(target);
        doc.ImageEdited();
        return PasteResult::Pasted;
    }
    const ExpandAnswer answer = ask ? ask() : ExpandAnswer::Cancel;
    if (answer == ExpandAnswer::Cancel) return PasteResult::Nothing;
    PixelImage target;
    if (answer == ExpandAnswer::Yes) {
        // Opaque white where neither picture reaches.
        if (!target.Create(std::max(w, cw), std::max(h, ch), 32)) return PasteResult::Nothing;
        FillEffect white(0xFFFFFF, 255);
        target.ApplyEffect(white);
        PixelImage old(doc.image);
        old.ConvertTo(32);
        if (old.Depth() != 32 || !target.Paste(old, 0, 0)) return PasteResult::Nothing;
    } else {
        target = doc.image;
        target.ConvertTo(32);
        if (target.Depth() != 32) return PasteResult::Nothing;
    }
    if (!target.Paste(source, 0, 0)) return PasteResult::Nothing;
    target.originX = doc.image.originX;
    target.originY = doc.image.originY;
    doc.RecordUndo(doc.image);
    doc.image = std::move(target);
    doc.ImageEdited();
    return answer == ExpandAnswer::Yes ? PasteResult::Expanded : PasteResult::Pasted;
}

ExpandAnswer AskExpandImage() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Clipvane"),
                    QStringLiteral("Clipboard image is larger than the image, expand the image?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return ExpandAnswer::Yes;
    case QMessageBox::No: return ExpandAnswer::No;
    default: return ExpandAnswer::Cancel;
    }
}

}  // namespace clipvane
