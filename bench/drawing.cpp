// Drawing in the editor on a 3840 x 2160 picture holding 100 objects, from
// the mouse event to the frame ready to paint (the document's composite and
// the view painted into an image): one pointer step while dragging the
// selected object or a new band (target: median under 8 ms), creating an
// object from press to the frame after the release (under 16 ms), and the
// Edit Text dialog shown with its font list (under 150 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <memory>

#include "annotation/AnnotationObject.h"
#include "document/ImageDocument.h"
#include "editor/dialogs/TextEditDialog.h"
#include "editor/view/EditorView.h"
#include "image/ImageEffect.h"

namespace {

using namespace clipvane;

constexpr int kWidth = 3840, kHeight = 2160, kObjects = 100;
constexpr int kMargin = 5;  // the view's margin around the image

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_drawing";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// A photo-like picture with lines, shapes, highlights and texts spread over
// it, a third of them shadowed; the last one, a shadowed shape at (100, 100)
// to (300, 250), is the one dragged.
void Fill(ImageDocument& doc) {
    doc.image.Create(kWidth, kHeight, 32);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* p = doc.image.Row(y);
        for (int x = 0; x < kWidth; ++x, p += 4) {
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x ^ y);
            p[3] = 255;
        }
    }
    RandomGenerator rng(7);
    auto pick = [&rng](int lo, int hi) { return lo + rng.Next() % (hi - lo); };
    for (int i = 0; i < kObjects - 1; ++i) {
        const int x = pick(0, kWidth - 450), y = pick(0, kHeight - 450);
        const int w = pick(40, 440), h = pick(40, 440);
        std::unique_ptr<AnnotationObject> object;
        if (i % 4 == 0) {
            auto line = std::make_unique<LineObject>(i % 8 == 0 ? kObjectLine : kObjectArrow);
            line->x1 = x;
            line->y1 = y;
            line->x2 = x + w;
            line->y2 = y + h / 2;
            object = std::move(line);
        } else {
            object = CreateObject(i % 4 == 1 ? kObjectShape : i % 4 == 2 ? kObjectHighlight : kObjectText);
            SetObjectRect(*object, Rect{x, y, x + w, y + h});
            if (object->kind == kObjectText) static_cast<TextObject&>(*object).text = u"Annotation text";
        }
        object->shadow = i % 3 == 0;
        doc.objects.push_back(std::move(object));
    }
    auto dragged = std::make_unique<ShapeObject>();
    SetObjectRect(*dragged, Rect{100, 100, 300, 250});
    dragged->shadow = 1;
    doc.objects.push_back(std::move(dragged));
}

struct Editor {
    Editor() {
        App();
        Fill(doc);
        view = std::make_unique<EditorView>(&doc);
        view->resize(1600, 1000);
        view->show();
        QApplication::processEvents();
        frame = QImage(view->viewport()->size(), QImage::Format_RGB32);
        Frame();
    }
    void Send(QEvent::Type type, int x, int y, Qt::MouseButtons buttons) {
        const QPointF at(x + kMargin, y + kMargin);  // image pixel at 100 %, not scrolled
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    void Press(int x, int y) { Send(QEvent::MouseButtonPress, x, y, Qt::LeftButton); }
    void Move(int x, int y, bool down) { Send(QEvent::MouseMove, x, y, down ? Qt::LeftButton : Qt::NoButton); }
    void Release(int x, int y) { Send(QEvent::MouseButtonRelease, x, y, Qt::NoButton); }
    // The frame the next paint shows: the composite, painted by the view.
    void Frame() {
        benchmark::DoNotOptimize(doc.Composite().Bits());
        view->viewport()->render(&frame);
    }

    ImageDocument doc;
    std::unique_ptr<EditorView> view;
    QImage frame;
};

// The first Edit Text dialog of the process: the font list filled from a
// cold font database (the later ones below find it warm).
void BM_OpenTextDialogCold(benchmark::State& state) {
    App();
    TextObject object;
    for (auto _ : state) {
        TextEditDialog dialog(object);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(&dialog);
    }
}
BENCHMARK(BM_OpenTextDialogCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// One pointer step while dragging the selected object: the first press
// selects it, the second starts the drag.
void BM_DragSelectedObjectStep(benchmark::State& state) {
    Editor editor;
    editor.view->Tools().SetTool(EditorTool::Select);
    editor.Press(200, 170);
    editor.Release(200, 170);
    editor.Press(200, 170);
    int step = 1;
    for (auto _ : state) {
        editor.Move(200 + step, 170, true);
        editor.Frame();
        step = step == 1 ? 2 : 1;
    }
    editor.Release(200, 170);
}
BENCHMARK(BM_DragSelectedObjectStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// One pointer step while dragging a new Shape band.
void BM_DragNewBandStep(benchmark::State& state) {
    Editor editor;
    editor.view->Tools().SetTool(EditorTool::Shape);
    editor.Press(600, 400);
    int step = 0;
    for (auto _ : state) {
        editor.Move(800 + step, 600 + step, true);
        editor.Frame();
        step = (step + 1) % 8;
    }
    editor.Release(808, 608);
}
BENCHMARK(BM_DragNewBandStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// Creating a highlight: press, two steps, release, and the frame after it.
// The object is taken away again (outside the timing) so that every round
// starts from the same 100 objects.
void BM_CreateObject(benchmark::State& state) {
    Editor editor;
    for (auto _ : state) {
        editor.view->Tools().SetTool(EditorTool::Highlight);
        editor.Press(700, 500);
        editor.Move(760, 540, true);
        editor.Move(820, 580, true);
        editor.Release(820, 580);
        editor.Frame();
        state.PauseTiming();
        if (editor.doc.objects.size() > size_t(kObjects)) {
            editor.view->ClearSelection();
            editor.doc.objects.pop_back();
            editor.doc.ObjectsEdited();
            editor.Frame();
        }
        state.ResumeTiming();
    }
    state.counters["objects"] = double(editor.doc.objects.size());
}
BENCHMARK(BM_CreateObject)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Edit Text dialog prepared from a text object and shown with its font
// list filled.
void BM_OpenTextDialog(benchmark::State& state) {
    App();
    TextObject object;
    object.text = u"Grüße";
    for (auto _ : state) {
        TextEditDialog dialog(object);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(&dialog);
    }
}
BENCHMARK(BM_OpenTextDialog)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
