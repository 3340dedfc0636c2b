#include <sys/stat.h>

#include "document/files/Handlers.h"
#include "document/files/IsolatedDecoder.h"

namespace cv {

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

}  // namespace cv
