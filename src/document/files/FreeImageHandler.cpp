#include "document/files/Handlers.h"

namespace cv {

bool FreeImageHandler::LoadFile(const std::string&) { return false; }
bool FreeImageHandler::LoadMemory(const uint8_t*, size_t) { return false; }

}  // namespace cv
