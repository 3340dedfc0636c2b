// The hot effects on a 3840 x 2160 photo-like 32-bit image, each beside the
// nearest libvips and ImageMagick (Magick++) operation on the same pixels.
// Prints megapixels per second and, at the end, a table of speed ratios
// (above 1 means ours is faster). Ours runs with 1 and 2 effect threads (and
// one per processor where there are more), so the speed-up shows; the ratios
// to the peers use the most threads.
//
// Each iteration starts from a fresh copy of the input (made outside the
// timed region): our effects work in place, libvips writes a new memory
// image, Magick++ works on its own pixel cache (Q16). Library threading is
// left at its defaults.
#include <benchmark/benchmark.h>
#include <vips/vips.h>

#include <Magick++.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "image/ImageEffect.h"
#include "image/PixelImage.h"
#include "image/effects/Effects.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr double kMegapixels = kWidth * double(kHeight) / 1e6;

// Smooth gradients and soft shapes with fine grain and a few hard edges, so
// that neither flat areas nor pure noise dominate.
const clipvane::PixelImage& Photo() {
    static clipvane::PixelImage img = [] {
        clipvane::PixelImage p;
        p.Create(kWidth, kHeight, 32);
        clipvane::RandomGenerator rng(2024);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = p.Row(y);
            for (int x = 0; x < kWidth; ++x) {
                const double u = x / double(kWidth), v = y / double(kHeight);
                const int grain = rng.Next() % 9 - 4;
                int b = int(120 + 90 * std::sin(6.0 * u + 2.0 * v)) + grain;
                int g = int(110 + 80 * std::cos(4.0 * v - 3.0 * u)) + grain;
                int r = int(130 + 100 * std::sin(3.0 * (u + v))) + grain;
                if (((x / 240) + (y / 180)) % 7 == 0) r = r / 2 + 100;  // hard-edged patches
                uint8_t* px = row + size_t(x) * 4;
                px[0] = uint8_t(clipvane::Clamp255(b));
                px[1] = uint8_t(clipvane::Clamp255(g));
                px[2] = uint8_t(clipvane::Clamp255(r));
                px[3] = 255;
            }
        }
        return p;
    }();
    return img;
}

// ---- ours -------------------------------------------------------------------

using MakeEffect = std::function<std::unique_ptr<clipvane::ImageEffect>()>;

void RunOurs(benchmark::State& state, const MakeEffect& make, int threads) {
    clipvane::SetEffectThreads(threads);
    for (auto _ : state) {
        state.PauseTiming();
        clipvane::PixelImage img = Photo();
        auto effect = make();
        state.ResumeTiming();
        img.ApplyEffect(*effect);
        benchmark::DoNotOptimize(img.Bits());
    }
    clipvane::SetEffectThreads(0);
    state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// ---- libvips ----------------------------------------------------------------

// Builds the operation's output from the wrapped input; returns null on error.
using VipsOp = std::function<VipsImage*(VipsImage*)>;

void RunVips(benchmark::State& state, const VipsOp& op) {
    const clipvane::PixelImage& src = Photo();
    std::vector<uint8_t> copy(src.ByteCount());
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(copy.data(), src.Bits(), copy.size());
        VipsImage* in = vips_image_new_from_memory(copy.data(), copy.size(), kWidth, kHeight, 4, VIPS_FORMAT_UCHAR);
        state.ResumeTiming();
        VipsImage* out = op(in);
        if (!out) {
            state.SkipWithError(vips_error_buffer());
            g_object_unref(in);
            break;
        }
        size_t size = 0;
        void* mem = vips_image_write_to_memory(out, &size);
        benchmark::DoNotOptimize(mem);
        state.PauseTiming();
        g_free(mem);
        g_object_unref(out);
        g_object_unref(in);
        state.ResumeTiming();
    }
    state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

VipsImage* Unref(VipsImage* keep, std::initializer_list<VipsImage*> drop) {
    for (VipsImage* i : drop)
        if (i) g_object_unref(i);
    return keep;
}

VipsImage* VipsMask(int w, int h, const double* values, double scale) {
    VipsImage* m = vips_image_new_matrix_from_array(w, h, values, w * h);
    vips_image_set_double(m, "scale", scale);
    vips_image_set_double(m, "offset", 0);
    return m;
}

// ---- ImageMagick ------------------------------------------------------------

using MagickOp = std::function<void(Magick::Image&)>;

void RunMagick(benchmark::State& state, const MagickOp& op) {
    static const Magick::Image base = [] {
        const clipvane::PixelImage& src = Photo();
        Magick::Image img(kWidth, kHeight, "BGRA", Magick::CharPixel, src.Bits());
        return img;
    }();
    for (auto _ : state) {
        state.PauseTiming();
        Magick::Image img = base;
        img.modifyImage();  // detach the pixel cache before timing
        state.ResumeTiming();
        op(img);
        benchmark::DoNotOptimize(img.columns());
    }
    state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

// ---- the table --------------------------------------------------------------

struct Entry {
    std::string name;
    MakeEffect ours;
    VipsOp vips;      // may be empty
    MagickOp magick;  // may be empty
    std::string target;
};

std::vector<Entry> Entries() {
    std::vector<Entry> e;
    e.push_back({"invert", [] { return std::make_unique<clipvane::InvertEffect>(7); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_invert(in, &out, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.negate(); }, ">= vips"});
    e.push_back({"grey", [] { return std::make_unique<clipvane::GreyEffect>(); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_colourspace(in, &out, VIPS_INTERPRETATION_B_W, "source_space",
                                             VIPS_INTERPRETATION_sRGB, nullptr)
                                ? nullptr
                                : out;
                 },
                 [](Magick::Image& i) { i.grayscale(MagickCore::Rec601LumaPixelIntensityMethod); }, ">= vips"});
    e.push_back({"brightness", [] { return std::make_unique<clipvane::BrightnessEffect>(150); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_linear1(in, &out, 1.5, 0, "uchar", TRUE, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) {
                     i.quantumOperator(MagickCore::CompositeChannels, MagickCore::MultiplyEvaluateOperator, 1.5);
                 },
                 ">= vips"});
    e.push_back({"posterize", [] { return std::make_unique<clipvane::PosterizeEffect>(4); },
                 [](VipsImage* in) {
                     // Posterize is a level table: vips_maplut with the same 256 entries.
                     static VipsImage* lut = [] {
                         clipvane::PosterizeEffect p(4);
                         static uint8_t t[256];
                         for (int v = 0; v < 256; ++v) t[v] = uint8_t(p.MapLevel(v));
                         return vips_image_new_from_memory(t, 256, 256, 1, 1, VIPS_FORMAT_UCHAR);
                     }();
                     VipsImage* out = nullptr;
                     return vips_maplut(in, &out, lut, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.posterize(4, false); }, ">= vips"});
    e.push_back({"blur3x3", [] { return std::make_unique<clipvane::ConvolutionEffect>(clipvane::MakeBlurEffect()); },
                 [](VipsImage* in) {
                     static const double k[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
                     VipsImage* mask = VipsMask(3, 3, k, 16);
                     VipsImage* out = nullptr;
                     const int r = vips_conv(in, &out, mask, "precision", VIPS_PRECISION_INTEGER, nullptr);
                     return Unref(r ? nullptr : out, {mask});
                 },
                 [](Magick::Image& i) {
                     static const double k[9] = {1 / 16., 2 / 16., 1 / 16., 2 / 16., 4 / 16.,
                                                 2 / 16., 1 / 16., 2 / 16., 1 / 16.};
                     i.convolve(3, k);
                 },
                 "within 1.5x of vips"});
    e.push_back({"emboss", [] { return std::make_unique<clipvane::EmbossEffect>(2); },
                 [](VipsImage* in) {
                     static const double k[9] = {0, 0, 0, 0, 2, -2, 0, 0, 0};
                     VipsImage* mask = VipsMask(3, 3, k, 3);
                     vips_image_set_double(mask, "offset", 128);
                     VipsImage* out = nullptr;
                     const int r = vips_conv(in, &out, mask, "precision", VIPS_PRECISION_INTEGER, nullptr);
                     return Unref(r ? nullptr : out, {mask});
                 },
                 [](Magick::Image& i) { i.emboss(1, 0.5); }, ""});
    e.push_back({"mosaic10", [] { return std::make_unique<clipvane::MosaicEffect>(10); },
                 [](VipsImage* in) {
                     VipsImage *small = nullptr, *out = nullptr;
                     if (vips_shrink(in, &small, 10, 10, nullptr)) return static_cast<VipsImage*>(nullptr);
                     const int r = vips_zoom(small, &out, 10, 10, nullptr);
                     return Unref(r ? nullptr : out, {small});
                 },
                 [](Magick::Image& i) {
                     i.scale(Magick::Geometry(kWidth / 10, kHeight / 10));
                     i.sample(Magick::Geometry(kWidth, kHeight));
                 },
                 ""});
    e.push_back({"rotate90", [] { return std::make_unique<clipvane::Rotate90Effect>(); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_rot(in, &out, VIPS_ANGLE_D90, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.rotate(90); }, ">= vips"});
    e.push_back({"flip", [] { return std::make_unique<clipvane::FlipHorizontalEffect>(); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_flip(in, &out, VIPS_DIRECTION_HORIZONTAL, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.flop(); }, ">= vips"});
    e.push_back({"flipv", [] { return std::make_unique<clipvane::FlipVerticalEffect>(); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_flip(in, &out, VIPS_DIRECTION_VERTICAL, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.flip(); }, ">= vips"});
    e.push_back({"rotate30", [] { return std::make_unique<clipvane::RotateEffect>(30); },
                 [](VipsImage* in) {
                     VipsImage* out = nullptr;
                     return vips_rotate(in, &out, 30.0, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.rotate(30); }, ""});
    e.push_back({"huesat", [] { return std::make_unique<clipvane::HueSaturationEffect>(120, 80); },
                 [](VipsImage* in) {
                     // sRGB -> HSV, scale hue and saturation, back.
                     VipsImage *rgb = nullptr, *hsv = nullptr, *scaled = nullptr, *out = nullptr;
                     const double a[3] = {1.2, 0.8, 1.0}, b[3] = {0, 0, 0};
                     if (vips_extract_band(in, &rgb, 0, "n", 3, nullptr)) return static_cast<VipsImage*>(nullptr);
                     if (vips_sRGB2HSV(rgb, &hsv, nullptr)) return Unref(nullptr, {rgb});
                     if (vips_linear(hsv, &scaled, a, b, 3, "uchar", TRUE, nullptr)) return Unref(nullptr, {rgb, hsv});
                     const int r = vips_HSV2sRGB(scaled, &out, nullptr);
                     return Unref(r ? nullptr : out, {rgb, hsv, scaled});
                 },
                 [](Magick::Image& i) { i.modulate(100, 80, 120); }, "within 1.5x of vips"});
    e.push_back({"oilpaint5", [] { return std::make_unique<clipvane::OilPaintEffect>(5); },
                 [](VipsImage* in) {
                     // The nearest windowed statistic: an 11 x 11 median.
                     VipsImage* out = nullptr;
                     return vips_rank(in, &out, 11, 11, 60, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.oilPaint(5); }, "faster than magick"});
    e.push_back({"autolevels", [] { return std::make_unique<clipvane::ColorLevelEffect>(true, 0, 255, 7); },
                 [](VipsImage* in) {
                     // Per-band 0.6 % / 99.4 % points, then a linear stretch.
                     double a[4] = {1, 1, 1, 1}, b[4] = {0, 0, 0, 0};
                     for (int band = 0; band < 3; ++band) {
                         VipsImage* one = nullptr;
                         if (vips_extract_band(in, &one, band, nullptr)) return static_cast<VipsImage*>(nullptr);
                         int lo = 0, hi = 255;
                         vips_percent(one, 0.6, &lo, nullptr);
                         vips_percent(one, 99.4, &hi, nullptr);
                         g_object_unref(one);
                         if (hi > lo) {
                             a[band] = 255.0 / (hi - lo);
                             b[band] = -lo * a[band];
                         }
                     }
                     VipsImage* out = nullptr;
                     return vips_linear(in, &out, a, b, 4, "uchar", TRUE, nullptr) ? nullptr : out;
                 },
                 [](Magick::Image& i) { i.autoLevel(); }, ""});
    // The random filters, now on every thread: ImageMagick's uniform noise
    // and spread are the nearest peers (libvips has no such operation).
    e.push_back({"noise",
                 [] { return std::make_unique<clipvane::ColorNoiseEffect>(100, 7u); },
                 {},
                 [](Magick::Image& i) { i.addNoise(Magick::UniformNoise); },
                 "faster than magick"});
    e.push_back({"blot",
                 [] { return std::make_unique<clipvane::GreyNoiseEffect>(40, 7u); },
                 {},
                 [](Magick::Image& i) { i.addNoise(Magick::GaussianNoise); },
                 "faster than magick"});
    e.push_back({"splash9",
                 [] { return std::make_unique<clipvane::SplashEffect>(9, 7u); },
                 {},
                 [](Magick::Image& i) { i.spread(4); },
                 "faster than magick"});
    return e;
}

std::string StripSuffix(std::string name) {
    const std::string suffix = "/real_time";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    return name;
}

// Collects mean real time per benchmark for the closing table.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                seconds[StripSuffix(r.benchmark_name())] =
                    r.GetAdjustedRealTime() / (r.time_unit == benchmark::kMillisecond ? 1e3 : 1e9);
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) return 1;
    vips_cache_set_max(0);  // no reuse of results between iterations
    Magick::InitializeMagick(argv[0]);
    Photo();

    std::vector<int> threadCounts = {1, 2};
    if (std::thread::hardware_concurrency() > 2) threadCounts.push_back(int(std::thread::hardware_concurrency()));
    auto oursName = [](const std::string& effect, int threads) {
        return effect + "/ours-" + std::to_string(threads) + "t";
    };
    const std::vector<Entry> entries = Entries();
    for (const Entry& e : entries) {
        for (int threads : threadCounts)
            benchmark::RegisterBenchmark(oursName(e.name, threads).c_str(), RunOurs, e.ours, threads)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        if (e.vips)
            benchmark::RegisterBenchmark((e.name + "/vips").c_str(), RunVips, e.vips)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        if (e.magick)
            benchmark::RegisterBenchmark((e.name + "/magick").c_str(), RunMagick, e.magick)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-12s %10s %10s %10s %10s %8s %9s %9s  %s\n", "effect", "ours 1t", "ours MP/s", "vips MP/s",
                "magick MP/s", "speed-up", "vs vips", "vs magick", "target");
    auto mps = [&](const std::string& name) {
        auto it = reporter.seconds.find(name);
        return it == reporter.seconds.end() || it->second <= 0 ? 0.0 : kMegapixels / it->second;
    };
    for (const Entry& e : entries) {
        const double one = mps(oursName(e.name, 1)), ours = mps(oursName(e.name, threadCounts.back()));
        const double vips = mps(e.name + "/vips"), magick = mps(e.name + "/magick");
        if (ours == 0 || one == 0) continue;
        std::printf("%-12s %10.1f %10.1f %10.1f %10.1f %7.2fx %8.2fx %8.2fx  %s\n", e.name.c_str(), one, ours, vips,
                    magick, ours / one, vips > 0 ? ours / vips : 0.0, magick > 0 ? ours / magick : 0.0,
                    e.target.c_str());
    }
    benchmark::Shutdown();
    vips_shutdown();
    return 0;
}
