#include "imagefile/FreeImageEncode.h"

#include "imagefile/AtomicFile.h"
#include "imagefile/FileError.h"

namespace clipvane {

namespace {

// The library's first message during this thread's encoding.
thread_local std::string t_libraryMessage;

void RecordMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (t_libraryMessage.empty() && message) t_libraryMessage = message;
}

}  // namespace

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    OutputFile out(path);
    out.Write(data, size);
    return out.Close();
}

bool WriteWithFreeImage(FREE_IMAGE_FORMAT fif, FIBITMAP* dib, const std::string& path) {
    if (!dib) return false;
    t_libraryMessage.clear();
    FreeImage_SetOutputMessage(RecordMessage);
    FIMEMORY* memory = FreeImage_OpenMemory(nullptr, 0);
    if (!memory) return false;
    bool ok = false;
    BYTE* data = nullptr;
    DWORD size = 0;
    const bool encoded = FreeImage_SaveToMemory(fif, dib, memory, 0) && t_libraryMessage.empty() &&
                         FreeImage_AcquireMemory(memory, &data, &size) && size;
    if (encoded)
        ok = WriteWholeFile(path, data, size);
    else if (!t_libraryMessage.empty())
        NoteFileError("the encoder failed: " + t_libraryMessage);
    FreeImage_CloseMemory(memory);
    return ok;
}

}  // namespace clipvane
