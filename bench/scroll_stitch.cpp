// One step of the scrolling capture's stitching at 1920x1080: hashing the new
// frame, finding the scroll distance, the exact check over the overlap and
// appending the new rows. The frames come from a page of text-like rows.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/PixelImage.h"
#include "image/ScrollStitch.h"

namespace {

constexpr int kW = 1920, kH = 1080, kStep = 860, kFrames = 12;

clipvane::PixelImage TextPage(int height) {
    clipvane::PixelImage page;
    page.Create(kW, height, 24);
    uint32_t seed = 99;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = page.Row(y);
        std::memset(p, 0xFF, size_t(kW) * 3);
        if (y % 24 >= 16) continue;  // blank lines between text lines
        for (int x = 0; x < kW; ++x) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 20) % 5 == 0) p[x * 3] = p[x * 3 + 1] = p[x * 3 + 2] = uint8_t(seed >> 24);
        }
    }
    return page;
}

std::vector<clipvane::PixelImage> Frames() {
    const clipvane::PixelImage page = TextPage(kH + kStep * kFrames);
    std::vector<clipvane::PixelImage> frames(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        frames[size_t(i)].Create(kW, kH, 24);
        for (int y = 0; y < kH; ++y) std::memcpy(frames[size_t(i)].Row(y), page.Row(i * kStep + y), size_t(kW) * 3);
    }
    return frames;
}

void BM_ScrollStitchStep(benchmark::State& state) {
    const std::vector<clipvane::PixelImage> frames = Frames();
    clipvane::ScrollStitcher stitcher;
    int next = kFrames;
    for (auto _ : state) {
        state.PauseTiming();
        if (next == kFrames) {
            stitcher.Start(frames[0], 100000);
            next = 1;
        }
        clipvane::PixelImage frame = frames[size_t(next++)];
        state.ResumeTiming();
        if (stitcher.Add(std::move(frame)) != clipvane::StitchStep::Appended) {
            state.SkipWithError(("frame " + std::to_string(next - 1) + " was not joined").c_str());
            break;
        }
    }
    state.counters["rows/step"] = kStep;
}

// Row y of an endless text-like page, made on demand so that no tall page is held.
void PageRow(int y, uint8_t* p) {
    std::memset(p, 0xFF, size_t(kW) * 3);
    if (y % 24 >= 16) return;
    uint32_t seed = uint32_t(y) * 2654435761u + 1;
    for (int x = 0; x < kW; ++x) {
        seed = seed * 1103515245u + 12345u;
        if ((seed >> 20) % 5 == 0) p[x * 3] = p[x * 3 + 1] = p[x * 3 + 2] = uint8_t(seed >> 24);
    }
}

clipvane::PixelImage View(int offset) {
    clipvane::PixelImage v;
    v.Create(kW, kH, 24);
    for (int y = 0; y < kH; ++y) PageRow(offset + y, v.Row(y));
    return v;
}

long PeakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A whole 20 000-row capture at 1920 wide, steps of kStep rows: the peak
// memory it adds (maximum resident size, which only grows, so this runs
// once per process, first) against the result and one frame.
void BM_ScrollStitch20000Rows(benchmark::State& state) {
    double peakMiB = 0, resultMiB = 0;
    for (auto _ : state) {
        const long before = PeakKiB();
        clipvane::ScrollStitcher stitcher;
        stitcher.Start(View(0), 20000);
        for (int offset = kStep; stitcher.Add(View(offset)) == clipvane::StitchStep::Appended; offset += kStep) {}
        clipvane::PixelImage result;
        stitcher.Finish(result);
        peakMiB = double(PeakKiB() - before) / 1024.0;
        resultMiB = double(result.ByteCount()) / (1024.0 * 1024.0);
        benchmark::DoNotOptimize(result.Bits());
    }
    const double frameMiB = double(kW) * kH * 3 / (1024.0 * 1024.0);
    state.counters["peak_MiB"] = peakMiB;
    state.counters["result_MiB"] = resultMiB;
    state.counters["frame_MiB"] = frameMiB;
    state.counters["peak_minus_result_in_frames"] = (peakMiB - resultMiB) / frameMiB;
}
BENCHMARK(BM_ScrollStitch20000Rows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ScrollStitchStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
