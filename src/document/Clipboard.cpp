#include "document/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

#include "document/QImageBridge.h"
#include "image/PixelImage.h"

namespace clipvane {

namespace {

QByteArray BmpFile(const PixelImage& image) {
    BitmapInfoHeader info = image.Info();
    info.biSize = 40;
    info.biCompression = kBiRgb;
    info.biSizeImage = uint32_t(image.ByteCount());
    info.biClrUsed = 0;
    info.biClrImportant = 0;
    const uint32_t offset = 14 + 40;
    const uint32_t size = offset + uint32_t(image.ByteCount());
    QByteArray bytes(int(size), Qt::Uninitialized);
    uint8_t* p = reinterpret_cast<uint8_t*>(bytes.data());
    const uint32_t zero = 0;
    p[0] = 'B';
    p[1] = 'M';
    std::memcpy(p + 2, &size, 4);
    std::memcpy(p + 6, &zero, 4);
    std::memcpy(p + 10, &offset, 4);
    std::memcpy(p + 14, &info, 40);
    std::memcpy(p + offset, image.Bits(), image.ByteCount());
    return bytes;
}

// Holds the capture and encodes a format only when it is asked for, so a
// large capture costs nothing until it is pasted somewhere.
class CaptureMimeData : public QMimeData {
public:
    explicit CaptureMimeData(const PixelImage& image) : image_(image) {}

    QStringList formats() const override {
        return {QStringLiteral("image/png"), QStringLiteral("image/bmp"), QStringLiteral("application/x-qt-image")};
    }
    bool hasFormat(const QString& mime) const override { return formats().contains(mime); }

protected:
    QVariant retrieveData(const QString& mime, QMetaType type) const override {
        if (mime == QLatin1String("image/bmp")) return BmpFile(image_);
        if (mime == QLatin1String("image/png")) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            Image().save(&buffer, "PNG");
            return png;
        }
        if (mime == QLatin1String("application/x-qt-image")) return Image();
        return QMimeData::retrieveData(mime, type);
    }

private:
    const QImage& Image() const {
        if (qimage_.isNull()) qimage_ = ToQImage(image_);
        return qimage_;
    }

    PixelImage image_;
    mutable QImage qimage_;
};

}  // namespace

bool CopyImageToClipboard(const PixelImage& image) {
    if (image.IsEmpty() || image.Depth() < 24) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setMimeData(new CaptureMimeData(image));
    return true;
}

}  // namespace clipvane
