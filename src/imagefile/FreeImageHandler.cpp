#include <sys/stat.h>

#include "imagefile/Handlers.h"
#include "imagefile/IsolatedDecoder.h"

namespace clipvane {

bool FreeImageHandler::LoadFile(const std::string& path) {
    // Only regular files: a pipe or device would keep the decoder waiting.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
    return DecodeIsolated(path.c_str(), nullptr, 0, frames);
}

bool FreeImageHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return false;
    return DecodeIsolated(nullptr, bytes, size, frames);
}

}  // namespace clipvane
