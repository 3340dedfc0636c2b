#pragma once
// Joining independently compressed pieces into one deflate stream. A
// compressor such as libdeflate always ends its output with a final block;
// to put another piece after it, that block's final bit is cleared and an
// empty stored block brings the stream to a byte boundary (what zlib's
// Z_SYNC_FLUSH emits). Finding the last block's header takes a walk over
// every block's codes, without writing any output.
#include <cstddef>
#include <cstdint>

namespace clipvane {

// Bit positions in a raw deflate stream (bit 0 is the lowest bit of the
// first byte): where its final block's header starts, and where the block's
// end-of-block code ends.
struct DeflateEnd {
    size_t finalHeaderBit = 0;
    size_t endBit = 0;
};

// Walks the blocks of the raw deflate stream in `data`. False when it is not
// a valid stream or does not end within the last byte after its final block.
bool FindDeflateEnd(const uint8_t* data, size_t size, DeflateEnd& end);

// Turns the raw deflate stream in data[0, size) into a piece that another
// stream may follow: the final block becomes non-final and an empty stored
// block ends the piece on a byte boundary. `data` must have room for
// size + 5 bytes. Returns the new size, 0 when the stream is not valid.
size_t MakeDeflateNonFinal(uint8_t* data, size_t size);

// The Adler-32 of A followed by B, from the Adler-32s of both and B's length.
uint32_t Adler32Combine(uint32_t adlerA, uint32_t adlerB, uint64_t lengthB);

}  // namespace clipvane
