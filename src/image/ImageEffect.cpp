#include "image/ImageEffect.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "image/ProgressReporter.h"

namespace clipvane {

void ImageEffect::ProcessRow(PixelImage& image, int y, uint8_t* /*row*/, int width) {
    for (int x = 0; x < width; ++x) ProcessPixel(image, x, y, image.PixelAddress(x, y));
}

bool SourceEffect::CanApply(const PixelImage& image) const { return !image.IsEmpty() && image.Depth() >= 24; }

void SourceEffect::TakeSource(const PixelImage* image) {
    if (!image) return;
    source = std::make_unique<PixelImage>(*image);
}

LookupEffect::LookupEffect(int channels)
    : red((channels & 1) != 0), green((channels & 2) != 0), blue((channels & 4) != 0) {}

void LookupEffect::Begin(PixelImage& /*image*/) {
    for (int level = 0; level < 256; ++level) table[level] = MapLevel(level);
}

void LookupEffect::ProcessPixel(PixelImage& /*image*/, int /*x*/, int /*y*/, uint8_t* pixel) {
    if (blue) pixel[0] = uint8_t(table[pixel[0]]);
    if (green) pixel[1] = uint8_t(table[pixel[1]]);
    if (red) pixel[2] = uint8_t(table[pixel[2]]);
}

void LookupEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    const int depth = image.Depth();
    if (depth != 24 && depth != 32) {
        ImageEffect::ProcessRow(image, y, row, width);
        return;
    }
    // Byte tables let the compiler keep the loop tight; the values are the
    // same because MapLevel answers 0..255.
    uint8_t t[256];
    for (int i = 0; i < 256; ++i) t[i] = uint8_t(table[i]);
    const int step = depth / 8;
    uint8_t* p = row;
    if (red && green && blue) {
        for (int x = 0; x < width; ++x, p += step) {
            p[0] = t[p[0]];
            p[1] = t[p[1]];
            p[2] = t[p[2]];
        }
        return;
    }
    for (int x = 0; x < width; ++x, p += step) {
        if (blue) p[0] = t[p[0]];
        if (green) p[1] = t[p[1]];
        if (red) p[2] = t[p[2]];
    }
}

namespace {

std::atomic<int> effectThreads{0};

// With a progress sink, rows go in at most this many waves, and the progress
// is set between them.
constexpr int64_t kProgressWaves = 20;

int ThreadsFor(const ImageEffect& effect, const PixelImage& image) {
    if (!effect.IndependentRows()) return 1;
    const int setting = EffectThreads();
    if (setting > 0) return setting;
    if (int64_t(image.Width()) * image.Height() < kParallelPixels) return 1;
    return std::max(int(std::thread::hardware_concurrency()), 1);
}

// Rows first..last-1 shared out in chunks of whole row groups: each thread
// takes the next chunk until none is left, so a thread slowed by other work
// on the machine takes fewer.
class RowShare {
public:
    RowShare(ImageEffect& effect, PixelImage& image, int first, int last, int64_t chunkRows,
             const ProgressReporter* progress)
        : effect_(effect),
          image_(image),
          width_(image.Width()),
          first_(first),
          last_(last),
          chunkRows_(chunkRows),
          chunks_((int64_t(last) - first + chunkRows - 1) / chunkRows),
          progress_(progress) {}

    // Runs chunks until none is left or a thread failed.
    void Work() {
        try {
            for (;;) {
                if (failed_.load(std::memory_order_relaxed)) return;
                if (progress_ && progress_->Cancelled()) return;
                const int64_t chunk = next_.fetch_add(1);
                if (chunk >= chunks_) return;
                const int y0 = int(first_ + chunk * chunkRows_);
                const int y1 = int(std::min<int64_t>(y0 + chunkRows_, last_));
                for (int y = y0; y < y1; ++y) effect_.ProcessRow(image_, y, image_.Row(y), width_);
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!error_) error_ = std::current_exception();
            failed_.store(true);
        }
    }

    // After every thread has finished: the first failure, if any, goes on.
    void Finish() {
        if (error_) std::rethrow_exception(error_);
    }

private:
    ImageEffect& effect_;
    PixelImage& image_;
    const int width_;
    const int first_;
    const int last_;
    const int64_t chunkRows_;
    const int64_t chunks_;
    const ProgressReporter* progress_;
    std::atomic<int64_t> next_{0};
    std::atomic<bool> failed_{false};
    std::mutex mutex_;
    std::exception_ptr error_;
};

// Rows first..last-1 (whole row groups) on up to `threads` threads, the
// calling thread among them; every thread has ended when it returns.
void ProcessInParallel(ImageEffect& effect, PixelImage& image, int first, int last, int threads, int64_t group,
                       const ProgressReporter* progress) {
    // A few chunks per thread, so that the work evens out.
    const int64_t groups = (int64_t(last) - first + group - 1) / group;
    threads = int(std::min<int64_t>(threads, groups));
    const int64_t chunkGroups = std::max<int64_t>(groups / (int64_t(threads) * 4), 1);
    RowShare share(effect, image, first, last, chunkGroups * group, progress);
    std::vector<std::thread> workers;
    workers.reserve(size_t(std::max(threads - 1, 0)));
    for (int i = 1; i < threads; ++i) {
        try {
            workers.emplace_back([&share] { share.Work(); });
        } catch (const std::system_error&) {
            break;  // no thread to be had: the others take its share
        }
    }
    share.Work();
    for (std::thread& t : workers) t.join();
    share.Finish();
}

}  // namespace

void SetEffectThreads(int threads) { effectThreads.store(std::max(threads, 0)); }

int EffectThreads() { return effectThreads.load(); }

void ProcessEffectRows(ImageEffect& effect, PixelImage& image, ProgressReporter* progress) {
    const int64_t group = std::max(effect.RowGroup(), 1);
    const int height = image.Height();
    const int64_t groups = (int64_t(height) + group - 1) / group;
    const int threads = int(std::min<int64_t>(ThreadsFor(effect, image), groups));
    if (threads > 1) {
        // The progress is set between waves of rows, when no other thread
        // touches the image: a sink that lets the window repaint meanwhile
        // (the status bar's does) sees whole rows and races with nothing.
        const int64_t waves = progress ? std::min(groups, kProgressWaves) : 1;
        const int64_t groupsPerWave = (groups + waves - 1) / waves;
        for (int64_t g = 0; g < groups; g += groupsPerWave) {
            const int last = int(std::min<int64_t>((g + groupsPerWave) * group, height));
            ProcessInParallel(effect, image, int(g * group), last, threads, group, progress);
            if (progress && progress->Cancelled()) return;
            if (progress) progress->SetPosition(int(100 * int64_t(last) / height));
        }
        return;
    }
    for (int y = 0; y < image.Height(); ++y) {
        if (progress && progress->Cancelled()) return;
        effect.ProcessRow(image, y, image.Row(y), image.Width());
        if (progress) progress->SetPosition(int(100 * int64_t(y + 1) / image.Height()));
    }
}

uint32_t TimeSeed() { return uint32_t(std::time(nullptr)); }

}  // namespace clipvane
