#include "imagefile/FileError.h"

#include <cstring>

#include "imagefile/ImageFile.h"

namespace clipvane {

namespace {

std::string& Slot() {
    thread_local std::string reason;
    return reason;
}

}  // namespace

void ClearFileError() { Slot().clear(); }

void NoteFileError(const std::string& reason) {
    if (Slot().empty()) Slot() = reason;
}

void NoteSystemError(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be `buffer`.
    NoteFileError(strerror_r(error, buffer, sizeof buffer));
}

const std::string& FileError() { return Slot(); }

std::string LastImageFileError() { return Slot(); }

}  // namespace clipvane
