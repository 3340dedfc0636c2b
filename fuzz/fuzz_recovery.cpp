// The recovery entry reader over arbitrary bytes: it must refuse or accept
// without crashing, reading out of bounds or allocating beyond the input, and
// an accepted entry must encode to bytes that read back the same way. Each
// input is read twice: as it is, and with its payload length and checksum
// made right, so that the fields behind the checksum are reached as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "recovery/RecoveryFormat.h"

namespace {

void Check(const uint8_t* data, size_t size) {
    clipvane::RecoveryEntry entry;
    if (!clipvane::DecodeRecoveryEntry(data, size, &entry)) return;
    const std::vector<uint8_t> again = clipvane::EncodeRecoveryEntry(entry);
    clipvane::RecoveryEntry second;
    if (!clipvane::DecodeRecoveryEntry(again.data(), again.size(), &second)) std::abort();
    if (second.objects.size() != entry.objects.size() || second.title != entry.title || second.path != entry.path)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check(data, size);
    const size_t framing = clipvane::kRecoveryHeaderSize + 4;
    if (size < framing) return 0;
    std::vector<uint8_t> fixed(data, data + size);
    const uint64_t payload = size - framing;
    for (int i = 0; i < 8; ++i) fixed[16 + i] = uint8_t(payload >> (8 * i));
    const uint32_t crc = clipvane::Crc32(fixed.data(), size - 4);
    for (int i = 0; i < 4; ++i) fixed[size - 4 + i] = uint8_t(crc >> (8 * i));
    Check(fixed.data(), fixed.size());
    return 0;
}
