// Annotation descriptions come from scripts and files: reading must refuse
// anything malformed with a message and never crash, and whatever it accepts
// must come back unchanged through the writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "annotation/ObjectsJson.h"

namespace {

// Any path ending in ".png" is a 2 x 2 picture; other paths cannot be read.
bool LoadStamp(const std::string& path, clipvane::PixelImage& image, std::string& error) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) {
        error = "No such file or directory";
        return false;
    }
    return image.Create(2, 2, 32);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    clipvane::ObjectList objects;
    std::string error;
    if (!clipvane::ReadObjectsJson(text, LoadStamp, objects, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const auto stampPath = [](const clipvane::StampObject&, size_t) { return std::string("stamp.png"); };
    const std::string written = clipvane::WriteObjectsJson(objects, stampPath);
    clipvane::ObjectList again;
    if (!clipvane::ReadObjectsJson(written, LoadStamp, again, error)) std::abort();
    if (clipvane::WriteObjectsJson(again, stampPath) != written) std::abort();
    return 0;
}
