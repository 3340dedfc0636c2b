// Hot paths of the pixel image on a 3840x2160 frame: the effect loop, copies,
// depth conversion and the smooth resize beside libvips' bilinear resize.
#include <benchmark/benchmark.h>
#include <vips/vips.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "image/ImageEffect.h"
#include "image/PixelImage.h"

namespace {

constexpr int kW = 3840, kH = 2160;

clipvane::PixelImage PhotoLike(int depth) {
    clipvane::PixelImage img;
    img.Create(kW, kH, depth);
    clipvane::RandomGenerator rng(7);
    for (int y = 0; y < kH; ++y) {
        uint8_t* p = img.Row(y);
        for (int x = 0; x < kW; ++x, p += depth / 8) {
            const int noise = rng.Next() & 15;
            p[0] = uint8_t((x * 255 / kW + noise) & 255);
            p[1] = uint8_t((y * 255 / kH + noise) & 255);
            p[2] = uint8_t(((x + y) / 32 + noise) & 255);
            if (depth == 32) p[3] = 255;
        }
    }
    return img;
}

void SetPixels(benchmark::State& state) {
    const double pixels = double(kW) * kH * double(state.iterations());
    state.counters["MPix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

// The smallest possible per-pixel effect: one virtual call per pixel.
struct TouchEffect : clipvane::SourceEffect {
    void ProcessPixel(clipvane::PixelImage&, int, int, uint8_t* pixel) override { pixel[0] ^= 1; }
};

struct InvertLookup : clipvane::LookupEffect {
    int MapLevel(int level) override { return 255 - level; }
};

void BM_ApplyEffect_PerPixel(benchmark::State& state) {
    clipvane::PixelImage img = PhotoLike(int(state.range(0)));
    TouchEffect e;
    for (auto _ : state) img.ApplyEffect(e);
    SetPixels(state);
}
BENCHMARK(BM_ApplyEffect_PerPixel)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyEffect_Lookup(benchmark::State& state) {
    clipvane::PixelImage img = PhotoLike(int(state.range(0)));
    InvertLookup e;
    for (auto _ : state) img.ApplyEffect(e);
    SetPixels(state);
}
BENCHMARK(BM_ApplyEffect_Lookup)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Copy(benchmark::State& state) {
    clipvane::PixelImage src = PhotoLike(32), dst;
    for (auto _ : state) {
        dst.Copy(src);
        benchmark::DoNotOptimize(dst.Bits());
    }
    SetPixels(state);
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertTo32From24(benchmark::State& state) {
    const clipvane::PixelImage src = PhotoLike(24);
    for (auto _ : state) {
        state.PauseTiming();
        clipvane::PixelImage img(src);
        state.ResumeTiming();
        img.ConvertTo(32);
        benchmark::DoNotOptimize(img.Bits());
    }
    SetPixels(state);
}
BENCHMARK(BM_ConvertTo32From24)->Unit(benchmark::kMillisecond)->UseRealTime();

// ResizeSmooth to (w, h) against libvips' bilinear resize of the same pixels,
// libvips held to one thread as our resize is.
void BM_ResizeSmooth(benchmark::State& state) {
    const clipvane::PixelImage src = PhotoLike(24);
    const int w = int(state.range(0)), h = int(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        clipvane::PixelImage img(src);
        state.ResumeTiming();
        img.ResizeSmooth(w, h);
        benchmark::DoNotOptimize(img.Bits());
    }
    SetPixels(state);
}
BENCHMARK(BM_ResizeSmooth)->Args({1920, 1080})->Args({1366, 768})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VipsBilinearResize(benchmark::State& state) {
    const clipvane::PixelImage src = PhotoLike(24);
    const double scale = double(state.range(0)) / kW;
    const double vscale = double(state.range(1)) / kH;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(src.Bits(), src.ByteCount(), kW, kH, 3, VIPS_FORMAT_UCHAR);
        VipsImage* out = nullptr;
        if (vips_resize(in, &out, scale, "vscale", vscale, "kernel", VIPS_KERNEL_LINEAR, nullptr) != 0) {
            state.SkipWithError(vips_error_buffer());
            g_object_unref(in);
            break;
        }
        size_t size = 0;
        void* mem = vips_image_write_to_memory(out, &size);
        benchmark::DoNotOptimize(mem);
        g_free(mem);
        g_object_unref(out);
        g_object_unref(in);
    }
    SetPixels(state);
}
BENCHMARK(BM_VipsBilinearResize)->Args({1920, 1080})->Args({1366, 768})->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints ResizeSmooth / libvips time ratios after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const std::string name = r.benchmark_name();
            const double t = r.GetAdjustedRealTime();
            if (name.rfind("BM_ResizeSmooth/", 0) == 0) ours_[name.substr(16)] = t;
            if (name.rfind("BM_VipsBilinearResize/", 0) == 0) theirs_[name.substr(22)] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [args, t] : ours_) {
            auto it = theirs_.find(args);
            if (it != theirs_.end())
                std::printf("ResizeSmooth %s: %.2f ms, libvips bilinear %.2f ms, ratio ours/libvips %.2f\n",
                            args.c_str(), t, it->second, t / it->second);
        }
    }

private:
    std::map<std::string, double> ours_, theirs_;
};

}  // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) return 1;
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    vips_shutdown();
    return 0;
}
