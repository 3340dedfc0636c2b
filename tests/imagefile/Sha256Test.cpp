// The SHA-256 used by `clipvane-image info`.
#include <gtest/gtest.h>

#include <string>

#include "imagefile/Sha256.h"

namespace {

std::string Hash(const std::string& s) {
    clipvane::Sha256 h;
    h.Update(s.data(), s.size());
    return h.HexDigest();
}

TEST(Sha256, KnownDigests) {
    // FIPS 180-4 examples.
    EXPECT_EQ(Hash(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hash("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million "a", fed in uneven pieces to cross block edges.
    clipvane::Sha256 h;
    const std::string chunk(997, 'a');
    size_t left = 1000000;
    while (left) {
        const size_t n = left < chunk.size() ? left : chunk.size();
        h.Update(chunk.data(), n);
        left -= n;
    }
    EXPECT_EQ(h.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
