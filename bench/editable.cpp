// PNG with editable annotations against a plain PNG: what the editable form
// costs on Save (the plain encode plus the chunk: the pixels under the
// objects deflated, the objects' JSON, two SHA-256) and on Open (reading the
// chunk after the file layer decoded the pixels), beside libvips saving and
// loading the same picture as PNG (default options, one thread). All in
// memory, on a 1920x1080 screenshot-like frame with five objects drawn into
// it. Times are CPU time of this process: the machine is shared.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <vips/vips.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "annotation/EditablePng.h"
#include "annotation/ObjectsJson.h"
#include "imagefile/Png.h"

namespace {

using clipvane::PixelImage;

double CpuSeconds() {
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    auto sec = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return sec(self.ru_utime) + sec(self.ru_stime);
}

template <typename F>
void TimeCpu(benchmark::State& state, F&& body) {
    for (auto _ : state) {
        const double start = CpuSeconds();
        body();
        state.SetIterationTime(CpuSeconds() - start);
    }
}

// Window areas, a title bar gradient, text-like strokes and a photo panel.
PixelImage Screenshot(int w, int h) {
    PixelImage img;
    img.Create(w, h, 24);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        uint8_t* p = img.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            seed = seed * 1103515245 + 12345;
            uint8_t b = 0xF0, g = 0xF0, r = 0xF0;
            if (y < 32) {
                b = uint8_t(120 + x * 100 / w), g = uint8_t(60 + x * 60 / w), r = uint8_t(30 + y);
            } else if (x > w * 2 / 3 && y > h / 2) {
                b = uint8_t((x * 3 + y) & 255), g = uint8_t((y * 2) & 255), r = uint8_t((x + y * 2) / 3 & 255);
            } else if (y % 18 < 11 && x > 260 && x < w / 2 && (seed >> 16) % 5 == 0) {
                b = g = r = uint8_t(20 + (seed >> 20) % 40);
            }
            p[0] = b, p[1] = g, p[2] = r;
        }
    }
    return img;
}

struct Fixture {
    PixelImage original = Screenshot(1920, 1080);
    PixelImage flattened;
    clipvane::ObjectList objects;
    std::vector<uint8_t> editable;
    std::vector<uint8_t> rgb;
    Fixture() {
        // Five objects, and their pixels in the flattened copy: boxes of colour.
        const clipvane::Rect boxes[] = {{100, 100, 500, 160},
                                        {600, 300, 900, 500},
                                        {1000, 50, 1400, 90},
                                        {200, 700, 260, 760},
                                        {50, 900, 800, 905}};
        flattened.Copy(original);
        for (const clipvane::Rect& r : boxes) {
            auto shape = clipvane::NewEditorObject(clipvane::kObjectShape);
            clipvane::SetObjectRect(*shape, r);
            objects.push_back(std::move(shape));
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) {
                    uint8_t* p = flattened.PixelAddress(x, y);
                    p[0] = 128, p[1] = 128, p[2] = uint8_t(p[2] / 2);
                }
        }
        std::string error;
        editable = clipvane::EncodeEditablePng(flattened, false, original, false, objects, error);
        rgb.resize(size_t(1920) * 1080 * 3);
        for (int y = 0; y < 1080; ++y)
            for (int x = 0; x < 1920; ++x) {
                const uint8_t* p = flattened.PixelAddress(x, y);
                uint8_t* o = &rgb[(size_t(y) * 1920 + size_t(x)) * 3];
                o[0] = p[2], o[1] = p[1], o[2] = p[0];
            }
    }
};

const Fixture& Data() {
    static const Fixture fixture;
    return fixture;
}

std::map<std::string, size_t> g_sizes;

void BM_SavePlainPng_Clipvane(benchmark::State& state) {
    TimeCpu(state, [] { g_sizes["plain"] = clipvane::EncodePng(Data().flattened).size(); });
}
void BM_SaveEditablePng_Clipvane(benchmark::State& state) {
    TimeCpu(state, [&state] {
        std::string error;
        const auto& d = Data();
        const size_t n = clipvane::EncodeEditablePng(d.flattened, false, d.original, false, d.objects, error).size();
        if (n == 0) state.SkipWithError(error.c_str());
        g_sizes["editable"] = n;
    });
}
void BM_SavePng_Vips(benchmark::State& state) {
    TimeCpu(state, [] {
        VipsImage* image =
            vips_image_new_from_memory(Data().rgb.data(), Data().rgb.size(), 1920, 1080, 3, VIPS_FORMAT_UCHAR);
        void* buffer = nullptr;
        size_t size = 0;
        vips_pngsave_buffer(image, &buffer, &size, nullptr);
        g_sizes["vips"] = size;
        g_free(buffer);
        g_object_unref(image);
    });
}
// What opening adds for an editable file: the chunk read and checked
// against the decoded pixels, the pixels under the objects inflated.
void BM_ReadEditableChunk_Clipvane(benchmark::State& state) {
    TimeCpu(state, [&state] {
        clipvane::EditableContent content;
        std::string why;
        const auto& d = Data();
        if (clipvane::DecodeEditablePng(d.editable.data(), d.editable.size(), &d.flattened, content, why) !=
            clipvane::EditableState::kEditable)
            state.SkipWithError(why.c_str());
    });
}
void BM_LoadPng_Vips(benchmark::State& state) {
    TimeCpu(state, [] {
        VipsImage* image = nullptr;
        vips_pngload_buffer(const_cast<uint8_t*>(Data().editable.data()), Data().editable.size(), &image, nullptr);
        size_t size = 0;
        void* pixels = image ? vips_image_write_to_memory(image, &size) : nullptr;
        g_free(pixels);
        if (image) g_object_unref(image);
    });
}
BENCHMARK(BM_SavePlainPng_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SaveEditablePng_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SavePng_Vips)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ReadEditableChunk_Clipvane)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LoadPng_Vips)->Unit(benchmark::kMillisecond)->UseManualTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration) ms_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double plain = Ms("BM_SavePlainPng_Clipvane"), editable = Ms("BM_SaveEditablePng_Clipvane");
        const double vipsSave = Ms("BM_SavePng_Vips"), read = Ms("BM_ReadEditableChunk_Clipvane");
        const double vipsLoad = Ms("BM_LoadPng_Vips");
        if (plain > 0 && editable > 0 && vipsSave > 0)
            std::printf(
                "\nsave: plain %.2f ms, editable %.2f ms (ratio editable/plain %.2f), libvips PNG %.2f ms "
                "(ratio editable/libvips %.2f)\n",
                plain, editable, editable / plain, vipsSave, editable / vipsSave);
        if (g_sizes["plain"] && g_sizes["vips"])
            std::printf("size: plain %zu, editable %zu (ratio %.2f), libvips %zu bytes\n", g_sizes["plain"],
                        g_sizes["editable"], double(g_sizes["editable"]) / double(g_sizes["plain"]), g_sizes["vips"]);
        if (read > 0 && vipsLoad > 0)
            std::printf("open: the chunk %.2f ms beside a libvips PNG decode of the file %.2f ms (ratio %.2f)\n", read,
                        vipsLoad, read / vipsLoad);
    }

private:
    double Ms(const std::string& name) const {
        auto it = ms_.find(name + "/manual_time");
        return it == ms_.end() ? -1 : it->second;
    }
    std::map<std::string, double> ms_;
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
