#include "document/QImageBridge.h"

#include <QList>
#include <cstring>

#include "image/PixelImage.h"

namespace clipvane {

namespace {

QImage::Format FormatFor(const PixelImage& image) {
    switch (image.Depth()) {
    case 32: return QImage::Format_RGB32;
    case 24: return QImage::Format_BGR888;
    case 16: return image.GreenMask() == 0x07E0 ? QImage::Format_RGB16 : QImage::Format_RGB555;
    case 8: return QImage::Format_Indexed8;
    case 1: return QImage::Format_Mono;
    default: return QImage::Format_Invalid;
    }
}

}  // namespace

QImage WrapStoredRows(const PixelImage& image) {
    if (image.IsEmpty()) return {};
    const QImage::Format format = FormatFor(image);
    if (format == QImage::Format_Invalid) return {};
    QImage rows(image.Bits(), image.Width(), image.Height(), image.Stride(), format);
    if (image.Depth() <= 8) {
        const auto& palette = image.Palette();
        QList<QRgb> table;
        table.reserve(qsizetype(palette.size()));
        for (const RgbQuad& entry : palette) table.append(qRgb(entry.rgbRed, entry.rgbGreen, entry.rgbBlue));
        table.resize(qsizetype(1) << image.Depth(), qRgb(0, 0, 0));
        rows.setColorTable(table);
    }
    return rows;
}

QImage ToQImage(const PixelImage& image) {
    if (image.IsEmpty() || (image.Depth() != 24 && image.Depth() != 32)) return {};
    const int w = image.Width(), h = image.Height();
    QImage out(w, h, image.Depth() == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = image.Row(y);
        auto* d = reinterpret_cast<uint32_t*>(out.scanLine(y));
        if (image.Depth() == 32) {
            std::memcpy(d, s, size_t(w) * 4);  // both blue, green, red, alpha in memory
        } else {
            for (int x = 0; x < w; ++x, s += 3) d[x] = 0xff000000u | uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0];
        }
    }
    return out;
}

bool FromQImage(const QImage& picture, PixelImage& image) {
    if (picture.isNull()) return false;
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    PixelImage out;
    if (argb.isNull() || !out.Create(argb.width(), argb.height(), 32)) return false;
    // Format_ARGB32 lies in memory as blue, green, red, alpha, as the image does.
    for (int y = 0; y < argb.height(); ++y) std::memcpy(out.Row(y), argb.constScanLine(y), size_t(argb.width()) * 4);
    image = std::move(out);
    return true;
}

}  // namespace clipvane
