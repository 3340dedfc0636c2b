#pragma once
// One undoable step: whole-state snapshots of a document's image and objects
// before the step and, once undone, after it. Undo and redo exchange the
// pixels with the document's (moved, never copied), so a record holds one
// image at a time and undo and redo can alternate any number of times.
#include <cstdint>

#include "annotation/AnnotationObject.h"
#include "image/PixelImage.h"

namespace clipvane {

class ImageEffect;
class ProgressReporter;

// What a record works on: the document's image and objects, and its redraw.
class UndoDocument {
public:
    virtual ~UndoDocument() = default;
    virtual PixelImage& UndoImage() = 0;
    virtual ObjectList& UndoObjects() = 0;
    // Called after a record replaced the state.
    virtual void StateRestored() = 0;
};

class UndoRecord {
public:
    virtual ~UndoRecord() = default;

    // Snapshots the document, then applies `effect` to its image. Nothing for
    // a null effect.
    virtual void Do(UndoDocument& document, ImageEffect* effect, ProgressReporter* progress);
    // Keeps the current state as the "after" state and restores the "before" one.
    virtual void Undo(UndoDocument& document);
    // Keeps the current state as the "before" state and restores the "after" one.
    virtual void Redo(UndoDocument& document);

    // Takes the snapshot of the state before a step.
    void Snapshot(const PixelImage& image, const ObjectList& objects);

    // Given by the history when the record is pushed: unique in the history's
    // lifetime, so a caller can tell whether a step it recorded is still the
    // newest one (0 before the push).
    uint64_t id = 0;

    PixelImage beforeImage;
    PixelImage afterImage;
    ObjectList beforeObjects;
    ObjectList afterObjects;
};

// A step that changes only the objects (one created or deleted): the image
// stays out of its snapshots, so recording it copies no pixels. Undoing it
// restores the objects alone, which is exact because every change of the
// image is a step of its own and is undone before this one.
class ObjectsUndoRecord : public UndoRecord {
public:
    void SnapshotObjects(const ObjectList& objects);
    void Undo(UndoDocument& document) override;
    void Redo(UndoDocument& document) override;
};

// A resize as one step; the objects are neither moved nor scaled.
class ResizeUndoRecord : public UndoRecord {
public:
    ResizeUndoRecord(int w, int h, int q) : width(w), height(h), quality(q) {}
    // Ignores `effect`: snapshot, then the nearest-neighbour resize for
    // quality 0 or the smooth one (with progress) for quality 1.
    void Do(UndoDocument& document, ImageEffect* effect, ProgressReporter* progress) override;
    // The resize alone, on any image (the document resizes a copy off the
    // user-interface thread and keeps the image before as the snapshot).
    void Apply(PixelImage& image, ProgressReporter* progress) const;

    int width = 0;
    int height = 0;
    int quality = 0;  // 0 "Good", 1 "Better"
};

}  // namespace clipvane
