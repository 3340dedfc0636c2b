#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "image/ImageEffect.h"
#include "imagefile/AtomicFile.h"
#include "imagefile/DeflateJoin.h"
#include "imagefile/Png.h"

namespace clipvane {

namespace {

// Level 6, as before: level 7 made captures about 0.3 % smaller (more than
// the pieces' restarts of the match window cost) but took 1.6 times as long
// on smooth pictures, whose short matches make its deeper search expensive.
constexpr int kDeflateLevel = 6;
constexpr size_t kMaxChunk = size_t(1) << 30;
// zlib header: deflate with a 32 KiB window, default compression, no dictionary.
constexpr uint8_t kZlibHeader[2] = {0x78, 0x9C};

std::atomic<size_t> g_pieceBytes{0};

// Filters one row into `out` (filter type byte first), choosing among None,
// Sub, Up and Paeth the one with the smallest sum of absolute byte values
// (the usual heuristic). `prev` is the row above, all zero for the first row.
// The loop past the first pixel has no branches, so the compiler runs it on
// vector lanes.
void FilterRow(const uint8_t* row, const uint8_t* prev, size_t n, size_t bpp, uint8_t* out, uint8_t* scratch) {
    uint8_t* sub = scratch;
    uint8_t* up = scratch + n;
    uint8_t* paeth = scratch + 2 * n;
    // A byte's cost is its distance from 0 as a signed value: min(v, 256 - v).
    auto score = [](uint8_t v) { return uint32_t(v < uint8_t(-v) ? v : uint8_t(-v)); };
    uint64_t cost[4] = {0, 0, 0, 0};
    const size_t head = bpp < n ? bpp : n;
    for (size_t i = 0; i < head; ++i) {
        // No left neighbour: Sub keeps the byte, and Paeth predicts the byte above.
        const uint8_t x = row[i];
        sub[i] = x;
        up[i] = uint8_t(x - prev[i]);
        paeth[i] = up[i];
        cost[0] += score(x);
        cost[1] += score(x);
        cost[2] += score(up[i]);
        cost[3] += score(up[i]);
    }
    // Chunks keep the per-lane sums inside 32 bits.
    for (size_t start = head; start < n; start += 4096) {
        const size_t end = n - start > 4096 ? start + 4096 : n;
        uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
        for (size_t i = start; i < end; ++i) {
            const int a = row[i - bpp], b = prev[i], c = prev[i - bpp];
            const uint8_t x = row[i];
            const int pa = b > c ? b - c : c - b;                                // |p - a| with p = a + b - c
            const int pb = a > c ? a - c : c - a;                                // |p - b|
            const int pc = (a + b - 2 * c) < 0 ? 2 * c - a - b : a + b - 2 * c;  // |p - c|
            const int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            const uint8_t fs = uint8_t(x - a), fu = uint8_t(x - b), fp = uint8_t(x - pred);
            sub[i] = fs;
            up[i] = fu;
            paeth[i] = fp;
            c0 += score(x);
            c1 += score(fs);
            c2 += score(fu);
            c3 += score(fp);
        }
        cost[0] += c0;
        cost[1] += c1;
        cost[2] += c2;
        cost[3] += c3;
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (cost[k] < cost[best]) best = k;
    // PNG filter types: 0 None, 1 Sub, 2 Up, 4 Paeth.
    static const uint8_t kType[4] = {0, 1, 2, 4};
    const uint8_t* chosen[4] = {row, sub, up, paeth};
    out[0] = kType[best];
    std::memcpy(out + 1, chosen[best], n);
}

// How the image's pixels become PNG samples.
struct Layout {
    int width = 0, height = 0, depth = 0;
    bool indexed = false, alpha = false, grey = false;
    size_t sourceBytes = 0;  // bytes of a stored pixel (24 and 32 bits)
    size_t packedBytes = 0;  // bytes of a PNG row without its filter byte
    size_t bpp = 1;          // bytes between a sample and its left neighbour
    uint8_t bitDepth = 8, colourType = 2;
};

// True when every pixel's blue, green and red are equal.
bool AllGrey(const PixelImage& image) {
    const size_t step = image.Depth() == 32 ? 4 : 3;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* p = image.Row(y);
        uint32_t differ = 0;
        for (int x = 0; x < image.Width(); ++x, p += step) differ |= uint32_t(p[0] ^ p[1]) | uint32_t(p[0] ^ p[2]);
        if (differ) return false;
    }
    return true;
}

Layout LayoutFor(const PixelImage& image, bool withAlpha) {
    Layout l;
    l.width = image.Width();
    l.height = image.Height();
    l.depth = image.Depth();
    l.indexed = l.depth <= 8;
    // 32-bit pixels lose their fourth byte (RGB like 24-bit ones) unless it
    // is to be written as alpha.
    l.alpha = withAlpha && l.depth == 32;
    l.grey = !l.indexed && AllGrey(image);
    l.sourceBytes = l.depth == 32 ? 4 : 3;
    const size_t channels = l.indexed ? 1 : (l.grey ? 1 : 3) + (l.alpha ? 1 : 0);
    // Indexed rows are stored exactly as PNG wants them, minus the padding.
    l.packedBytes = l.indexed ? (size_t(l.width) * size_t(l.depth) + 7) / 8 : size_t(l.width) * channels;
    l.bpp = l.indexed ? 1 : channels;
    l.bitDepth = uint8_t(l.indexed ? l.depth : 8);
    l.colourType = l.indexed ? 3 : l.grey ? (l.alpha ? 4 : 0) : (l.alpha ? 6 : 2);
    return l;
}

// One stored row as PNG samples (red, green, blue, alpha order).
void PackRow(const Layout& l, const uint8_t* src, uint8_t* out) {
    if (l.indexed) {
        std::memcpy(out, src, l.packedBytes);
        return;
    }
    const size_t step = l.sourceBytes;
    const int width = l.width;
    if (l.grey) {
        if (l.alpha) {
            for (int x = 0; x < width; ++x, src += 4, out += 2) {
                out[0] = src[0];
                out[1] = src[3];
            }
        } else {
            for (int x = 0; x < width; ++x, src += step) *out++ = src[0];
        }
        return;
    }
    if (l.alpha) {
        for (int x = 0; x < width; ++x, src += 4, out += 4) {
            out[0] = src[2];
            out[1] = src[1];
            out[2] = src[0];
            out[3] = src[3];
        }
        return;
    }
    for (int x = 0; x < width; ++x, src += step, out += 3) {
        out[0] = src[2];
        out[1] = src[1];
        out[2] = src[0];
    }
}

// A run of rows, filtered and compressed on its own: a raw deflate piece
// (the zlib header in front of the first) that another piece may follow
// unless it is the last.
struct Piece {
    int firstRow = 0;
    int rows = 0;
    std::unique_ptr<uint8_t, decltype(&std::free)> data{nullptr, &std::free};
    size_t size = 0;
    uint32_t adler = 1;  // of the filtered bytes
    bool done = false;
    bool ok = false;
};

bool CompressPiece(const PixelImage& image, const Layout& l, Piece& piece, bool first, bool last,
                   libdeflate_compressor* compressor) {
    const size_t rowBytes = l.packedBytes + 1;
    std::vector<uint8_t> filtered(rowBytes * size_t(piece.rows));
    std::vector<uint8_t> line[2] = {std::vector<uint8_t>(l.packedBytes), std::vector<uint8_t>(l.packedBytes)};
    std::vector<uint8_t> scratch(l.packedBytes * 3);
    // The row above the piece's first row, packed again: each piece filters
    // exactly as one pass over the whole image would.
    if (piece.firstRow > 0) PackRow(l, image.Row(piece.firstRow - 1), line[1].data());
    for (int i = 0; i < piece.rows; ++i) {
        uint8_t* cur = line[i & 1].data();
        PackRow(l, image.Row(piece.firstRow + i), cur);
        const uint8_t* prev = line[(i + 1) & 1].data();
        FilterRow(cur, prev, l.packedBytes, l.bpp, &filtered[size_t(i) * rowBytes], scratch.data());
    }
    piece.adler = libdeflate_adler32(1, filtered.data(), filtered.size());
    const size_t head = first ? 2 : 0;
    const size_t bound = libdeflate_deflate_compress_bound(compressor, filtered.size());
    // Room for the empty stored block that ends a piece and the Adler-32
    // that ends the stream.
    piece.data.reset(static_cast<uint8_t*>(std::malloc(head + bound + 5 + 4)));
    if (!piece.data) return false;
    uint8_t* out = piece.data.get();
    if (first) std::memcpy(out, kZlibHeader, 2);
    size_t size = libdeflate_deflate_compress(compressor, filtered.data(), filtered.size(), out + head, bound + 5);
    std::vector<uint8_t>().swap(filtered);
    if (size == 0) return false;
    if (!last) size = MakeDeflateNonFinal(out + head, size);
    if (size == 0) return false;
    piece.size = head + size;
    if (void* smaller = std::realloc(out, piece.size + 4)) {
        piece.data.release();
        piece.data.reset(static_cast<uint8_t*>(smaller));
    }
    return true;
}

using Compressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;

Compressor NewCompressor() {
    return Compressor(libdeflate_alloc_compressor(kDeflateLevel), libdeflate_free_compressor);
}

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

bool PutChunk(const PngSink& sink, const char type[4], const uint8_t* data, size_t size) {
    uint8_t head[8];
    PutBe32(head, uint32_t(size));
    std::memcpy(head + 4, type, 4);
    uint8_t crc[4];
    uint32_t sum = libdeflate_crc32(0, head + 4, 4);
    if (size) sum = libdeflate_crc32(sum, data, size);  // a null buffer would restart the sum
    PutBe32(crc, sum);
    return sink(head, 8) && (size == 0 || sink(data, size)) && sink(crc, 4);
}

// Filters and compresses the pieces on `threads` threads and hands each to
// `emit` in order, on the calling thread, as soon as it and those before it
// are done. At most a few pieces wait at any time, so memory stays a few
// pieces whatever the image's size.
bool CompressPieces(const PixelImage& image, const Layout& l, std::vector<Piece>& pieces, int threads,
                    const std::function<bool(Piece&)>& emit) {
    const size_t count = pieces.size();
    auto run = [&](size_t i, libdeflate_compressor* compressor) {
        try {
            return compressor && CompressPiece(image, l, pieces[i], i == 0, i + 1 == count, compressor);
        } catch (const std::bad_alloc&) {
            return false;
        }
    };
    if (threads <= 1 || count == 1) {
        Compressor compressor = NewCompressor();
        for (size_t i = 0; i < count; ++i) {
            if (!run(i, compressor.get()) || !emit(pieces[i])) return false;
            pieces[i].data.reset();
        }
        return true;
    }
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0, emitted = 0;
    bool stop = false;
    const size_t ahead = size_t(threads) + 1;
    auto work = [&]() {
        Compressor compressor = NewCompressor();
        for (;;) {
            size_t i;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < emitted + ahead; });
                if (stop || next >= count) return;
                i = next++;
            }
            const bool ok = run(i, compressor.get());
            std::lock_guard lock(mutex);
            pieces[i].ok = ok;
            pieces[i].done = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const int started = int(std::min<size_t>(size_t(threads), count));
    // Threads that cannot be started leave the work to those that were; with
    // none, the calling thread does it all.
    try {
        for (int t = 0; t < started; ++t) workers.emplace_back(work);
    } catch (const std::system_error&) {}
    if (workers.empty()) return CompressPieces(image, l, pieces, 1, emit);
    bool ok = true;
    for (size_t i = 0; i < count && ok; ++i) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return pieces[i].done; });
        }
        ok = pieces[i].ok && emit(pieces[i]);
        pieces[i].data.reset();
        std::lock_guard lock(mutex);
        emitted = i + 1;
        if (!ok) stop = true;
        changed.notify_all();
    }
    for (auto& w : workers) w.join();
    return ok;
}

int EncoderThreads() {
    const int setting = EffectThreads();
    if (setting > 0) return setting;
    return std::max(int(std::thread::hardware_concurrency()), 1);
}

}  // namespace

void SetPngPieceBytes(size_t bytes) { g_pieceBytes.store(bytes); }

bool WritePng(const PixelImage& source, bool withAlpha, const PngSink& sink) {
    if (source.IsEmpty()) return false;
    PixelImage converted;
    const PixelImage* image = &source;
    if (source.Depth() == 16) {
        converted.Copy(source);
        converted.ConvertTo(24);
        if (converted.Depth() != 24) return false;
        image = &converted;
    }
    const Layout l = LayoutFor(*image, withAlpha);

    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t ihdr[13];
    PutBe32(ihdr, uint32_t(l.width));
    PutBe32(ihdr + 4, uint32_t(l.height));
    ihdr[8] = l.bitDepth;
    ihdr[9] = l.colourType;
    ihdr[10] = 0;  // deflate
    ihdr[11] = 0;  // adaptive filtering
    ihdr[12] = 0;  // not interlaced
    if (!sink(kSignature, 8) || !PutChunk(sink, "IHDR", ihdr, sizeof ihdr)) return false;
    if (l.indexed) {
        std::vector<uint8_t> plte;
        for (const RgbQuad& q : image->Palette()) {
            plte.push_back(q.rgbRed);
            plte.push_back(q.rgbGreen);
            plte.push_back(q.rgbBlue);
        }
        if (!PutChunk(sink, "PLTE", plte.data(), plte.size())) return false;
    }

    const size_t rowBytes = l.packedBytes + 1;
    const size_t pieceBytes = g_pieceBytes.load() ? g_pieceBytes.load() : kPngPieceBytes;
    const int rowsPerPiece = int(std::clamp<size_t>(pieceBytes / rowBytes, 1, size_t(l.height)));
    std::vector<Piece> pieces(size_t((l.height + rowsPerPiece - 1) / rowsPerPiece));
    for (size_t i = 0; i < pieces.size(); ++i) {
        pieces[i].firstRow = int(i) * rowsPerPiece;
        pieces[i].rows = std::min(rowsPerPiece, l.height - pieces[i].firstRow);
    }
    uint32_t adler = 1;
    size_t emitted = 0;
    auto emit = [&](Piece& piece) {
        const size_t filteredBytes = rowBytes * size_t(piece.rows);
        adler = emitted == 0 ? piece.adler : Adler32Combine(adler, piece.adler, filteredBytes);
        if (++emitted == pieces.size()) {
            PutBe32(piece.data.get() + piece.size, adler);
            piece.size += 4;
        }
        for (size_t at = 0; at < piece.size; at += kMaxChunk)
            if (!PutChunk(sink, "IDAT", piece.data.get() + at, std::min(kMaxChunk, piece.size - at))) return false;
        return true;
    };
    if (!CompressPieces(*image, l, pieces, EncoderThreads(), emit)) return false;
    return PutChunk(sink, "IEND", nullptr, 0);
}

bool WritePngFile(const PixelImage& image, bool withAlpha, const std::string& path) {
    OutputFile out(path);
    if (!out.IsOpen()) return false;
    const bool written =
        WritePng(image, withAlpha, [&](const uint8_t* data, size_t size) { return out.Write(data, size); });
    return out.Close() && written;
}

std::vector<uint8_t> EncodePng(const PixelImage& source) { return EncodePngImage(source, false); }

std::vector<uint8_t> EncodePngWithAlpha(const PixelImage& source) { return EncodePngImage(source, true); }

std::vector<uint8_t> EncodePngImage(const PixelImage& source, bool withAlpha) {
    std::vector<uint8_t> out;
    const bool ok = WritePng(source, withAlpha, [&](const uint8_t* data, size_t size) {
        out.insert(out.end(), data, data + size);
        return true;
    });
    if (!ok) return {};
    return out;
}

}  // namespace clipvane
