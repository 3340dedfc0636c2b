// Object rendering on a 3840 x 2160 document with 100 mixed objects: the
// uncached path (every object drawn again, as a plain RenderObjects does),
// the render cache warm, a full composition, and moving or restyling one
// object. Also the memory of ten undo steps on an image of that size.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <memory>

#include "document/ImageDocument.h"
#include "document/PixelImagePainter.h"
#include "document/RenderCache.h"
#include "document/RenderObjects.h"
#include "image/ImageEffect.h"

namespace {

using namespace clipvane;

constexpr int kWidth = 3840, kHeight = 2160, kObjects = 100;

PixelImage Base() {
    PixelImage image;
    image.Create(kWidth, kHeight, 32);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* p = image.Row(y);
        for (int x = 0; x < kWidth; ++x, p += 4) {
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x ^ y);
            p[3] = 255;
        }
    }
    return image;
}

// Objects of every kind but stamps, a third of them shadowed, spread over the
// image with sizes of 40 to 440 pixels.
ObjectList Mixed() {
    RandomGenerator rng(7);
    auto pick = [&rng](int lo, int hi) { return lo + rng.Next() % (hi - lo); };
    ObjectList objects;
    for (int i = 0; i < kObjects; ++i) {
        const int x = pick(0, kWidth - 450), y = pick(0, kHeight - 450);
        const int w = pick(40, 440), h = pick(40, 440);
        std::unique_ptr<AnnotationObject> object;
        switch (i % 6) {
        case 0:
        case 1: {
            auto line = std::make_unique<LineObject>(i % 6 == 0 ? kObjectLine : kObjectArrow);
            line->x1 = x;
            line->y1 = y;
            line->x2 = x + w;
            line->y2 = y + h / 2;
            line->width = 1 + i % 10;
            line->color = MakeColorRef(200, 30, 30);
            line->style = i % 3 == 0 ? 0 : i % 2;
            object = std::move(line);
            break;
        }
        case 2:
        case 3: {
            auto shape = std::make_unique<ShapeObject>();
            shape->left = x;
            shape->top = y;
            shape->right = x + w;
            shape->bottom = y + h;
            shape->borderStyle = i % 4;
            object = std::move(shape);
            break;
        }
        case 4: {
            auto highlight = std::make_unique<HighlightObject>();
            highlight->left = x;
            highlight->top = y;
            highlight->right = x + w;
            highlight->bottom = y + h / 3;
            object = std::move(highlight);
            break;
        }
        default: {
            auto text = std::make_unique<TextObject>();
            text->left = x;
            text->top = y;
            text->right = x + w;
            text->bottom = y + h / 2;
            text->text = u"Annotation text\r\nsecond line";
            text->boxStyle = i % 2;
            object = std::move(text);
            break;
        }
        }
        object->shadow = i % 3 == 0;
        if (object->kind != kObjectHighlight) object->transparency = (i * 7) % 40;
        objects.push_back(std::move(object));
    }
    return objects;
}

const PixelImage& SharedBase() {
    static const PixelImage base = Base();
    return base;
}

// The uncached path: a copy of the image and every object drawn from scratch.
void BM_RenderObjectsUncached(benchmark::State& state) {
    const ObjectList objects = Mixed();
    for (auto _ : state) {
        PixelImage target(SharedBase());
        RenderObjects(target, objects);
        benchmark::DoNotOptimize(target.Bits());
    }
}
BENCHMARK(BM_RenderObjectsUncached)->Unit(benchmark::kMillisecond);

// Cold cache: every bitmap drawn, then composed into a copy.
void BM_RenderCacheCold(benchmark::State& state) {
    const ObjectList objects = Mixed();
    for (auto _ : state) {
        RenderCache cache;
        PixelImage target(SharedBase());
        cache.Render(target, objects);
        benchmark::DoNotOptimize(target.Bits());
    }
}
BENCHMARK(BM_RenderCacheCold)->Unit(benchmark::kMillisecond);

// Warm cache into a fresh copy of the image (what a save does).
void BM_RenderCacheWarmIntoCopy(benchmark::State& state) {
    const ObjectList objects = Mixed();
    RenderCache cache;
    {
        PixelImage warm(SharedBase());
        cache.Render(warm, objects);
    }
    for (auto _ : state) {
        PixelImage target(SharedBase());
        cache.Render(target, objects);
        benchmark::DoNotOptimize(target.Bits());
    }
}
BENCHMARK(BM_RenderCacheWarmIntoCopy)->Unit(benchmark::kMillisecond);

// Warm composition of the whole image: the base changed, every object
// composited again from cached bitmaps (the target: under 16 ms).
void BM_ComposeWholeWarm(benchmark::State& state) {
    const ObjectList objects = Mixed();
    RenderCache cache;
    cache.Compose(SharedBase(), objects);
    for (auto _ : state) {
        cache.InvalidateBase();
        benchmark::DoNotOptimize(cache.Compose(SharedBase(), objects).Bits());
    }
}
BENCHMARK(BM_ComposeWholeWarm)->Unit(benchmark::kMillisecond);

// A paint with nothing changed.
void BM_ComposeUnchanged(benchmark::State& state) {
    const ObjectList objects = Mixed();
    RenderCache cache;
    cache.Compose(SharedBase(), objects);
    for (auto _ : state) benchmark::DoNotOptimize(cache.Compose(SharedBase(), objects).Bits());
}
BENCHMARK(BM_ComposeUnchanged)->Unit(benchmark::kMillisecond);

// Dragging one object (a shadowed shape) by a pixel per paint: no new
// drawing, its old and new places recomposed (the target: under 5 ms).
void BM_MoveOneObject(benchmark::State& state) {
    ObjectList objects = Mixed();
    RenderCache cache;
    cache.Compose(SharedBase(), objects);
    AnnotationObject& moved = *objects[3];
    int step = 1;
    for (auto _ : state) {
        Rect r = ObjectRect(moved);
        r.left += step;
        r.right += step;
        SetObjectRect(moved, r);
        step = -step;
        benchmark::DoNotOptimize(cache.Compose(SharedBase(), objects).Bits());
    }
}
BENCHMARK(BM_MoveOneObject)->Unit(benchmark::kMillisecond);

// Resizing one object per paint: its bitmap drawn again (shadow included),
// then its area recomposed.
void BM_ResizeOneObject(benchmark::State& state) {
    ObjectList objects = Mixed();
    RenderCache cache;
    cache.Compose(SharedBase(), objects);
    AnnotationObject& resized = *objects[3];  // shadowed filled ellipse
    int step = 1;
    for (auto _ : state) {
        Rect r = ObjectRect(resized);
        r.right += step;
        SetObjectRect(resized, r);
        step = -step;
        benchmark::DoNotOptimize(cache.Compose(SharedBase(), objects).Bits());
    }
}
BENCHMARK(BM_ResizeOneObject)->Unit(benchmark::kMillisecond);

// Painting the whole composite into a widget-like RGB32 surface, 1:1 and at
// 200 % (a 1920 x 1080 part enlarged to fill 3840 x 2160).
void BM_DrawPixelImage(benchmark::State& state) {
    QImage surface(kWidth, kHeight, QImage::Format_RGB32);
    const PixelImage& image = SharedBase();
    const bool zoomed = state.range(0) != 0;
    for (auto _ : state) {
        QPainter painter(&surface);
        if (zoomed)
            StretchDraw(painter, image, Rect{0, 0, kWidth, kHeight}, Rect{0, 0, kWidth / 2, kHeight / 2});
        else
            Draw(painter, image, 0, 0);
        painter.end();
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(BM_DrawPixelImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class AddOne : public ImageEffect {
public:
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty(); }
    void ProcessPixel(PixelImage&, int, int, uint8_t* pixel) override { ++pixel[0]; }
};

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

// Ten effect steps on a 3840 x 2160 document: the history holds ten
// before-images (no after-images until something is undone).
void BM_UndoHistoryMemory(benchmark::State& state) {
    for (auto _ : state) {
        const long before = ResidentKiB();
        ImageDocument doc;
        doc.image = SharedBase();
        AddOne effect;
        for (int i = 0; i < 10; ++i) doc.RunEffect(&effect);
        size_t held = 0;
        for (const auto& record : doc.UndoSteps())
            held += record->beforeImage.ByteCount() + record->afterImage.ByteCount();
        state.counters["history_MiB"] = double(held) / (1 << 20);
        state.counters["image_MiB"] = double(doc.image.ByteCount()) / (1 << 20);
        state.counters["rss_growth_MiB"] = double(ResidentKiB() - before) / 1024;
    }
}
BENCHMARK(BM_UndoHistoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
