#include "document/PixelImagePainter.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

#include "document/QImageBridge.h"

namespace clipvane {

namespace {

// Paints `rows` (an upside-down wrap) so that source rectangle `src` of the
// top-down image fills `dest`.
void PaintFlipped(QPainter& painter, const QImage& rows, const Rect& dest, const Rect& src) {
    const int height = rows.height();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Mirror about the destination's vertical centre: wrapped row 0 is the
    // bottom row of the image.
    painter.translate(dest.left, dest.bottom);
    painter.scale(1, -1);
    const QRectF target(0, 0, dest.Width(), dest.Height());
    const QRectF from(src.left, height - src.bottom, src.Width(), src.Height());
    painter.drawImage(target, rows, from);
    painter.restore();
}

// True when the painter's real target keeps an alpha channel. Qt copies an
// RGB32 source's fourth byte unchanged into such a target on its fast paths,
// so a 32-bit image whose fourth bytes are not 255 would come out transparent.
bool TargetKeepsAlpha(QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine ? engine->paintDevice() : painter.device();
    if (!device || device->devType() != QInternal::Image) return false;
    return static_cast<const QImage*>(device)->hasAlphaChannel();
}

// The source rectangle of a 32-bit image as an opaque top-down copy: used
// only for targets with alpha, and only the part being painted.
QImage OpaqueCopy(const PixelImage& image, const Rect& src) {
    const Rect area = src.Intersected(Rect{0, 0, image.Width(), image.Height()});
    if (area.IsEmpty()) return {};
    QImage copy(area.Width(), area.Height(), QImage::Format_RGB32);
    for (int y = 0; y < area.Height(); ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(image.Row(area.top + y)) + area.left;
        auto* out = reinterpret_cast<uint32_t*>(copy.scanLine(y));
        for (int x = 0; x < area.Width(); ++x) out[x] = in[x] | 0xFF000000u;
    }
    return copy;
}

void PaintImage(QPainter& painter, const PixelImage& image, const Rect& dest, const Rect& src) {
    if (image.IsEmpty() || dest.IsEmpty() || src.IsEmpty()) return;
    if (image.Depth() == 32 && TargetKeepsAlpha(painter)) {
        const QImage copy = OpaqueCopy(image, src);
        if (copy.isNull()) return;
        // The copy starts at the clipped source corner; scale the clipped
        // part of the destination accordingly.
        const Rect area = src.Intersected(Rect{0, 0, image.Width(), image.Height()});
        const double sx = double(dest.Width()) / src.Width();
        const double sy = double(dest.Height()) / src.Height();
        const QRectF target(dest.left + (area.left - src.left) * sx, dest.top + (area.top - src.top) * sy,
                            area.Width() * sx, area.Height() * sy);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, copy, QRectF(copy.rect()));
        painter.restore();
        return;
    }
    QImage rows = WrapStoredRows(image);
    if (!rows.isNull()) {
        PaintFlipped(painter, rows, dest, src);
        return;
    }
    // 4 bits per pixel has no QImage format: paint a 24-bit copy.
    PixelImage copy(image);
    copy.ConvertTo(24);
    rows = WrapStoredRows(copy);
    if (!rows.isNull()) PaintFlipped(painter, rows, dest, src);
}

}  // namespace

void Draw(QPainter& painter, const PixelImage& image, int x, int y) {
    const Rect whole{0, 0, image.Width(), image.Height()};
    PaintImage(painter, image, Rect{x, y, x + image.Width(), y + image.Height()}, whole);
}

void StretchDraw(QPainter& painter, const PixelImage& image, const Rect& dest, const Rect& source) {
    PaintImage(painter, image, dest, source);
}

void StretchDrawAll(QPainter& painter, const PixelImage& image, const Rect& dest) {
    PaintImage(painter, image, dest, Rect{0, 0, image.Width(), image.Height()});
}

void StretchDrawBlended(QPainter& painter, const PixelImage& image, const Rect& dest, const Rect& source) {
    if (image.Depth() != 32) {
        PaintImage(painter, image, dest, source);
        return;
    }
    if (image.IsEmpty() || dest.IsEmpty() || source.IsEmpty()) return;
    // Format_ARGB32 lies in memory as blue, green, red, alpha, as the image does.
    const QImage rows(image.Bits(), image.Width(), image.Height(), image.Stride(), QImage::Format_ARGB32);
    if (!rows.isNull()) PaintFlipped(painter, rows, dest, source);
}

void StretchDrawAllBlended(QPainter& painter, const PixelImage& image, const Rect& dest) {
    StretchDrawBlended(painter, image, dest, Rect{0, 0, image.Width(), image.Height()});
}

void PaintCheckerboard(QPainter& painter, const QRect& area) {
    static const QColor kLight(255, 255, 255), kDark(204, 204, 204);
    painter.fillRect(area, kLight);
    for (int y = 0; y < area.height(); y += kCheckerSquare)
        for (int x = (y / kCheckerSquare) % 2 ? 0 : kCheckerSquare; x < area.width(); x += 2 * kCheckerSquare)
            painter.fillRect(QRect(area.left() + x, area.top() + y, std::min(kCheckerSquare, area.width() - x),
                                   std::min(kCheckerSquare, area.height() - y)),
                             kDark);
}

}  // namespace clipvane
