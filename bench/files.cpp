// Image files: a 1920x1080 screenshot-like frame saved as PNG and JPEG through
// SaveImageFile and loaded back through LoadFromFile, beside libvips doing the
// same (default save options, one thread); and the cost of decoding in a
// separate process, on a small and a 3840x2160 PNG.
//
// Files go to /dev/shm when it exists, so that the disk does not decide the
// race (our saves also fsync, which a RAM file system makes free).
//
// Times are CPU time of this process and its finished children (the decoder
// processes), all threads included (libvips works in its own thread): the
// machine is shared, so wall time says more about the neighbours than about
// the code.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "image/ImageEffect.h"
#include "imagefile/FreeImageDecode.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/IsolatedDecoder.h"

namespace {

double CpuSeconds() {
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    auto sec = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return sec(self.ru_utime) + sec(self.ru_stime) + sec(children.ru_utime) + sec(children.ru_stime);
}

// Runs `body` once per iteration, timing it by CPU seconds.
template <typename F>
void TimeCpu(benchmark::State& state, F&& body) {
    for (auto _ : state) {
        const double start = CpuSeconds();
        body();
        state.SetIterationTime(CpuSeconds() - start);
    }
}

std::string Folder() {
    static const std::string folder = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string dir = base + "/clipvane-bench-files-XXXXXX";
        return mkdtemp(dir.data()) ? dir : base;
    }();
    return folder;
}

// Flat window areas, title bars with gradients, rows of glyph-like strokes
// and a photo-like gradient panel: what a desktop capture holds.
clipvane::PixelImage Screenshot(int w, int h) {
    clipvane::PixelImage img;
    img.Create(w, h, 24);
    uint32_t seed = 12345;
    auto rnd = [&seed] {
        seed = seed * 1103515245 + 12345;
        return (seed >> 16) & 0x7FFF;
    };
    for (int y = 0; y < h; ++y) {
        uint8_t* p = img.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            uint8_t b = 0xF0, g = 0xF0, r = 0xF0;  // window background
            if (y < 32) {                          // title bar gradient
                b = uint8_t(120 + x * 100 / w);
                g = uint8_t(60 + x * 60 / w);
                r = uint8_t(30 + y);
            } else if (x < 240) {  // side bar
                b = 0xE0, g = 0xD8, r = 0xD0;
            } else if (x > w * 2 / 3 && y > h / 2) {  // picture panel
                b = uint8_t((x * 3 + y) & 255);
                g = uint8_t((y * 2) & 255);
                r = uint8_t((x + y * 2) / 3 & 255);
            }
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
    // Text: lines of 7x11 glyph cells with random strokes.
    for (int line = 48; line + 12 < h; line += 18) {
        const int right = (line / 18) % 5 == 0 ? w / 3 : w * 2 / 3 - 20;
        for (int cx = 260; cx + 8 < right; cx += 8) {
            if (rnd() % 9 == 0) continue;  // space
            const int strokes = 2 + rnd() % 3;
            for (int s = 0; s < strokes; ++s) {
                const bool vertical = rnd() & 1;
                const int x0 = cx + int(rnd() % 6), y0 = line + int(rnd() % 10);
                const int len = 3 + int(rnd() % 7);
                for (int i = 0; i < len; ++i) {
                    const int x = vertical ? x0 : x0 + i % 6, y = vertical ? y0 + i % 11 : y0;
                    if (y >= h) continue;
                    uint8_t* q = img.PixelAddress(x, y);
                    q[0] = q[1] = q[2] = uint8_t(20 + rnd() % 40);
                }
            }
        }
    }
    return img;
}

// The same pixels as interleaved RGB for libvips.
std::vector<uint8_t> ToRgb(const clipvane::PixelImage& img) {
    std::vector<uint8_t> rgb(size_t(img.Width()) * img.Height() * 3);
    uint8_t* o = rgb.data();
    for (int y = 0; y < img.Height(); ++y) {
        const uint8_t* p = img.Row(y);
        for (int x = 0; x < img.Width(); ++x, p += 3, o += 3) {
            o[0] = p[2];
            o[1] = p[1];
            o[2] = p[0];
        }
    }
    return rgb;
}

const clipvane::PixelImage& Frame() {
    static const clipvane::PixelImage img = Screenshot(1920, 1080);
    return img;
}
const std::vector<uint8_t>& FrameRgb() {
    static const std::vector<uint8_t> rgb = ToRgb(Frame());
    return rgb;
}

long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

std::map<std::string, long> g_sizes;

void SaveOurs(benchmark::State& state, const char* ext) {
    const std::string path = Folder() + "/ours." + ext;
    TimeCpu(state, [&] {
        if (!clipvane::SaveImageFile(Frame(), path)) state.SkipWithError("save failed");
    });
    g_sizes[std::string("ours.") + ext] = FileSize(path);
    state.counters["bytes"] = double(FileSize(path));
}

void SaveVips(benchmark::State& state, const char* ext) {
    const std::string path = Folder() + "/vips." + ext;
    const auto& rgb = FrameRgb();
    TimeCpu(state, [&] {
        VipsImage* in = vips_image_new_from_memory(rgb.data(), rgb.size(), 1920, 1080, 3, VIPS_FORMAT_UCHAR);
        const int rc = std::string(ext) == "png" ? vips_pngsave(in, path.c_str(), nullptr)
                                                 : vips_jpegsave(in, path.c_str(), nullptr);
        g_object_unref(in);
        if (rc) state.SkipWithError("vips save failed");
    });
    g_sizes[std::string("vips.") + ext] = FileSize(path);
    state.counters["bytes"] = double(FileSize(path));
}

void LoadOurs(benchmark::State& state, const char* ext) {
    const std::string path = Folder() + "/src." + ext;
    if (!clipvane::SaveImageFile(Frame(), path)) return state.SkipWithError("save failed");
    clipvane::PixelImage img;
    TimeCpu(state, [&] {
        if (!clipvane::LoadFromFile(path, img)) state.SkipWithError("load failed");
    });
}

void LoadVips(benchmark::State& state, const char* ext) {
    const std::string path = Folder() + "/src." + ext;
    if (!clipvane::SaveImageFile(Frame(), path)) return state.SkipWithError("save failed");
    TimeCpu(state, [&] {
        VipsImage* img = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
        size_t size = 0;
        void* mem = img ? vips_image_write_to_memory(img, &size) : nullptr;
        if (!mem) state.SkipWithError("vips load failed");
        g_free(mem);
        if (img) g_object_unref(img);
    });
}

void BM_SavePng_Clipvane(benchmark::State& s) { SaveOurs(s, "png"); }
void BM_SavePng_Vips(benchmark::State& s) { SaveVips(s, "png"); }
void BM_SaveJpeg_Clipvane(benchmark::State& s) { SaveOurs(s, "jpg"); }
void BM_SaveJpeg_Vips(benchmark::State& s) { SaveVips(s, "jpg"); }
void BM_LoadPng_Clipvane(benchmark::State& s) { LoadOurs(s, "png"); }
void BM_LoadPng_Vips(benchmark::State& s) { LoadVips(s, "png"); }
void BM_LoadJpeg_Clipvane(benchmark::State& s) { LoadOurs(s, "jpg"); }
void BM_LoadJpeg_Vips(benchmark::State& s) { LoadVips(s, "jpg"); }
BENCHMARK(BM_SavePng_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SavePng_Vips)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SaveJpeg_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SaveJpeg_Vips)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LoadPng_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LoadPng_Vips)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LoadJpeg_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LoadJpeg_Vips)->Unit(benchmark::kMillisecond)->UseManualTime();

// PNG saves by wall time with 1 and 2 encoder threads (first argument) of the
// 1920 x 1080 frame and of a 4000 x 3000 photo-like image (second argument 0
// or 1): the pieces compress on both cores, which CPU time would not show.
const clipvane::PixelImage& Photo() {
    static const clipvane::PixelImage img = [] {
        clipvane::PixelImage p;
        p.Create(4000, 3000, 24);
        uint32_t seed = 18;
        for (int y = 0; y < 3000; ++y) {
            uint8_t* row = p.Row(y);
            for (int x = 0; x < 4000 * 3; ++x) {
                seed = seed * 1103515245 + 12345;
                // Smooth waves with a little noise, like a photograph.
                row[x] = uint8_t((x / 3 * (x % 3 + 1) / 40 + y / 30 + ((x / 3 + y) >> 5) + (seed >> 28)) & 255);
            }
        }
        return p;
    }();
    return img;
}

void BM_SavePngWall_Clipvane(benchmark::State& state) {
    const clipvane::PixelImage& image = state.range(1) ? Photo() : Frame();
    const std::string path = Folder() + "/wall.png";
    clipvane::SetEffectThreads(int(state.range(0)));
    for (auto _ : state)
        if (!clipvane::SaveImageFile(image, path)) state.SkipWithError("save failed");
    clipvane::SetEffectThreads(0);
    state.counters["bytes"] = double(FileSize(path));
}

void BM_SavePngWall_Vips(benchmark::State& state) {
    const clipvane::PixelImage& image = state.range(1) ? Photo() : Frame();
    const std::vector<uint8_t> rgb = ToRgb(image);
    const std::string path = Folder() + "/wall-vips.png";
    for (auto _ : state) {
        VipsImage* in =
            vips_image_new_from_memory(rgb.data(), rgb.size(), image.Width(), image.Height(), 3, VIPS_FORMAT_UCHAR);
        if (vips_pngsave(in, path.c_str(), nullptr)) state.SkipWithError("vips save failed");
        g_object_unref(in);
    }
    state.counters["bytes"] = double(FileSize(path));
}
BENCHMARK(BM_SavePngWall_Clipvane)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SavePngWall_Vips)->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

// Decoding cost with and without the separate process (argument: width).
std::string PngOfWidth(int w) {
    const std::string path = Folder() + "/iso" + std::to_string(w) + ".png";
    if (FileSize(path) <= 0) clipvane::SaveImageFile(Screenshot(w, w * 9 / 16), path);
    return path;
}

void BM_DecodePng_InProcess(benchmark::State& state) {
    const std::string path = PngOfWidth(int(state.range(0)));
    TimeCpu(state, [&] {
        int frames = 0;
        clipvane::DecodeWithFreeImage(path.c_str(), nullptr, 0, [&](const clipvane::DecodedFrame& frame) {
            frames += clipvane::ToPixelImage(frame) != nullptr;
            return true;
        });
        if (frames != 1) state.SkipWithError("decode failed");
    });
}

void BM_DecodePng_Isolated(benchmark::State& state) {
    const std::string path = PngOfWidth(int(state.range(0)));
    TimeCpu(state, [&] {
        std::deque<std::unique_ptr<clipvane::PixelImage>> frames;
        if (!clipvane::DecodeIsolated(path.c_str(), nullptr, 0, frames) || frames.size() != 1)
            state.SkipWithError("decode failed");
    });
}
BENCHMARK(BM_DecodePng_InProcess)->Arg(64)->Arg(3840)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_DecodePng_Isolated)->Arg(64)->Arg(3840)->Unit(benchmark::kMillisecond)->UseManualTime();

// Prints the comparisons after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration) ms_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n");
        for (const char* what : {"SavePng", "SaveJpeg", "LoadPng", "LoadJpeg"}) {
            const double ours = Ms(std::string("BM_") + what + "_Clipvane/manual_time");
            const double vips = Ms(std::string("BM_") + what + "_Vips/manual_time");
            if (ours <= 0 || vips <= 0) continue;
            std::printf("%-9s clipvane %7.2f ms   libvips %7.2f ms   time ratio clipvane/libvips %.2f", what, ours,
                        vips, ours / vips);
            const std::string ext = std::string(what).find("Png") != std::string::npos ? "png" : "jpg";
            if (std::string(what).rfind("Save", 0) == 0 && g_sizes["vips." + ext] > 0)
                std::printf("   size %ld vs %ld bytes (ratio %.3f)", g_sizes["ours." + ext], g_sizes["vips." + ext],
                            double(g_sizes["ours." + ext]) / double(g_sizes["vips." + ext]));
            std::printf("\n");
        }
        for (const char* size : {"0", "1"}) {
            const double vips = Ms(std::string("BM_SavePngWall_Vips/1/") + size + "/real_time");
            const double one = Ms(std::string("BM_SavePngWall_Clipvane/1/") + size + "/real_time");
            const double two = Ms(std::string("BM_SavePngWall_Clipvane/2/") + size + "/real_time");
            if (vips > 0 && one > 0 && two > 0)
                std::printf(
                    "PNG save %s wall: 1 thread %7.2f ms, 2 threads %7.2f ms (speed-up %.2f), libvips %7.2f ms, "
                    "ratio 2 threads/libvips %.2f\n",
                    *size == '0' ? "1920x1080" : "4000x3000", one, two, one / two, vips, two / vips);
        }
        for (const char* arg : {"64", "3840"}) {
            const double in = Ms(std::string("BM_DecodePng_InProcess/") + arg + "/manual_time");
            const double iso = Ms(std::string("BM_DecodePng_Isolated/") + arg + "/manual_time");
            if (in > 0 && iso > 0)
                std::printf("PNG decode width %-4s in-process %7.2f ms   separate process %7.2f ms   cost %+.2f ms\n",
                            arg, in, iso, iso - in);
        }
    }

private:
    double Ms(const std::string& name) const {
        auto it = ms_.find(name);
        return it == ms_.end() ? -1 : it->second;
    }
    std::map<std::string, double> ms_;
};

}  // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) return 1;
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    vips_shutdown();
    std::system(("rm -rf '" + Folder() + "'").c_str());
    return 0;
}
