#pragma once
// PNG with editable annotations: an ordinary PNG whose pixels are the picture
// with its objects drawn in, carrying in a private chunk what Clipvane needs
// to reopen it editable: the pixels without the objects and the objects in
// their JSON description (ObjectsJson.h). Any other program shows the
// flattened picture. docs/annotations.md describes the layout.
//
// The chunk's type is "cvAN": ancillary and private, and not safe to copy, so
// an editor that changes the pixels drops it. It also holds the CRC-32 of
// the flattened pixels, so a file whose pixels were changed by a program that
// kept the chunk anyway opens as the plain picture it now is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "annotation/AnnotationObject.h"
#include "image/PixelImage.h"

namespace clipvane {

inline constexpr char kEditableChunkType[5] = "cvAN";
inline constexpr uint32_t kEditableVersion = 1;

struct EditableContent {
    PixelImage image;          // the pixels under the objects: 24 or 32 bits
    bool transparent = false;  // the image's fourth byte is alpha
    ObjectList objects;
};

// The whole file: `flattened` (24 or 32 bits) encoded exactly as the plain
// PNG save writes it (RGBA when `flattenedAlpha`), plus the chunk. Empty, with
// `error` in words, when the content cannot be kept (a depth other than 24
// or 32, more objects or stamp pixels than a reader accepts).
// `image`, `transparent` and `objects` are what EditableContent holds.
std::vector<uint8_t> EncodeEditablePng(const PixelImage& flattened, bool flattenedAlpha, const PixelImage& image,
                                       bool transparent, const ObjectList& objects, std::string& error);

// Encodes and writes the file atomically. False with the reason noted for
// LastImageFileError; an existing file is then left as it was.
bool SaveEditablePng(const std::string& path, const PixelImage& flattened, bool flattenedAlpha, const PixelImage& image,
                     bool transparent, const ObjectList& objects);

enum class EditableState {
    kPlain,     // no chunk: an ordinary picture
    kEditable,  // the chunk was read whole; `out` holds it
    kDamaged,   // a chunk is there but cannot be used; `why` says why in words
};

// Reads the chunk of a PNG file in memory. `flattened` is the file's own
// picture as the file layer decoded it: the chunk is used only when it was
// written for exactly those pixels, and the pixels under the objects are
// kept as their difference from them. Without it (null: tools that only
// count objects, the fuzzer) nothing is checked against the file's pixels
// and `out.image` holds that difference. `out` is changed only for
// kEditable.
EditableState DecodeEditablePng(const uint8_t* file, size_t size, const PixelImage* flattened, EditableContent& out,
                                std::string& why);
// The same for a file, read chunk by chunk (the pixel data is skipped, not
// read). A file that cannot be opened is kPlain, as the loader reports it.
EditableState ReadEditablePng(const std::string& path, const PixelImage* flattened, EditableContent& out,
                              std::string& why);

}  // namespace clipvane
