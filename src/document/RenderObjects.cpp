#include "document/RenderObjects.h"

#include <QFont>
#include <QFontDatabase>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "annotation/ObjectKinds.h"
#include "document/BlendImage.h"
#include "document/DropShadowEffect.h"

namespace clipvane {

namespace {

QColor Opaque(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// An empty, fully transparent object bitmap at 96 dots per inch, so that
// font sizes in points come out as on the screen the objects were made on.
QImage NewBitmap(int w, int h) {
    QImage bitmap(w, h, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) return bitmap;
    bitmap.fill(Qt::transparent);
    bitmap.setDotsPerMeterX(3780);
    bitmap.setDotsPerMeterY(3780);
    return bitmap;
}

QPen ObjectPen(ColorRef colour, int width) {
    QPen pen(Opaque(colour), double(width), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    return pen;
}

void DrawLine(QPainter& p, const LineObject& o, int ox, int oy) {
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen = ObjectPen(o.color, o.width);
    // Dots and dashes in pen widths: dot 1 on 1 off, dash 3 on 1 off.
    if (o.style == 1) pen.setDashPattern({1.0, 1.0});
    if (o.style == 2) pen.setDashPattern({3.0, 1.0});
    p.setPen(pen);
    p.drawLine(QPoint(o.x1 - ox, o.y1 - oy), QPoint(o.x2 - ox, o.y2 - oy));
}

// The arrow head of width W = 8 and half-angle 0.3 radians at the tip, in
// single precision with truncation to whole pixels.
void DrawArrow(QPainter& p, const LineObject& o, int ox, int oy) {
    const QPoint start(o.x1 - ox, o.y1 - oy), tip(o.x2 - ox, o.y2 - oy);
    const float vx = float(tip.x() - start.x()), vy = float(tip.y() - start.y());
    const float length = std::sqrt(vx * vx + vy * vy);
    if (length == 0.0f) return;  // no direction: nothing to draw
    const float W = 8.0f, theta = 0.3f;
    const float ta = W / (length * std::tan(theta)), th = W / (2.0f * length);
    const float bx = tip.x() - ta * vx, by = tip.y() - ta * vy;
    const QPoint base{static_cast<int>(bx), static_cast<int>(by)};
    const QPoint left(int(float(base.x()) - th * vy), int(float(base.y()) + th * vx));
    const QPoint right(int(float(base.x()) + th * vy), int(float(base.y()) - th * vx));

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Opaque(o.color));
    if (o.style == 0) {
        p.drawLine(start, tip);
        const QPoint head[3] = {tip, left, right};
        p.drawPolygon(head, 3);
    } else {
        const QPoint path[6] = {start, base, left, tip, right, base};
        p.drawPolyline(path, 6);
    }
}

QString FamilyOrSans(const std::u16string& name) {
    const QString family = QString::fromStdU16String(name);
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) return family;
    return QStringLiteral("sans-serif");
}

void DrawText(QPainter& p, const TextObject& o, int w, int h) {
    if (o.boxStyle == 0) p.fillRect(QRect(0, 0, w, h), Opaque(o.backColor));
    QFont font(FamilyOrSans(o.fontName));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(std::max(1, o.fontSize));
    font.setBold(o.bold != 0);
    font.setItalic(o.italic != 0);
    font.setUnderline(o.underline != 0);
    p.setFont(font);
    p.setPen(Opaque(o.textColor));
    int flags = Qt::AlignTop | Qt::TextWordWrap;
    flags |= o.alignment == 0 ? Qt::AlignLeft : o.alignment == 2 ? Qt::AlignRight : Qt::AlignHCenter;
    // The text box keeps Windows line ends; Qt breaks lines at '\n'.
    QString text = QString::fromStdU16String(o.text);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    p.drawText(QRectF(0, 0, w, h), flags, text);
}

void DrawShape(QPainter& p, const ShapeObject& o) {
    const int w = o.right - o.left, h = o.bottom - o.top;
    const bool ellipse = o.borderStyle == 1 || o.borderStyle == 3;
    const bool filled = o.borderStyle == 2 || o.borderStyle == 3;
    p.setRenderHint(QPainter::Antialiasing, ellipse);
    const QRectF box(10, 10, w, h);
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(Opaque(o.fillColor));
        if (ellipse)
            p.drawEllipse(box);
        else
            p.fillRect(QRect(10, 10, w, h), Opaque(o.fillColor));
    }
    p.setPen(ObjectPen(o.borderColor, o.width));
    p.setBrush(Qt::NoBrush);
    if (ellipse)
        p.drawEllipse(box);
    else
        p.drawRect(box);
}

// How each kind is drawn: on a bitmap that covers its coordinates plus a
// margin, or (pictures) by a render of its own.
struct KindRenderer {
    ObjectKind kind;
    int margin;
    // Draws into the w x h bitmap whose top-left pixel sits at (ox, oy).
    void (*draw)(QPainter& p, const AnnotationObject& object, int ox, int oy, int w, int h);
    bool (*render)(const AnnotationObject& object, RenderedObject& out);
};

bool RenderStamp(const AnnotationObject& object, RenderedObject& out) {
    const auto& stamp = static_cast<const StampObject&>(object);
    const int64_t width = int64_t(stamp.right) - stamp.left, height = int64_t(stamp.bottom) - stamp.top;
    if (stamp.image.IsEmpty() || width <= 0 || height <= 0 || width > (1 << 16) || height > (1 << 16)) return false;
    out.image = stamp.image;
    out.image.ResizeSmooth(int(width), int(height));
    out.x = stamp.left;
    out.y = stamp.top;
    return true;
}

const KindRenderer kRenderers[] = {
    {kObjectLine, 10,
     [](QPainter& p, const AnnotationObject& o, int ox, int oy, int, int) {
         DrawLine(p, static_cast<const LineObject&>(o), ox, oy);
     },
     nullptr},
    {kObjectArrow, 10,
     [](QPainter& p, const AnnotationObject& o, int ox, int oy, int, int) {
         DrawArrow(p, static_cast<const LineObject&>(o), ox, oy);
     },
     nullptr},
    {kObjectText, 0,
     [](QPainter& p, const AnnotationObject& o, int, int, int w, int h) {
         DrawText(p, static_cast<const TextObject&>(o), w, h);
     },
     nullptr},
    {kObjectShape, 10,
     [](QPainter& p, const AnnotationObject& o, int, int, int, int) {
         DrawShape(p, static_cast<const ShapeObject&>(o));
     },
     nullptr},
    {kObjectHighlight, 0,
     [](QPainter& p, const AnnotationObject& o, int, int, int w, int h) {
         p.fillRect(QRect(0, 0, w, h), Opaque(static_cast<const HighlightObject&>(o).color));
     },
     nullptr},
    {kObjectStamp, 0, nullptr, &RenderStamp},
};

const KindRenderer* RendererFor(ObjectKind kind) {
    for (const KindRenderer& r : kRenderers)
        if (r.kind == kind) return &r;
    return nullptr;
}

// The bitmap of a drawn kind: origin and size, then the drawing.
bool DrawnBitmap(const AnnotationObject& object, const KindRenderer& renderer, QImage& bitmap, int& ox, int& oy) {
    // In 64 bits: coordinates near the int limits must not overflow.
    const ObjectKindInfo& info = KindInfo(object);
    const Rect c = info.points(object);
    const int64_t m = renderer.margin;
    int64_t left = int64_t(c.left) - m, top = int64_t(c.top) - m;
    int64_t width = int64_t(c.right) - c.left + 2 * m, height = int64_t(c.bottom) - c.top + 2 * m;
    if (info.geometry == KindGeometry::Segment) {
        left = int64_t(std::min(c.left, c.right)) - m;
        top = int64_t(std::min(c.top, c.bottom)) - m;
        width = std::abs(int64_t(c.right) - c.left) + 2 * m;
        height = std::abs(int64_t(c.bottom) - c.top) + 2 * m;
    }
    // Far larger than any screen: such a bitmap could not be allocated anyway.
    constexpr int64_t kMaxSide = 1 << 16;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    if (left < INT32_MIN || top < INT32_MIN || left + width > INT32_MAX || top + height > INT32_MAX) return false;
    ox = int(left);
    oy = int(top);
    const int w = int(width), h = int(height);
    bitmap = NewBitmap(w, h);
    if (bitmap.isNull()) return false;
    QPainter p(&bitmap);
    renderer.draw(p, object, ox, oy, w, h);
    return true;
}

}  // namespace

bool BitmapToPixelImage(const QImage& bitmap, PixelImage& image) {
    if (bitmap.isNull()) return false;
    QImage rows = bitmap;
    int depth = 0;
    bool forceOpaque = false;
    bool palette = false;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    switch (bitmap.format()) {
    case QImage::Format_Mono:
        depth = 1;
        palette = true;
        break;
    case QImage::Format_Indexed8:
        depth = 8;
        palette = true;
        break;
    case QImage::Format_RGB555: depth = 16; break;
    case QImage::Format_RGB16:
        depth = 16;
        masks[0] = 0xF800;
        masks[1] = 0x07E0;
        break;
    case QImage::Format_BGR888: depth = 24; break;
    case QImage::Format_RGB888:
        depth = 24;
        rows = bitmap.convertToFormat(QImage::Format_BGR888);
        break;
    case QImage::Format_RGB32:
        depth = 32;
        forceOpaque = true;
        break;
    case QImage::Format_ARGB32: depth = 32; break;
    case QImage::Format_ARGB32_Premultiplied:
        depth = 32;
        rows = bitmap.convertToFormat(QImage::Format_ARGB32);
        break;
    default: return false;
    }
    BitmapInfoHeader header{};
    header.biSize = sizeof(BitmapInfoHeader);
    header.biWidth = rows.width();
    header.biHeight = rows.height();
    header.biPlanes = 1;
    header.biBitCount = uint16_t(depth);
    header.biCompression = depth == 16 ? kBiBitfields : kBiRgb;
    PixelImage result;
    if (!result.CreateFromHeader(header, masks)) return false;
    if (palette) {
        const QList<QRgb> table = rows.colorTable();
        std::vector<RgbQuad> entries;
        for (QRgb c : table) entries.push_back(RgbQuad{uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c)), 0});
        const int count = std::min(int(entries.size()), 1 << depth);
        if (count > 0) result.SetPalette(0, count, entries.data());
    }
    const size_t bytes = size_t(std::min<qsizetype>(rows.bytesPerLine(), result.Stride()));
    for (int y = 0; y < rows.height(); ++y) std::copy_n(rows.constScanLine(y), bytes, result.Row(y));
    if (forceOpaque) result.SetAlpha(255);
    image = std::move(result);
    return true;
}

bool RenderObject(const AnnotationObject& object, RenderedObject& out) {
    out.image.Destroy();
    const KindRenderer* renderer = RendererFor(object.kind);
    if (!renderer) return false;
    if (renderer->render) {
        if (!renderer->render(object, out)) return false;
    } else {
        QImage bitmap;
        if (!DrawnBitmap(object, *renderer, bitmap, out.x, out.y)) return false;
        if (!BitmapToPixelImage(bitmap, out.image)) return false;
    }
    if (object.shadow) {
        // Converted first so that a stamp of another depth still gets its shadow.
        out.image.ConvertTo(32);
        DropShadowEffect shadow(kShadowBlur, 0, 0, 0, kShadowStrength, kShadowShift, kShadowShift);
        out.image.ApplyEffect(shadow);
    }
    out.image.ConvertTo(32);
    return !out.image.IsEmpty();
}

void RenderObjects(PixelImage& target, const ObjectList& objects) {
    if (target.IsEmpty()) return;
    RenderedObject rendered;
    for (const auto& object : objects) {
        if (!object || !RenderObject(*object, rendered)) continue;
        // Converted only once something is drawn: with nothing to draw the
        // target keeps its depth.
        if (target.Depth() != 32) target.ConvertTo(32);
        BlendImage(target, rendered.image, rendered.x, rendered.y, 100 - object->transparency);
    }
}

bool ObjectsReproduce(const PixelImage& under, const ObjectList& objects, const PixelImage& flattened, bool alpha) {
    if (under.Width() != flattened.Width() || under.Height() != flattened.Height()) return false;
    if (flattened.Depth() != 24 && flattened.Depth() != 32) return false;
    PixelImage drawn = under;
    drawn.ConvertTo(32);
    RenderObjects(drawn, objects);
    if (drawn.Depth() != 32) return false;
    const size_t step = size_t(flattened.Depth() / 8), compared = alpha && step == 4 ? 4 : 3;
    for (int y = 0; y < drawn.Height(); ++y) {
        const uint8_t* a = drawn.Row(y);
        const uint8_t* b = flattened.Row(y);
        for (size_t x = 0; x < size_t(drawn.Width()); ++x)
            if (std::memcmp(a + x * 4, b + x * step, compared) != 0) return false;
    }
    return true;
}

void DrawSelectionMarks(QPainter& painter, const AnnotationObject* selected) {
    if (!selected) return;
    const int s = selected->shadow ? kShadowShift : 0;
    QPoint centres[8];
    int count = 0;
    const ObjectKindInfo& info = KindInfo(*selected);
    if (info.geometry == KindGeometry::Segment) {
        const Rect o = info.points(*selected);
        centres[count++] = QPoint(o.left + s, o.top + s);
        centres[count++] = QPoint(o.right + s, o.bottom + s);
    } else {
        const Rect r = info.points(*selected);
        const int L = r.left + s, T = r.top + s, R = r.right + s, B = r.bottom + s;
        const int mx = L + (R - L) / 2, my = T + (B - T) / 2;
        const QPoint marks[8] = {{L, T}, {L, B}, {R, T}, {R, B}, {L, my}, {R, my}, {mx, T}, {mx, B}};
        for (const QPoint& m : marks) centres[count++] = m;
    }
    painter.save();
    painter.setBrush(Qt::white);
    painter.setPen(QPen(Qt::black, 1.0));
    for (int i = 0; i < count; ++i) painter.drawEllipse(QRect(centres[i].x() - 4, centres[i].y() - 4, 8, 8));
    painter.restore();
}

}  // namespace clipvane
