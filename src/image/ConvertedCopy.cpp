#include "image/ConvertedCopy.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include "image/ImageEffect.h"

namespace clipvane {

namespace {

// Rows first..last-1 of `source` into `out`, which has the same size and
// zeroed storage (so its row padding is already zero).
void ConvertRows(const PixelImage& source, PixelImage& out, int first, int last) {
    if (first >= last) return;
    // Fault the band's pages in with one call instead of a fault per page as
    // they are written; older kernels refuse it and fault them as written.
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t low = reinterpret_cast<uintptr_t>(out.Row(last - 1)) & ~(page - 1);
    const uintptr_t high = reinterpret_cast<uintptr_t>(out.Row(first)) + uintptr_t(out.Stride());
    madvise(reinterpret_cast<void*>(low), high - low, MADV_POPULATE_WRITE);
    const int w = source.Width();
    if (source.Depth() == 24) {
        for (int y = first; y < last; ++y) {
            const uint8_t* s = source.Row(y);
            uint8_t* d = out.Row(y);
            for (int x = 0; x < w; ++x, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            }
        }
    } else {
        for (int y = first; y < last; ++y) {
            const uint8_t* s = source.Row(y);
            uint8_t* d = out.Row(y);
            for (int x = 0; x < w; ++x, s += 4, d += 3) std::memcpy(d, s, 3);
        }
    }
}

}  // namespace

int ConversionThreads(int64_t pixels) {
    const int setting = EffectThreads();
    if (setting > 0) return setting;
    if (pixels < kParallelPixels) return 1;
    return std::max(int(std::thread::hardware_concurrency()), 1);
}

bool ConvertedCopy(const PixelImage& source, int depth, PixelImage& out) {
    if (&source == &out) {
        out.ConvertTo(depth);
        return true;
    }
    const int from = source.Depth();
    if (source.IsEmpty() || !((from == 24 && depth == 32) || (from == 32 && depth == 24))) {
        if (source.IsEmpty()) return true;  // as the copy: `out` stays as it was
        PixelImage copy(source);
        if (copy.IsEmpty()) return false;
        copy.ConvertTo(depth);
        out = std::move(copy);
        return true;
    }
    PixelImage made;
    if (!made.Create(source.Width(), source.Height(), depth)) return false;
    made.originX = source.originX;
    made.originY = source.originY;
    made.frameDelay = source.frameDelay;
    const int height = source.Height();
    const int threads = int(std::min<int64_t>(ConversionThreads(int64_t(source.Width()) * height), height));
    // Contiguous bands, one per thread: each thread faults in its own pages.
    std::vector<std::thread> workers;
    int first = 0;
    for (int i = 0; i < threads - 1; ++i) {
        const int last = int(int64_t(height) * (i + 1) / threads);
        try {
            workers.emplace_back([&source, &made, first, last] { ConvertRows(source, made, first, last); });
        } catch (const std::system_error&) {
            break;  // no thread to be had: this thread takes the rest
        }
        first = last;
    }
    ConvertRows(source, made, first, height);
    for (std::thread& t : workers) t.join();
    out = std::move(made);
    return true;
}

}  // namespace clipvane
