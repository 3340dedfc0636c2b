#include "imagefile/DeflateJoin.h"

#include <cstring>
#include <vector>

namespace clipvane {

namespace {

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // At least the next 57 bits, lowest first; zeros past the end.
    uint64_t Peek() const {
        const size_t byte = pos_ >> 3;
        uint64_t v = 0;
        if (byte + 8 <= size_)
            std::memcpy(&v, data_ + byte, 8);
        else if (byte < size_)
            std::memcpy(&v, data_ + byte, size_ - byte);
        return v >> (pos_ & 7);
    }
    uint32_t Take(int n) {
        const uint32_t v = uint32_t(Peek() & ((uint64_t(1) << n) - 1));
        pos_ += size_t(n);
        return v;
    }
    void Skip(size_t n) { pos_ += n; }
    void AlignToByte() { pos_ = (pos_ + 7) & ~size_t(7); }
    size_t Pos() const { return pos_; }
    bool Past() const { return pos_ > size_ * 8; }
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A canonical Huffman code as a table over the next `maxLen` bits: each
// entry is symbol << 4 | code length, 0 where no code starts.
class HuffmanTable {
public:
    bool Build(const uint8_t* lengths, int count) {
        int perLength[16] = {};
        maxLen_ = 0;
        for (int i = 0; i < count; ++i) {
            ++perLength[lengths[i]];
            if (lengths[i] > maxLen_) maxLen_ = lengths[i];
        }
        // Over-subscribed codes are invalid; incomplete ones leave holes.
        int left = 1;
        for (int len = 1; len <= 15; ++len) {
            left = 2 * left - perLength[len];
            if (left < 0) return false;
        }
        table_.assign(size_t(1) << maxLen_, 0);
        int next[16] = {};
        int code = 0;
        perLength[0] = 0;
        for (int len = 1; len <= 15; ++len) {
            code = (code + perLength[len - 1]) << 1;
            next[len] = code;
        }
        for (int sym = 0; sym < count; ++sym) {
            const int len = lengths[sym];
            if (!len) continue;
            const uint32_t c = uint32_t(next[len]++);
            uint32_t reversed = 0;
            for (int b = 0; b < len; ++b) reversed |= ((c >> b) & 1u) << (len - 1 - b);
            for (size_t k = reversed; k < table_.size(); k += size_t(1) << len)
                table_[k] = uint32_t(sym) << 4 | uint32_t(len);
        }
        return true;
    }
    // The next symbol, or -1 where no code matches.
    int Decode(BitReader& in) const {
        if (maxLen_ == 0) return -1;
        const uint32_t e = table_[size_t(in.Peek()) & (table_.size() - 1)];
        if (!e) return -1;
        in.Skip(e & 15);
        return int(e >> 4);
    }
    // The table entry for the code at the bottom of `bits` (0: none).
    uint32_t Entry(uint64_t bits) const { return maxLen_ ? table_[size_t(bits) & (table_.size() - 1)] : 0; }

private:
    std::vector<uint32_t> table_;
    int maxLen_ = 0;
};

constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Skips the codes of one Huffman-coded block up to and including its
// end-of-block code. The hot loop keeps its own bit buffer: one refill of at
// least 56 bits covers a length, its extra bits, a distance and its extra
// bits (at most 48 bits).
bool SkipCodes(BitReader& in, const HuffmanTable& litlen, const HuffmanTable& distance) {
    const size_t limit = in.Size() * 8;
    for (;;) {
        if (in.Pos() > limit) return false;
        uint64_t bits = in.Peek();
        int avail = 56;
        size_t used = 0;
        while (avail >= 48) {
            const uint32_t e = litlen.Entry(bits);
            if (!e) return false;
            const int len = int(e & 15), sym = int(e >> 4);
            bits >>= len;
            avail -= len;
            used += size_t(len);
            if (sym < 256) continue;
            if (sym == 256) {
                in.Skip(used);
                return in.Pos() <= limit;
            }
            if (sym - 257 >= 29) return false;
            const int extra = kLengthExtra[sym - 257];
            bits >>= extra;
            const uint32_t d = distance.Entry(bits);
            if (!d || (d >> 4) >= 30) return false;
            const int dlen = int(d & 15) + kDistanceExtra[d >> 4];
            bits >>= dlen;
            avail -= extra + dlen;
            used += size_t(extra + dlen);
        }
        in.Skip(used);
    }
}

bool ReadDynamicTables(BitReader& in, HuffmanTable& litlen, HuffmanTable& distance) {
    const int nlit = int(in.Take(5)) + 257, ndist = int(in.Take(5)) + 1, nclen = int(in.Take(4)) + 4;
    if (nlit > 286 || ndist > 30) return false;
    static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t clen[19] = {};
    for (int i = 0; i < nclen; ++i) clen[kOrder[i]] = uint8_t(in.Take(3));
    HuffmanTable lengthCode;
    if (!lengthCode.Build(clen, 19)) return false;
    uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < nlit + ndist;) {
        if (in.Past()) return false;
        const int sym = lengthCode.Decode(in);
        if (sym < 0) return false;
        if (sym < 16) {
            lengths[i++] = uint8_t(sym);
            continue;
        }
        int repeat;
        uint8_t value = 0;
        if (sym == 16) {
            if (i == 0) return false;
            value = lengths[i - 1];
            repeat = 3 + int(in.Take(2));
        } else if (sym == 17) {
            repeat = 3 + int(in.Take(3));
        } else {
            repeat = 11 + int(in.Take(7));
        }
        if (i + repeat > nlit + ndist) return false;
        while (repeat--) lengths[i++] = value;
    }
    if (lengths[256] == 0) return false;
    return litlen.Build(lengths, nlit) && distance.Build(lengths + nlit, ndist);
}

}  // namespace

bool FindDeflateEnd(const uint8_t* data, size_t size, DeflateEnd& end) {
    BitReader in(data, size);
    HuffmanTable fixedLitlen, fixedDistance, litlen, distance;
    bool fixedBuilt = false;
    for (;;) {
        const size_t header = in.Pos();
        const bool final = in.Take(1);
        const uint32_t type = in.Take(2);
        if (type == 0) {
            in.AlignToByte();
            const size_t at = in.Pos() / 8;
            if (at + 4 > size) return false;
            const uint32_t len = uint32_t(data[at]) | uint32_t(data[at + 1]) << 8;
            const uint32_t nlen = uint32_t(data[at + 2]) | uint32_t(data[at + 3]) << 8;
            if ((len ^ 0xFFFFu) != nlen) return false;
            in.Skip(32 + size_t(len) * 8);
        } else if (type == 1) {
            if (!fixedBuilt) {
                uint8_t lengths[288 + 30];
                std::memset(lengths, 8, 144);
                std::memset(lengths + 144, 9, 112);
                std::memset(lengths + 256, 7, 24);
                std::memset(lengths + 280, 8, 8);
                std::memset(lengths + 288, 5, 30);
                fixedLitlen.Build(lengths, 288);
                fixedDistance.Build(lengths + 288, 30);
                fixedBuilt = true;
            }
            if (!SkipCodes(in, fixedLitlen, fixedDistance)) return false;
        } else if (type == 2) {
            if (!ReadDynamicTables(in, litlen, distance) || !SkipCodes(in, litlen, distance)) return false;
        } else {
            return false;
        }
        if (in.Past()) return false;
        if (final) {
            end.finalHeaderBit = header;
            end.endBit = in.Pos();
            return (in.Pos() + 7) / 8 == size;
        }
    }
}

size_t MakeDeflateNonFinal(uint8_t* data, size_t size) {
    DeflateEnd end;
    if (!FindDeflateEnd(data, size, end)) return 0;
    data[end.finalHeaderBit >> 3] &= uint8_t(~(1u << (end.finalHeaderBit & 7)));
    // The bits after the last code become the empty stored block's header
    // (three zero bits: not final, type 0) and the padding to the byte
    // boundary; then its length 0 and that length's complement.
    if (end.endBit & 7) data[end.endBit >> 3] &= uint8_t((1u << (end.endBit & 7)) - 1);
    const size_t aligned = (end.endBit + 3 + 7) >> 3;
    for (size_t i = (end.endBit + 7) >> 3; i < aligned; ++i) data[i] = 0;
    static const uint8_t kEmptyStored[4] = {0x00, 0x00, 0xFF, 0xFF};
    std::memcpy(data + aligned, kEmptyStored, 4);
    return aligned + 4;
}

uint32_t Adler32Combine(uint32_t adlerA, uint32_t adlerB, uint64_t lengthB) {
    constexpr uint64_t kBase = 65521;
    const uint64_t rem = lengthB % kBase;
    uint64_t sum1 = adlerA & 0xFFFF;
    uint64_t sum2 = (rem * sum1) % kBase;
    sum1 += (adlerB & 0xFFFF) + kBase - 1;
    sum2 += (adlerA >> 16) + (adlerB >> 16) + kBase - rem;
    if (sum1 >= kBase) sum1 -= kBase;
    if (sum1 >= kBase) sum1 -= kBase;
    if (sum2 >= 2 * kBase) sum2 -= 2 * kBase;
    if (sum2 >= kBase) sum2 -= kBase;
    return uint32_t(sum1 | (sum2 << 16));
}

}  // namespace clipvane
