// Joining separately compressed deflate pieces into one stream: every kind
// of block libdeflate emits (stored, fixed, dynamic; one or many per piece)
// must end up non-final and byte-aligned, and the joined stream must inflate
// to the pieces' bytes in order.
#include <gtest/gtest.h>
#include <libdeflate.h>

#include <memory>
#include <random>
#include <vector>

#include "imagefile/DeflateJoin.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compress(const Bytes& data, int level) {
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(libdeflate_alloc_compressor(level),
                                                                               libdeflate_free_compressor);
    Bytes out(libdeflate_deflate_compress_bound(c.get(), data.size()) + 5);
    const size_t n = libdeflate_deflate_compress(c.get(), data.data(), data.size(), out.data(), out.size() - 5);
    out.resize(n);
    return out;
}

Bytes Inflate(const Bytes& stream, size_t expected, bool* ok) {
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> d(libdeflate_alloc_decompressor(),
                                                                                   libdeflate_free_decompressor);
    Bytes out(expected);
    size_t inUsed = 0, outUsed = 0;
    *ok = libdeflate_deflate_decompress_ex(d.get(), stream.data(), stream.size(), out.data(), out.size(), &inUsed,
                                           &outUsed) == LIBDEFLATE_SUCCESS &&
          inUsed == stream.size() && outUsed == expected;
    return out;
}

// Kinds of content that make the compressor choose different blocks.
Bytes Content(int kind, size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) {
        switch (kind) {
        case 0: b[i] = uint8_t(random()); break;                                      // incompressible: stored blocks
        case 1: b[i] = 0; break;                                                      // one long run
        case 2: b[i] = uint8_t("the quick brown fox "[i % 20]); break;                // short text repeats
        case 3: b[i] = uint8_t((i / 3000) % 2 ? random() & 3 : (i * 7) >> 4); break;  // changing statistics
        default: b[i] = uint8_t(random() % 5 == 0 ? random() : i); break;
        }
    }
    return b;
}

TEST(DeflateJoin, PiecesJoinIntoOneStreamForEveryKindOfBlock) {
    // Sizes from empty and one byte to several of libdeflate's blocks.
    const size_t sizes[] = {0, 1, 2, 100, 5000, 70000, 700000};
    const int levels[] = {0, 1, 6, 12};
    uint32_t seed = 1;
    for (int kind = 0; kind < 5; ++kind)
        for (int level : levels)
            for (int pieces : {1, 2, 3}) {
                Bytes all, joined;
                for (int p = 0; p < pieces; ++p) {
                    const Bytes data = Content(kind, sizes[(size_t(seed) + size_t(p) * 3) % 7], seed);
                    ++seed;
                    all.insert(all.end(), data.begin(), data.end());
                    Bytes z = Compress(data, level);
                    ASSERT_FALSE(z.empty());
                    if (p + 1 < pieces) {
                        const size_t size = z.size();
                        z.resize(size + 5);
                        const size_t joinedSize = clipvane::MakeDeflateNonFinal(z.data(), size);
                        ASSERT_GT(joinedSize, 0u) << "kind " << kind << " level " << level;
                        z.resize(joinedSize);
                    }
                    joined.insert(joined.end(), z.begin(), z.end());
                }
                bool ok = false;
                const Bytes back = Inflate(joined, all.size(), &ok);
                ASSERT_TRUE(ok) << "kind " << kind << " level " << level << " pieces " << pieces;
                EXPECT_EQ(back, all);
            }
}

TEST(DeflateJoin, FindsTheFinalBlockAndItsEnd) {
    // One short block: its header is the stream's first bit, and its end
    // lies in the last byte.
    const Bytes one = Compress(Bytes(100, 'a'), 6);
    clipvane::DeflateEnd end;
    ASSERT_TRUE(clipvane::FindDeflateEnd(one.data(), one.size(), end));
    EXPECT_EQ(end.finalHeaderBit, 0u);
    EXPECT_EQ((end.endBit + 7) / 8, one.size());
    // Stored blocks end on a byte boundary.
    const Bytes stored = Compress(Content(0, 100, 9), 0);
    ASSERT_TRUE(clipvane::FindDeflateEnd(stored.data(), stored.size(), end));
    EXPECT_EQ(end.endBit, stored.size() * 8);
}

TEST(DeflateJoin, DamagedOrTruncatedStreamsAreRefused) {
    const Bytes good = Compress(Content(3, 200000, 5), 6);
    clipvane::DeflateEnd end;
    ASSERT_TRUE(clipvane::FindDeflateEnd(good.data(), good.size(), end));
    for (size_t cut : {size_t(0), size_t(1), good.size() / 2, good.size() - 1})
        EXPECT_FALSE(clipvane::FindDeflateEnd(good.data(), cut, end)) << cut;
    // Trailing bytes after the final block are not the compressor's output.
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(clipvane::FindDeflateEnd(longer.data(), longer.size(), end));
    // Block type 3 does not exist.
    const Bytes reserved = {0x07};
    EXPECT_FALSE(clipvane::FindDeflateEnd(reserved.data(), reserved.size(), end));
    // Random bytes: refused or walked, never read past the end (ASan checks).
    std::mt19937 random(3);
    for (int i = 0; i < 2000; ++i) {
        Bytes junk(1 + random() % 300);
        for (auto& b : junk) b = uint8_t(random());
        clipvane::FindDeflateEnd(junk.data(), junk.size(), end);
    }
}

TEST(DeflateJoin, Adler32CombinesLikeOnePass) {
    std::mt19937 random(7);
    for (size_t lenA : {size_t(0), size_t(1), size_t(65520), size_t(65521), size_t(200003)})
        for (size_t lenB : {size_t(0), size_t(1), size_t(65521), size_t(131100), size_t(300000)}) {
            Bytes a(lenA), b(lenB);
            for (auto& x : a) x = uint8_t(random());
            for (auto& x : b) x = uint8_t(random() | 0x80);
            const uint32_t adlerA = libdeflate_adler32(1, a.data(), a.size());
            const uint32_t adlerB = libdeflate_adler32(1, b.data(), b.size());
            // (libdeflate answers 1 for a null buffer, whatever it was given.)
            const uint32_t onePass = lenB ? libdeflate_adler32(adlerA, b.data(), b.size()) : adlerA;
            EXPECT_EQ(clipvane::Adler32Combine(adlerA, adlerB, lenB), onePass) << lenA << " + " << lenB;
        }
}

}  // namespace
