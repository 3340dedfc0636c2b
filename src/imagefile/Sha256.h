#pragma once
// SHA-256 (FIPS 180-4), for fingerprints of pixel data.
#include <cstddef>
#include <cstdint>
#include <string>

namespace clipvane {

class PixelImage;

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // Finishes the hash; the object must not be updated afterwards.
    void Final(uint8_t digest[32]);
    std::string HexDigest();

private:
    void Block(const uint8_t* p);

    uint32_t state_[8];
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint64_t length_ = 0;
};

// The SHA-256 of an image's pixel rows from the top row down, each row's
// meaningful bytes only (width x depth / 8, no padding), in hex: the
// fingerprint `clipvane-image info` prints.
std::string PixelDigest(const PixelImage& image);

}  // namespace clipvane
