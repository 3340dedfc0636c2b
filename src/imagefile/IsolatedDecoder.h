#pragma once
// Runs FreeImage decoding in a separate, short-lived process. The child
// decodes and writes the frames into a pipe; the parent checks every frame
// header before it allocates anything. A crash, a hang past the time limit or
// an allocation past the memory limit in the child is an ordinary failed load.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "image/PixelImage.h"

namespace clipvane {

struct DecoderLimits {
    int timeoutMs = 20000;                     // whole decode, wall clock
    uint64_t memoryBytes = uint64_t(3) << 30;  // extra address space for the child
    // Pixels accepted over all frames; the frames after that are dropped.
    uint64_t totalFrameBytes = uint64_t(1) << 30;
};

DecoderLimits GetDecoderLimits();
void SetDecoderLimits(const DecoderLimits& limits);

// For tests: a function the child runs before it decodes (to make it crash,
// hang or allocate). Null to remove.
void SetDecoderChildHook(void (*hook)());

// Decodes the file at `path`, or the bytes when `path` is null, appending the
// frames: the first `maxFrames` (0: all). Frames that arrived whole before a
// failure, a crash or the time limit are kept; false (and no frames
// appended) when none did.
bool DecodeIsolated(const char* path, const uint8_t* bytes, size_t size,
                    std::deque<std::unique_ptr<PixelImage>>& frames, int maxFrames = 0);

}  // namespace clipvane
