// Document work off the user-interface thread: the event loop keeps turning
// while an effect runs, a cancelled step leaves image and history exactly as
// they were, and what arrives meanwhile waits for the work to end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <chrono>
#include <thread>

#include "document/BandEffects.h"
#include "document/ImageDocument.h"
#include "document/OffThreadWork.h"
#include "image/ImageEffect.h"
#include "image/effects/EffectCommands.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "support/TestEffects.h"

namespace clipvane {
namespace {

using namespace test;

bool SameBytes(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * size_t(a.Depth() / 8)) != 0) return false;
    return true;
}

// Turns the event loop until `done` or two seconds have passed.
template <typename F>
bool TurnLoopUntil(F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

using SlowEffect = HeldEffect;

TEST(DocumentWork, TheEventLoopTurnsWhileAnEffectRunsAndTheResultLandsAtTheEnd) {
    ImageDocument doc;
    doc.image = Gradient(16, 12, 24);
    const PixelImage before = doc.image;
    SlowEffect effect;
    bool busySeen = false;
    bool imageUntouched = false;
    // A timer on this thread fires while the worker waits at row 4: the
    // document is busy and still shows the image before the step.
    QTimer::singleShot(5, [&] {
        busySeen = doc.IsBusy();
        imageUntouched = SameBytes(doc.image, before);
        effect.release = true;
    });
    int started = 0, finished = 0;
    QObject::connect(&doc, &ImageDocument::workStarted, [&](bool cancellable) { started += cancellable ? 1 : 100; });
    QObject::connect(&doc, &ImageDocument::workFinished, [&] { ++finished; });
    doc.RunEffect(&effect);
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(imageUntouched);
    EXPECT_FALSE(doc.IsBusy());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(doc.UndoCount(), 1);
    EXPECT_EQ(At(doc.image, 3, 5) & 0xFF, 255 - (At(before, 3, 5) & 0xFF));
    doc.OnUndo();
    EXPECT_TRUE(SameBytes(doc.image, before));
}

TEST(DocumentWork, CancellingMidEffectLeavesPixelsHistoryAndDepthAsBefore) {
    ImageDocument doc;
    doc.image = Gradient(16, 12, 32);  // as opened from a file: 32 bits
    doc.OnEffectCommand(kCmdInvert, nullptr);
    doc.SetModified(false);
    const PixelImage before = doc.image;
    const int undo = doc.UndoCount();

    // A command whose effect is stopped half way (Esc during the work).
    SlowEffect effect;
    effect.atHold = [&] { doc.CancelWork(); };
    effect.release = true;
    doc.RunEffect(&effect);
    EXPECT_TRUE(doc.WorkCancelled());
    EXPECT_TRUE(SameBytes(doc.image, before));
    EXPECT_EQ(doc.UndoCount(), undo);
    EXPECT_EQ(doc.RedoCount(), 0);
    EXPECT_FALSE(doc.IsModified());

    // A whole command (conversion, effect, normalisation) cancelled at its
    // effect changes nothing either, not even the depth.
    doc.image.ConvertTo(32);
    const PixelImage before32 = doc.image;
    SlowEffect second;
    second.atHold = [&] { doc.CancelWork(); };
    second.release = true;
    doc.RunEffectNormalised(&second);
    EXPECT_TRUE(SameBytes(doc.image, before32));
    EXPECT_EQ(doc.UndoCount(), undo);

    // Cancelling when nothing runs does nothing; the next step runs whole.
    doc.CancelWork();
    doc.OnEffectCommand(kCmdInvert, nullptr);
    EXPECT_FALSE(doc.WorkCancelled());
    EXPECT_EQ(doc.UndoCount(), undo + 1);
    EXPECT_EQ(doc.image.Depth(), 24);
}

TEST(DocumentWork, CommandsGiveTheSameBytesAsTheImageOnlyRunner) {
    // Every step runs on a copy that replaces the image: the bytes equal the
    // command run on a bare image, on the whole image and on a band.
    for (const Rect band : {Rect{}, Rect{3, 2, 11, 9}}) {
        for (int id : {kCmdInvert, kCmdGreyImage, kCmdBlur, kCmdRotate90, kCmdEmboss}) {
            SCOPED_TRACE(id);
            ImageDocument doc;
            doc.image = Gradient(17, 13, 32);
            PixelImage expected = doc.image;
            const EffectParams params;  // the dialogs' defaults
            doc.ApplyEffectCommand(id, params, nullptr, band);
            if (band.IsEmpty() || !EffectCommandKeepsSize(id)) {
                ASSERT_TRUE(RunEffectCommand(id, params, expected));
            } else {
                EffectCommandSteps steps = PlanEffectCommand(id, params);
                expected.ConvertTo(32);
                std::vector<ImageEffect*> effects;
                for (auto& e : steps.effects) effects.push_back(e.get());
                ApplyEffectsInBand(expected, band, effects);
                NormaliseTo24(expected);
            }
            EXPECT_TRUE(SameBytes(doc.image, expected));
            EXPECT_EQ(doc.UndoCount(), 1);
        }
    }
}

TEST(DocumentWork, ACaptureArrivingDuringWorkIsAppliedAfterIt) {
    ImageDocument doc;
    doc.image = Gradient(16, 12, 24);
    const PixelImage captured = Solid(5, 4, 24, 1, 2, 3);
    SlowEffect effect;
    effect.atHold = [] {};
    QTimer::singleShot(5, [&] {
        doc.ApplyCapture(captured, true);  // a hotkey capture, delivered now
        EXPECT_EQ(doc.image.Width(), 16);  // not while the work runs
        effect.release = true;
    });
    doc.RunEffect(&effect);
    EXPECT_EQ(doc.image.Width(), 16);
    // Applied from the event loop once the step is complete, as its own step.
    ASSERT_TRUE(TurnLoopUntil([&] { return doc.image.Width() == 5; }));
    EXPECT_EQ(doc.UndoCount(), 2);
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 16);
    EXPECT_EQ(doc.UndoCount(), 1);
}

TEST(DocumentWork, ExceptionsOfTheWorkReachTheCaller) {
    EXPECT_THROW(RunOffThread([] { throw std::runtime_error("no"); }), std::runtime_error);
    int runs = 0;
    RunOffThread([&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace clipvane
