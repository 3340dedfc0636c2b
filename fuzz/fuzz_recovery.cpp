// The recovery entry reader over arbitrary bytes: it must refuse or accept
// without crashing, reading out of bounds or allocating beyond the input, and
// an accepted entry must encode to bytes that read back the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "recovery/RecoveryFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    clipvane::RecoveryEntry entry;
    if (!clipvane::DecodeRecoveryEntry(data, size, &entry)) return 0;
    const std::vector<uint8_t> again = clipvane::EncodeRecoveryEntry(entry);
    clipvane::RecoveryEntry second;
    if (!clipvane::DecodeRecoveryEntry(again.data(), again.size(), &second)) std::abort();
    if (second.objects.size() != entry.objects.size() || second.title != entry.title) std::abort();
    return 0;
}
