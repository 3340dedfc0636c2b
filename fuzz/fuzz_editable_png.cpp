// PNG files with editable annotations come from anywhere: reading their chunk
// must refuse anything damaged with a reason and never crash or allocate
// past what the file holds, and whatever it accepts must come back the same
// through the writer. Each input is read twice: as a whole file, and as the
// chunk's payload (signed with its checksum, so the fuzzer reaches the
// fields behind it) inside a small PNG.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "annotation/EditablePng.h"
#include "annotation/ObjectsJson.h"
#include "imagefile/Png.h"
#include "imagefile/PngChunks.h"
#include "imagefile/Sha256.h"

namespace {

using namespace clipvane;

void Check(const uint8_t* data, size_t size) {
    EditableContent content;
    std::string why;
    switch (DecodeEditablePng(data, size, nullptr, content, why)) {
    case EditableState::kPlain: return;
    case EditableState::kDamaged:
        if (why.empty() || !content.objects.empty()) std::abort();
        return;
    case EditableState::kEditable: break;
    }
    // Accepted: write it again (over its own pixels) and read the same back.
    std::string error;
    const std::vector<uint8_t> again =
        EncodeEditablePng(content.image, false, content.image, content.transparent, content.objects, error);
    if (again.empty()) return;  // a content the writer cannot keep (too many objects)
    EditableContent back;
    if (DecodeEditablePng(again.data(), again.size(), &content.image, back, why) != EditableState::kEditable)
        std::abort();
    if (WriteObjectsJson(back.objects) != WriteObjectsJson(content.objects)) std::abort();
    if (PixelDigest(back.image) != PixelDigest(content.image) || back.transparent != content.transparent) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check(data, size);

    static const std::vector<uint8_t> skeleton = [] {
        PixelImage image;
        image.Create(1, 1, 24);
        return EncodePng(image);
    }();
    std::vector<uint8_t> payload(data, data + size);
    payload.resize(size + 32);
    Sha256 sum;
    sum.Update(data, size);
    sum.Final(&payload[size]);
    std::vector<uint8_t> file = skeleton;
    if (!InsertPngChunks(file, kEditableChunkType, payload.data(), payload.size())) std::abort();
    Check(file.data(), file.size());
    return 0;
}
