#pragma once
// Annotation objects as JSON, for scripts: an array of objects, each with its
// "kind" and the members of that kind under the records' own names (see
// docs/annotations.md). Reading is strict: an unknown key, a wrong type or a
// value outside its range refuses the whole description, with a message that
// names the element (counted from 0) and the key.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "annotation/ObjectKinds.h"

namespace clipvane {

// Largest description read, in bytes, and most elements in it.
inline constexpr size_t kMaxObjectsJsonBytes = size_t(16) << 20;
inline constexpr size_t kMaxObjectsJsonElements = 10000;
// JSON values an element may hold on average (its object, keys' values and
// nested arrays); more in the whole description is refused while parsing.
inline constexpr size_t kMaxObjectsJsonValuesPerElement = 64;

// Loads a stamp's picture from the path written in the description, at 32
// bits per pixel; false with the reason in `error`.
using StampLoader = std::function<bool(const std::string& path, PixelImage& image, std::string& error)>;
// The path written for a stamp (the element's index given); empty leaves the
// "image" member out.
using StampPathFor = std::function<std::string(const StampObject& stamp, size_t index)>;

// The kind's name in the description ("line", "arrow", ...).
const char* ObjectKindName(ObjectKind kind);

// A new object of `kind` as the editor makes it before the user draws it:
// the values of the kind's tool panel when it is first shown (shadow on
// except for shapes, a highlight at transparency 50, arrows one pixel wide,
// a shape's fill colour red 0, green 128, blue 128) over the record's own
// defaults.
std::unique_ptr<AnnotationObject> NewEditorObject(ObjectKind kind);

// Reads a description. On success `objects` holds its objects in order;
// otherwise `objects` is left as it was and `error` says why. `loadStamp`
// may be empty when no stamp names a picture.
bool ReadObjectsJson(std::string_view text, const StampLoader& loadStamp, ObjectList& objects, std::string& error);

// Writes every member of every object, one element per line. Stamps get an
// "image" member only from `stampPath`.
std::string WriteObjectsJson(const ObjectList& objects, const StampPathFor& stampPath = {});

}  // namespace clipvane
