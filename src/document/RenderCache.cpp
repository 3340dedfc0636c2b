#include "document/RenderCache.h"

#include <algorithm>
#include <cstring>

#include "annotation/ObjectKinds.h"
#include "document/BlendImage.h"
#include "document/RenderObjects.h"

namespace clipvane {

namespace {

template <class T>
void Put(std::string& key, const T& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

void PutText(std::string& key, const std::u16string& text) {
    Put(key, uint64_t(text.size()));
    key.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

uint64_t HashImage(const PixelImage& image) {
    // FNV-1a over header and pixels: stamps are small pictures.
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    };
    mix(reinterpret_cast<const uint8_t*>(&image.Info()), sizeof(BitmapInfoHeader));
    if (!image.IsEmpty()) mix(image.Bits(), image.ByteCount());
    for (const RgbQuad& q : image.Palette()) mix(reinterpret_cast<const uint8_t*>(&q), sizeof(q));
    return h;
}

// The anchor (the point the bitmap moves with) and the key of everything
// else that shapes the bitmap: the coordinates relative to the anchor, then
// every member that is not a coordinate (transparency is applied when the
// bitmap is blended, so it stays out).
std::string KeyOf(const AnnotationObject& object, int& ax, int& ay) {
    std::string key;
    key.reserve(64);
    Put(key, uint32_t(object.kind));
    Put(key, object.shadow != 0);
    const ObjectKindInfo& info = KindInfo(object);
    const Rect p = info.points(object);
    if (info.geometry == KindGeometry::Segment) {
        ax = std::min(p.left, p.right);
        ay = std::min(p.top, p.bottom);
        const int64_t points[] = {int64_t(p.left) - ax, int64_t(p.top) - ay, int64_t(p.right) - ax,
                                  int64_t(p.bottom) - ay};
        Put(key, points);
    } else {
        ax = p.left;
        ay = p.top;
        Put(key, int64_t(p.right) - p.left);
        Put(key, int64_t(p.bottom) - p.top);
    }
    auto& o = const_cast<AnnotationObject&>(object);  // read only
    for (const ObjectMember& m : info.members) {
        if (m.coordinate || std::string_view(m.key) == "transparency") continue;
        switch (m.type) {
        case MemberType::Int:
        case MemberType::Bool: Put(key, m.IntOf(object)); break;
        case MemberType::Color: Put(key, *static_cast<const ColorRef*>(m.field(o))); break;
        case MemberType::Text: PutText(key, *static_cast<const std::u16string*>(m.field(o))); break;
        case MemberType::Picture: Put(key, HashImage(*static_cast<const PixelImage*>(m.field(o)))); break;
        }
    }
    return key;
}

// Copies `area` of `base` into the 32-bit `target` as ConvertTo(32) would
// (24-bit pixels get alpha 255). Both must have the same size. True when
// every copied pixel is opaque.
bool CopyArea32(const PixelImage& base, PixelImage& target, const Rect& area) {
    uint8_t allAlpha = 255;
    for (int y = area.top; y < area.bottom; ++y) {
        uint8_t* out = target.Row(y) + size_t(area.left) * 4;
        if (base.Depth() == 32) {
            const uint8_t* in = base.Row(y) + size_t(area.left) * 4;
            std::memcpy(out, in, size_t(area.Width()) * 4);
            for (int x = 0; x < area.Width(); ++x) allAlpha &= in[size_t(x) * 4 + 3];
            continue;
        }
        const uint8_t* in = base.Row(y) + size_t(area.left) * 3;
        for (int x = 0; x < area.Width(); ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
    return allAlpha == 255;
}

bool AllOpaque(const PixelImage& image) {
    uint8_t all = 255;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) all &= row[size_t(x) * 4 + 3];
        if (all != 255) return false;
    }
    return true;
}

}  // namespace

const RenderCache::Bitmap& RenderCache::Lookup(const AnnotationObject& object, int& anchorX, int& anchorY) {
    std::string key = KeyOf(object, anchorX, anchorY);
    auto found = bitmaps_.find(key);
    if (found == bitmaps_.end()) {
        Bitmap bitmap;
        RenderedObject rendered;
        bitmap.drawn = RenderObject(object, rendered);
        if (bitmap.drawn) {
            bitmap.image = std::move(rendered.image);
            bitmap.runs = FindAlphaRuns(bitmap.image);
            bitmap.dx = rendered.x - anchorX;
            bitmap.dy = rendered.y - anchorY;
        }
        bitmap.id = nextId_++;
        found = bitmaps_.emplace(std::move(key), std::move(bitmap)).first;
    }
    found->second.lastUse = epoch_;
    return found->second;
}

void RenderCache::Place(const ObjectList& objects, std::vector<Placed>& placed) {
    placed.clear();
    placed.reserve(objects.size());
    for (const auto& object : objects) {
        if (!object) continue;
        int ax = 0, ay = 0;
        const Bitmap& bitmap = Lookup(*object, ax, ay);
        if (!bitmap.drawn) continue;
        Placed p;
        p.id = bitmap.id;
        p.bounds = Rect{ax + bitmap.dx, ay + bitmap.dy, ax + bitmap.dx + bitmap.image.Width(),
                        ay + bitmap.dy + bitmap.image.Height()};
        p.strength = std::clamp(100 - object->transparency, 0, 100);
        p.image = &bitmap.image;
        p.runs = &bitmap.runs;
        placed.push_back(p);
    }
}

void RenderCache::Render(PixelImage& target, const ObjectList& objects) {
    if (target.IsEmpty()) return;
    ++epoch_;
    std::vector<Placed> placed;
    Place(objects, placed);
    // Nothing to draw leaves the target as it is, at its own depth.
    if (placed.empty()) return;
    // A 24-bit target becomes opaque at 32 bits; others are checked.
    const bool opaque = target.Depth() == 24 || (target.Depth() == 32 && AllOpaque(target));
    if (target.Depth() != 32) target.ConvertTo(32);
    const Rect whole{0, 0, target.Width(), target.Height()};
    for (const Placed& p : placed) {
        if (opaque)
            BlendRunsOntoOpaque(target, *p.image, *p.runs, p.bounds.left, p.bounds.top, p.strength, whole);
        else
            BlendImage(target, *p.image, p.bounds.left, p.bounds.top, p.strength);
    }
}

void RenderCache::BlendPlaced(const Placed& p, const Rect& area) {
    if (p.bounds.Intersected(area).IsEmpty()) return;
    // Over an opaque base the composite stays opaque, so only the bitmap's
    // non-transparent runs can change anything.
    if (opaqueBase_)
        BlendRunsOntoOpaque(composite_, *p.image, *p.runs, p.bounds.left, p.bounds.top, p.strength, area);
    else
        BlendImageClipped(composite_, *p.image, p.bounds.left, p.bounds.top, p.strength, area);
}

void RenderCache::ComposeArea(const PixelImage& base, const Rect& area) {
    CopyArea32(base, composite_, area);
    for (const Placed& p : placed_) BlendPlaced(p, area);
}

const PixelImage& RenderCache::Compose(const PixelImage& base, const ObjectList& objects) {
    ++epoch_;
    std::vector<Placed> placed;
    Place(objects, placed);

    const Rect whole{0, 0, base.Width(), base.Height()};
    const bool sameFrame = composed_ && !base.IsEmpty() && composite_.Width() == base.Width() &&
                           composite_.Height() == base.Height() && (base.Depth() == 32 || base.Depth() == 24);
    std::vector<Rect> dirty;
    bool full = !sameFrame;
    if (!full) {
        // Any index whose entry differs marks both its old and new place;
        // pixels outside every such place see the same blends in the same order.
        int64_t dirtyArea = 0;
        const size_t n = std::max(placed.size(), placed_.size());
        for (size_t i = 0; i < n && !full; ++i) {
            const Placed* before = i < placed_.size() ? &placed_[i] : nullptr;
            const Placed* after = i < placed.size() ? &placed[i] : nullptr;
            if (before && after && *before == *after) continue;
            for (const Placed* p : {before, after}) {
                if (!p) continue;
                const Rect area = p->bounds.Intersected(whole);
                if (area.IsEmpty()) continue;
                dirty.push_back(area);
                dirtyArea += int64_t(area.Width()) * area.Height();
            }
            if (dirtyArea > int64_t(whole.Width()) * whole.Height() / 2) full = true;
        }
    }
    placed_ = std::move(placed);

    if (full) {
        const bool reuse = !base.IsEmpty() && composite_.Depth() == 32 && composite_.Width() == base.Width() &&
                           composite_.Height() == base.Height() && (base.Depth() == 32 || base.Depth() == 24);
        if (reuse) {
            // Same size: refill the storage in place rather than map new pages.
            opaqueBase_ = CopyArea32(base, composite_, whole);
        } else if (base.IsEmpty()) {
            composite_.Destroy();
        } else {
            composite_.Destroy();
            if (composite_.Create(base.Width(), base.Height(), 32) && (base.Depth() == 32 || base.Depth() == 24)) {
                opaqueBase_ = CopyArea32(base, composite_, whole);
            } else {
                composite_ = base;
                composite_.ConvertTo(32);
                opaqueBase_ = false;
            }
        }
        for (const Placed& p : placed_) BlendPlaced(p, whole);
        composed_ = true;
    } else {
        for (const Rect& area : dirty) ComposeArea(base, area);
    }

    // Bitmaps no object uses any more go.
    for (auto it = bitmaps_.begin(); it != bitmaps_.end();) {
        if (it->second.lastUse != epoch_)
            it = bitmaps_.erase(it);
        else
            ++it;
    }
    return composite_;
}

void RenderCache::Clear() {
    bitmaps_.clear();
    placed_.clear();
    composite_.Destroy();
    composed_ = false;
}

size_t RenderCache::MemoryBytes() const {
    size_t bytes = composite_.ByteCount();
    for (const auto& entry : bitmaps_) bytes += entry.second.image.ByteCount() + entry.first.size();
    return bytes;
}

}  // namespace clipvane
