#pragma once
// The stamp pictures offered by the Stamp tool: every readable image file of
// the shipped stamps folder, then of the user's own, each folder sorted by
// file name, with a 36 x 27 thumbnail per file.
#include <QImage>
#include <string>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

class StampLibrary {
public:
    static constexpr int kThumbnailWidth = 36;
    static constexpr int kThumbnailHeight = 27;

    // The shipped folder (the installed data folder beside the executable's
    // prefix, else the source tree's in a build tree), then
    // $XDG_DATA_HOME/clipvane/stamps (~/.local/share/clipvane/stamps).
    static std::vector<std::string> DefaultFolders();
    static std::string ShippedFolder();
    static std::string UserFolder();

    // Rebuilds the list from the folders in order; missing folders add
    // nothing, files the image layer cannot read are left out.
    void LoadStamps(const std::vector<std::string>& folders);
    void LoadStamps() { LoadStamps(DefaultFolders()); }

    int Count() const { return int(paths_.size()); }
    const std::vector<std::string>& Paths() const { return paths_; }
    // 24-bit thumbnail of entry `index` (0-based).
    const PixelImage& Thumbnail(int index) const { return thumbnails_[size_t(index)]; }
    // The same as a QImage, for list views.
    QImage ThumbnailImage(int index) const;

    // The picture of entry `stampIndex` - 1, at 32 bits per pixel (new alpha
    // 255). Empty for 0, for an index past the list and for a file that can
    // no longer be read.
    PixelImage SelectedStampImage(int stampIndex) const;

    // The thumbnail rule: converted to 24 bits, then scaled to 36 x 27 by
    // nearest neighbour (target i takes source i * size / 36 or 27). Empty
    // for an empty image.
    static PixelImage MakeThumbnail(const PixelImage& source);

private:
    std::vector<std::string> paths_;
    std::vector<PixelImage> thumbnails_;
};

}  // namespace clipvane
