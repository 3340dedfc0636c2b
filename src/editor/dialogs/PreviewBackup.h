#pragma once
// The document's image as a dialog found it, kept while the dialog previews
// on the document. The copy is taken only at the first preview, so a dialog
// confirmed without one costs no whole-image copy.
#include <utility>

#include "image/PixelImage.h"

namespace clipvane {

class PreviewBackup {
public:
    // Puts `image` back as it was at the first call (taking that copy then),
    // before a preview is applied to it.
    void RestoreForPreview(PixelImage& image) {
        if (kept_) {
            image = copy_;
        } else {
            copy_ = image;
            kept_ = true;
        }
    }
    // Puts `image` back as it was, for OK and Cancel, and drops the copy;
    // nothing when no preview changed it.
    void Restore(PixelImage& image) {
        if (!kept_) return;
        image = std::move(copy_);
        kept_ = false;
    }

private:
    PixelImage copy_;
    bool kept_ = false;
};

}  // namespace clipvane
