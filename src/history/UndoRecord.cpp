#include "history/UndoRecord.h"

#include "image/ImageEffect.h"

namespace clipvane {

namespace {

// Image assignment that also carries emptiness across (a plain copy from an
// empty image leaves the target as it was, which would restore stale pixels).
void AssignImage(PixelImage& target, const PixelImage& source) {
    if (source.IsEmpty())
        target.Destroy();
    else
        target = source;
}

// Swaps the document's state for the stored one, keeping the document's
// current state in `keepImage`/`keepObjects`. The pixels are moved, not
// copied: a step holds one image at any time (the state before it while it
// can be undone, the state after it while it can be redone).
void Exchange(UndoDocument& document, PixelImage& keepImage, ObjectList& keepObjects, PixelImage& image,
              const ObjectList& objects) {
    PixelImage& current = document.UndoImage();
    ObjectList& currentObjects = document.UndoObjects();
    keepImage = std::move(current);
    CopyObjectList(keepObjects, currentObjects);
    current = std::move(image);
    currentObjects.clear();
    CopyObjectList(currentObjects, objects);
    document.StateRestored();
}

}  // namespace

void UndoRecord::Snapshot(const PixelImage& image, const ObjectList& objects) {
    AssignImage(beforeImage, image);
    CopyObjectList(beforeObjects, objects);
}

void UndoRecord::Do(UndoDocument& document, ImageEffect* effect, ProgressReporter* progress) {
    if (!effect) return;
    Snapshot(document.UndoImage(), document.UndoObjects());
    document.UndoImage().ApplyEffect(*effect, progress);
}

void UndoRecord::Undo(UndoDocument& document) {
    Exchange(document, afterImage, afterObjects, beforeImage, beforeObjects);
}

void UndoRecord::Redo(UndoDocument& document) {
    Exchange(document, beforeImage, beforeObjects, afterImage, afterObjects);
}

void ObjectsUndoRecord::SnapshotObjects(const ObjectList& objects) { CopyObjectList(beforeObjects, objects); }

void ObjectsUndoRecord::Undo(UndoDocument& document) {
    CopyObjectList(afterObjects, document.UndoObjects());
    document.UndoObjects().clear();
    CopyObjectList(document.UndoObjects(), beforeObjects);
    document.StateRestored();
}

void ObjectsUndoRecord::Redo(UndoDocument& document) {
    CopyObjectList(beforeObjects, document.UndoObjects());
    document.UndoObjects().clear();
    CopyObjectList(document.UndoObjects(), afterObjects);
    document.StateRestored();
}

void ResizeUndoRecord::Do(UndoDocument& document, ImageEffect* /*effect*/, ProgressReporter* progress) {
    Snapshot(document.UndoImage(), document.UndoObjects());
    Apply(document.UndoImage(), progress);
}

void ResizeUndoRecord::Apply(PixelImage& image, ProgressReporter* progress) const {
    if (quality == 0)
        image.Resize(width, height);
    else if (quality == 1)
        image.ResizeSmooth(width, height, progress);
}

}  // namespace clipvane
