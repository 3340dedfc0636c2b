// Text recognition of a 1920x1080 screenshot-like picture (a terminal, an
// editor's dialog text and a two-column page) beside the stock tesseract
// command on the same PNG file, with the character error rates of both. The
// command's time includes loading its language data, as each run of it does;
// ours keeps its engines loaded between calls, as the program does (the first
// call's time is shown too). Prints the ratio of the times (ours / command).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/text/TextScenes.h"
#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/MagickFiles.h"
#include "text/TextRecognizer.h"

namespace {

struct Screen {
    clipvane::test::ScratchDir dir;
    std::string path = dir / "screen.png";
    clipvane::PixelImage image;
    Screen() {
        clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
        if (!clipvane::test::RenderScene(clipvane::test::FullScreenScene(), path) ||
            !clipvane::LoadFromFile(path.c_str(), image))
            std::fprintf(stderr, "cannot make the test picture\n");
    }
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

double ours = 0, command = 0;

void BM_Recognize(benchmark::State& state) {
    const Screen& screen = TheScreen();
    // The first call loads the engines, as a program's first recognition does.
    const auto first = std::chrono::steady_clock::now();
    clipvane::RecognizeText(screen.image);
    state.counters["first_call_ms"] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count() * 1000;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const clipvane::TextResult result = clipvane::RecognizeText(screen.image);
        state.counters["cer_pct"] =
            100 * clipvane::test::CharErrorRate(clipvane::test::SceneWords(clipvane::test::FullScreenScene()),
                                                clipvane::PlainText(result));
        ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
}

void BM_TesseractCommand(benchmark::State& state) {
    const Screen& screen = TheScreen();
    if (std::system("command -v tesseract >/dev/null 2>&1") != 0) {
        state.SkipWithError("no tesseract command");
        return;
    }
    const std::string run = "tesseract " + clipvane::test::Quote(screen.path) + " stdout 2>/dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::string text = clipvane::test::Capture(run);
        state.counters["cer_pct"] =
            100 * clipvane::test::CharErrorRate(clipvane::test::SceneWords(clipvane::test::FullScreenScene()), text);
        command = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (ours > 0 && command > 0) state.counters["ours/command"] = ours / command;
}

BENCHMARK(BM_Recognize)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TesseractCommand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
