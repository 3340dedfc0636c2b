#include "document/files/Handlers.h"
#include "document/files/IsolatedDecoder.h"

namespace cv {

bool FreeImageHandler::LoadFile(const std::string& path) {
    return DecodeIsolated(path.c_str(), nullptr, 0, frames);
}

bool FreeImageHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return false;
    return DecodeIsolated(nullptr, bytes, size, frames);
}

}  // namespace cv
