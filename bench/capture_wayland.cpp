// Screen grabs on a Wayland session (run it inside
// tests/wayland/wayland-session.sh, or on a wlroots desktop): the platform
// layer's full-screen grab into a 24-bit PixelImage through wlr-screencopy
// and through the screenshot portal, and the one-shot capture to PNG as a
// whole process beside grim writing a PNG (target: no slower than grim).
// Without WAYLAND_DISPLAY it says so and exits cleanly. bench/wayland_shot.sh
// measures the same whole processes interleaved, on a busy screen.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "image/PixelImage.h"
#include "imagefile/ImageHandler.h"
#include "platform/ScreenPlatform.h"

namespace {

std::map<std::string, double> g_seconds;  // mean wall time per iteration, by benchmark

void GrabBench(benchmark::State& state, clipvane::WaylandGrab how, const std::string& name) {
    std::string why;
    std::unique_ptr<clipvane::ScreenPlatform> platform = clipvane::CreateWaylandPlatform(how, &why);
    if (!platform) {
        state.SkipWithError(why.c_str());
        return;
    }
    const clipvane::Rect desktop = platform->PrimaryScreen();
    double total = 0;
    for (auto _ : state) {
        clipvane::PixelImage image;
        const auto t0 = std::chrono::steady_clock::now();
        if (!platform->Grab(desktop, image)) {
            state.SkipWithError(platform->GrabError().c_str());
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(image.Bits());
    }
    if (state.iterations() > 0) g_seconds[name] = total / double(state.iterations());
}

void BM_ScreencopyGrab(benchmark::State& state) { GrabBench(state, clipvane::WaylandGrab::kAuto, "screencopy"); }
void BM_PortalGrab(benchmark::State& state) { GrabBench(state, clipvane::WaylandGrab::kPortalOnly, "portal"); }
BENCHMARK(BM_ScreencopyGrab)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PortalGrab)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// Runs a command line to the end; false unless it exits with status 0.
bool RunProcess(const std::vector<std::string>& argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (FILE* null = std::freopen("/dev/null", "w", stderr)) (void)null;
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ClipvaneBinary() {
    if (const char* env = std::getenv("CLIPVANE_BIN")) return env;
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, size_t(n)) : std::string("./bench_capture_wayland");
    dir = dir.substr(0, dir.rfind('/'));
    return dir + "/../clipvane";
}

const std::string kOut = std::string(std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "/tmp") +
                         "/clipvane_bench_shot_" + std::to_string(getpid()) + ".png";

// The two processes in turn within each iteration, so a drifting machine
// slows both alike; each is timed on its own.
void BM_OneShotAndGrimProcesses(benchmark::State& state) {
    const std::vector<std::string> ours = {ClipvaneBinary(), "--shot", "full", "--output", kOut};
    const std::vector<std::string> grim = {"grim", kOut};
    if (!RunProcess(ours) || !RunProcess(grim)) {
        state.SkipWithError("clipvane --shot full or grim failed here");
        return;
    }
    double oursTotal = 0, grimTotal = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        const bool a = RunProcess(ours);
        oursTotal += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        t0 = std::chrono::steady_clock::now();
        const bool b = RunProcess(grim);
        grimTotal += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!a || !b) state.SkipWithError("run failed");
    }
    if (state.iterations() > 0) {
        g_seconds["oneshot"] = oursTotal / double(state.iterations());
        g_seconds["grim"] = grimTotal / double(state.iterations());
    }
}
BENCHMARK(BM_OneShotAndGrimProcesses)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(15);

void Ratio(const char* what, const std::string& a, const std::string& b, const char* target) {
    if (!g_seconds.count(a) || !g_seconds.count(b)) return;
    std::printf("%-44s %6.2f  (%s)\n", what, g_seconds[a] / g_seconds[b], target);
}

}  // namespace

int main(int argc, char** argv) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (!display || !*display) {
        std::printf("bench_capture_wayland: no Wayland display (WAYLAND_DISPLAY is not set); skipped\n");
        return 0;
    }
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);  // the portal's PNG
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nRatios (time / time):\n");
    Ratio("portal grab / screencopy grab", "portal", "screencopy", "the portal's cost");
    Ratio("one-shot process / grim", "oneshot", "grim", "target <= 1");
    std::remove(kOut.c_str());
    return 0;
}
