#include "imagefile/FreeImageEncode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imagefile/AtomicFile.h"
#include "imagefile/FileError.h"

namespace clipvane {

namespace {

// The library's first message during this thread's encoding.
thread_local std::string t_libraryMessage;

void RecordMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (t_libraryMessage.empty() && message) t_libraryMessage = message;
}

// The encoded file in memory. Bytes the encoder skips over by seeking past
// the end (libtiff aligns its directory that way) are zero: FreeImage's own
// memory stream leaves them as whatever the allocator held, which would put
// stale process memory into the user's file and make saves unrepeatable.
struct EncodedBytes {
    std::vector<uint8_t> data;
    size_t pos = 0;
};

unsigned DLL_CALLCONV ReadEncoded(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* out = static_cast<EncodedBytes*>(handle);
    if (size == 0 || out->pos >= out->data.size()) return 0;
    const size_t items = std::min<size_t>(count, (out->data.size() - out->pos) / size);
    std::memcpy(buffer, out->data.data() + out->pos, items * size);
    out->pos += items * size;
    return unsigned(items);
}

unsigned DLL_CALLCONV WriteEncoded(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* out = static_cast<EncodedBytes*>(handle);
    const size_t bytes = size_t(size) * count;
    if (out->pos + bytes > out->data.size()) out->data.resize(out->pos + bytes);  // zero-filled
    if (bytes) std::memcpy(out->data.data() + out->pos, buffer, bytes);
    out->pos += bytes;
    return count;
}

int DLL_CALLCONV SeekEncoded(fi_handle handle, long offset, int origin) {
    auto* out = static_cast<EncodedBytes*>(handle);
    const long base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? long(out->pos) : long(out->data.size());
    if (offset < -base) return -1;
    out->pos = size_t(base + offset);
    return 0;
}

long DLL_CALLCONV TellEncoded(fi_handle handle) { return long(static_cast<EncodedBytes*>(handle)->pos); }

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
    EncodedBytes encoded;
    FreeImageIO io{ReadEncoded, WriteEncoded, SeekEncoded, TellEncoded};
    const bool ok =
        FreeImage_SaveToHandle(fif, dib, &io, &encoded, 0) && t_libraryMessage.empty() && !encoded.data.empty();
    if (!ok) {
        if (!t_libraryMessage.empty()) NoteFileError("the encoder failed: " + t_libraryMessage);
        return false;
    }
    return WriteWholeFile(path, encoded.data.data(), encoded.data.size());
}

}  // namespace clipvane
