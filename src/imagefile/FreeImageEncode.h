#pragma once
// Writing through FreeImage, shared by the plain savers and the one that keeps
// a transparent document's alpha.
#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace clipvane {

// Owns a FreeImage bitmap for the length of a scope.
struct FreeImageBitmap {
    FIBITMAP* dib = nullptr;
    explicit FreeImageBitmap(FIBITMAP* d = nullptr) : dib(d) {}
    ~FreeImageBitmap() {
        if (dib) FreeImage_Unload(dib);
    }
    FreeImageBitmap(const FreeImageBitmap&) = delete;
    FreeImageBitmap& operator=(const FreeImageBitmap&) = delete;
};

// Writes `size` bytes to `path` with every write checked.
bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

// Encodes `dib` as `fif` into memory, then writes it to `path`. An error the
// library reports while encoding (libtiff's row-size overflow, for one) fails
// the save even when the encoder returns success, and is noted as the reason.
// The caller holds a FreeImageScope.
bool WriteWithFreeImage(FREE_IMAGE_FORMAT fif, FIBITMAP* dib, const std::string& path);

}  // namespace clipvane
