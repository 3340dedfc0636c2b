#include "document/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <cstring>

#include "document/QImageBridge.h"
#include "image/PixelImage.h"
#include "image/PixelLimit.h"
#include "imagefile/DibReader.h"
#include "imagefile/ImageFile.h"

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

    const PixelImage& Pixels() const { return image_; }

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

const QStringList& BmpTypes() {
    static const QStringList types = {QStringLiteral("image/bmp"), QStringLiteral("image/x-bmp"),
                                      QStringLiteral("image/x-MS-bmp"), QStringLiteral("image/x-win-bitmap")};
    return types;
}

// The image types Qt decodes, PNG and JPEG first.
const QStringList& QtImageTypes() {
    static const QStringList types = [] {
        QStringList list = {QStringLiteral("image/png"), QStringLiteral("image/jpeg")};
        for (const QByteArray& type : QImageReader::supportedMimeTypes()) {
            const QString name = QString::fromLatin1(type);
            if (!list.contains(name) && !BmpTypes().contains(name)) list.append(name);
        }
        return list;
    }();
    return types;
}

QString& Refusal() {
    thread_local QString reason;
    return reason;
}

bool DecodeWithQt(const QByteArray& bytes, PixelImage& image) {
    if (bytes.isEmpty()) return false;
    SyncQtAllocationLimit();
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && !PixelCountAllowed(size.width(), size.height())) {
        Refusal() = QString::fromStdString(PixelCountMessage(size.width(), size.height()));
        return false;
    }
    QImage picture;
    if (reader.read(&picture) && FromQImage(picture, image)) return true;
    if (reader.canRead() || size.isValid())
        Refusal() = QStringLiteral("the picture could not be decoded: %1").arg(reader.errorString());
    return false;
}

bool IsImageFile(const QString& path) {
    return !path.isEmpty() && TypeFromPath(path.toStdString()) != kFileNone && QFileInfo(path).isFile();
}

// The clipboard's answer for ClipboardHasImage, dropped when it changes.
struct PasteableCache {
    bool known = false;
    bool value = false;
};

PasteableCache& Cache() {
    static PasteableCache cache;
    return cache;
}

}  // namespace

bool CopyImageToClipboard(const PixelImage& image) {
    if (image.IsEmpty() || image.Depth() < 24) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setMimeData(new CaptureMimeData(image));
    return true;
}

QString CopiedFilePath(const QMimeData& mime) {
    QStringList lines;
    if (mime.hasFormat(QStringLiteral("x-special/gnome-copied-files"))) {
        // "copy" or "cut", then one URI a line.
        lines = QString::fromUtf8(mime.data(QStringLiteral("x-special/gnome-copied-files"))).split(QLatin1Char('\n'));
        if (!lines.isEmpty()) lines.removeFirst();
    } else if (mime.hasFormat(QStringLiteral("text/uri-list"))) {
        lines = QString::fromUtf8(mime.data(QStringLiteral("text/uri-list"))).split(QLatin1Char('\n'));
    }
    QString path;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (!path.isEmpty()) return {};  // several files: none is the picture
        const QUrl url(line);
        if (!url.isLocalFile()) return {};
        path = url.toLocalFile();
        if (path.isEmpty()) return {};
    }
    return path;
}

bool MakeOpaque32(PixelImage& image) {
    if (image.Depth() == 32) return true;
    image.ConvertTo(32);
    if (image.Depth() != 32) return false;
    image.SetAlpha(255);
    return true;
}

QString ClipboardImageRefusal() { return Refusal(); }

void SyncQtAllocationLimit() {
    // At most four bytes a pixel, in whole MiB, and one more for rounding.
    const uint64_t mib = MaxPixelCount() * 4 / (uint64_t(1) << 20) + 1;
    QImageReader::setAllocationLimit(int(std::min<uint64_t>(mib, uint64_t(INT_MAX))));
}

bool ImageFromMimeData(const QMimeData& mime, PixelImage& image) {
    Refusal().clear();
    if (const auto* own = dynamic_cast<const CaptureMimeData*>(&mime)) {
        PixelImage copy(own->Pixels());
        if (!MakeOpaque32(copy)) return false;
        image = std::move(copy);
        return true;
    }
    const QStringList formats = mime.formats();
    for (const QString& type : BmpTypes()) {
        if (!formats.contains(type)) continue;
        const QByteArray bytes = mime.data(type);
        if (ReadDibFromMemory(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), image))
            return true;
    }
    for (const QString& type : QtImageTypes())
        if (formats.contains(type) && DecodeWithQt(mime.data(type), image)) return true;
    const QString path = CopiedFilePath(mime);
    if (IsImageFile(path)) {
        PixelImage loaded;
        if (LoadFromFile(path.toStdString(), loaded)) {
            if (!MakeOpaque32(loaded)) return false;
            image = std::move(loaded);
            return true;
        }
        Refusal() = QString::fromStdString(LastImageFileError());
    }
    SyncQtAllocationLimit();
    return mime.hasImage() && FromQImage(qvariant_cast<QImage>(mime.imageData()), image);
}

bool MimeDataHasImage(const QMimeData& mime) {
    const QStringList formats = mime.formats();
    for (const QString& type : formats)
        if (BmpTypes().contains(type) || QtImageTypes().contains(type)) return true;
    return mime.hasImage() || IsImageFile(CopiedFilePath(mime));
}

bool ReadClipboardImage(PixelImage& image) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    return mime && ImageFromMimeData(*mime, image);
}

bool ClipboardHasImage() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    PasteableCache& cache = Cache();
    static const bool watching = [clipboard] {
        QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] { Cache().known = false; });
        return true;
    }();
    (void)watching;
    if (!cache.known) {
        const QMimeData* mime = clipboard->mimeData();
        cache.value = mime && MimeDataHasImage(*mime);
        cache.known = true;
    }
    return cache.value;
}

}  // namespace clipvane
