#pragma once
// Object rendering with memory: each object's rendered bitmap (shadow
// included) is kept until the object changes, and a composite of image and
// objects is rebuilt only where something changed. Results are byte for byte
// those of RenderObjects.
//
// Bitmaps are keyed by everything that shapes them except position and
// transparency, so moving an object or changing its opacity needs no new
// drawing, and an undo that brings back equal objects finds them drawn.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "annotation/AnnotationObject.h"
#include "document/BlendImage.h"
#include "image/PixelImage.h"

namespace clipvane {

class RenderCache {
public:
    // Draws every object into `target` as RenderObjects does (a target of
    // another depth is converted to 32 bits when there is something to draw).
    void Render(PixelImage& target, const ObjectList& objects);

    // `base` with every object over it, 32 bits per pixel (empty for an empty
    // base). Only the areas of objects that changed, moved, appeared,
    // vanished or changed place in the order since the last call are redone,
    // unless InvalidateBase was called.
    const PixelImage& Compose(const PixelImage& base, const ObjectList& objects);

    // The base image changed: the next Compose starts from scratch.
    void InvalidateBase() { composed_ = false; }
    // Drops every bitmap and the composite.
    void Clear();
    // Drops the composite alone (the next Compose builds it again).
    void ReleaseComposite() {
        composite_.Destroy();
        composed_ = false;
    }

    size_t BitmapCount() const { return bitmaps_.size(); }
    // Bytes held by the cached bitmaps and the composite.
    size_t MemoryBytes() const;

private:
    struct Bitmap {
        PixelImage image;
        std::vector<AlphaRun> runs;  // where the bitmap is not transparent
        int dx = 0, dy = 0;          // image position relative to the object's anchor
        bool drawn = false;          // false when the object has nothing to draw
        uint64_t id = 0;
        uint64_t lastUse = 0;
    };
    struct Placed {
        uint64_t id = 0;
        Rect bounds;  // unclipped target rectangle of the bitmap
        int strength = 0;
        const PixelImage* image = nullptr;
        const std::vector<AlphaRun>* runs = nullptr;
        bool operator==(const Placed& o) const { return id == o.id && bounds == o.bounds && strength == o.strength; }
    };

    const Bitmap& Lookup(const AnnotationObject& object, int& anchorX, int& anchorY);
    void Place(const ObjectList& objects, std::vector<Placed>& placed);
    void ComposeArea(const PixelImage& base, const Rect& area);
    void BlendPlaced(const Placed& p, const Rect& area);

    std::unordered_map<std::string, Bitmap> bitmaps_;
    std::vector<Placed> placed_;
    PixelImage composite_;
    bool composed_ = false;
    bool opaqueBase_ = false;  // every base pixel has alpha 255
    uint64_t epoch_ = 0;
    uint64_t nextId_ = 1;
};

}  // namespace clipvane
