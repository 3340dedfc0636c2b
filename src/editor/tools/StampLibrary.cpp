#include "editor/tools/StampLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "imagefile/ImageFile.h"

namespace clipvane {

namespace fs = std::filesystem;

std::string StampLibrary::ShippedFolder() {
    if (QCoreApplication::instance()) {
        const QString installed =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/clipvane/stamps"));
        if (QDir(installed).exists()) return installed.toStdString();
    }
#ifdef CLIPVANE_SOURCE_DATA_DIR
    return std::string(CLIPVANE_SOURCE_DATA_DIR) + "/stamps";
#else
    return {};
#endif
}

std::string StampLibrary::UserFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // The base directory rules ignore relative paths.
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/clipvane/stamps";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    return std::string(home) + "/.local/share/clipvane/stamps";
}

std::vector<std::string> StampLibrary::DefaultFolders() {
    std::vector<std::string> folders;
    for (std::string folder : {ShippedFolder(), UserFolder()})
        if (!folder.empty()) folders.push_back(std::move(folder));
    return folders;
}

void StampLibrary::LoadStamps(const std::vector<std::string>& folders) {
    paths_.clear();
    thumbnails_.clear();
    for (const std::string& folder : folders) {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            std::error_code kindError;
            if (it->is_regular_file(kindError)) files.push_back(it->path());
        }
        std::sort(files.begin(), files.end(),
                  [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
        for (const fs::path& file : files) {
            PixelImage image;
            if (!LoadFromFile(file.string(), image) || image.IsEmpty()) continue;
            paths_.push_back(file.string());
            thumbnails_.push_back(MakeThumbnail(image));
        }
    }
}

PixelImage StampLibrary::MakeThumbnail(const PixelImage& source) {
    PixelImage thumb;
    if (source.IsEmpty()) return thumb;
    thumb = source;
    // Converting first lets images under 8 bits per pixel be scaled too.
    thumb.ConvertTo(24);
    thumb.Resize(kThumbnailWidth, kThumbnailHeight);
    if (thumb.Depth() != 24 || thumb.Width() != kThumbnailWidth || thumb.Height() != kThumbnailHeight) thumb.Destroy();
    return thumb;
}

QImage StampLibrary::ThumbnailImage(int index) const {
    const PixelImage& thumb = thumbnails_[size_t(index)];
    if (thumb.IsEmpty()) return {};
    QImage image(thumb.Width(), thumb.Height(), QImage::Format_RGB32);
    for (int y = 0; y < thumb.Height(); ++y) {
        const uint8_t* s = thumb.Row(y);
        auto* d = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < thumb.Width(); ++x, s += 3) d[x] = qRgb(s[2], s[1], s[0]);
    }
    return image;
}

PixelImage StampLibrary::SelectedStampImage(int stampIndex) const {
    PixelImage image;
    if (stampIndex <= 0 || stampIndex > Count()) return image;
    if (!LoadFromFile(paths_[size_t(stampIndex - 1)], image)) return PixelImage();
    image.ConvertTo(32);
    if (image.Depth() != 32) return PixelImage();
    return image;
}

}  // namespace clipvane
