// Effects on several threads: which rows go where, progress from the calling
// thread only, row groups, tiny images and failures inside a row.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/EffectThreadsScope.h"
#include "image/ImageEffect.h"
#include "image/ProgressReporter.h"

namespace clipvane {
namespace {

struct RowVisit {
    int y;
    std::thread::id thread;
};

// Records every ProcessRow with its thread; its answers about rows are set by the test.
struct RowRecorder : ImageEffect {
    bool independent = true;
    int group = 1;
    int throwAt = -1;
    std::atomic<int> inside{0};  // threads inside ProcessRow now
    std::mutex mutex;
    std::vector<RowVisit> visits;
    std::vector<std::thread::id> beginEnd;

    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty(); }
    bool IndependentRows() const override { return independent; }
    int RowGroup() const override { return group; }
    void Begin(PixelImage&) override { beginEnd.push_back(std::this_thread::get_id()); }
    void End(PixelImage&) override { beginEnd.push_back(std::this_thread::get_id()); }
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override {
        EXPECT_EQ(row, image.Row(y));
        EXPECT_EQ(width, image.Width());
        if (y == throwAt) throw std::runtime_error("row failed");
        ++inside;
        {
            std::lock_guard<std::mutex> lock(mutex);
            visits.push_back({y, std::this_thread::get_id()});
        }
        std::this_thread::yield();  // give the other threads a chance to overlap
        --inside;
    }
    std::vector<int> RowCounts(int height) const {
        std::vector<int> counts(size_t(height), 0);
        for (const RowVisit& v : visits) ++counts[size_t(v.y)];
        return counts;
    }
};

// Checks that positions come from the calling thread while no row is being
// processed, so that a sink that repaints sees a still image.
struct ThreadCheckingProgress : ProgressReporter {
    std::thread::id owner = std::this_thread::get_id();
    const RowRecorder* rows = nullptr;
    std::vector<int> positions;
    void SetPosition(int p) override {
        EXPECT_EQ(std::this_thread::get_id(), owner);
        if (rows) {
            EXPECT_EQ(rows->inside.load(), 0) << "progress while rows are being processed";
        }
        positions.push_back(p);
        ProgressReporter::SetPosition(p);
    }
};

PixelImage Image(int width, int height) {
    PixelImage image;
    image.Create(width, height, 24);
    return image;
}

TEST(EffectThreads, SequentialEffectsKeepTheRowOrderOnTheCallingThread) {
    test::EffectThreadsScope threads(7);
    PixelImage image = Image(5, 40);
    struct Plain : ImageEffect {
        bool CanApply(const PixelImage&) const override { return true; }
    };
    EXPECT_FALSE(Plain().IndependentRows());  // a new effect is sequential until it says otherwise
    EXPECT_EQ(Plain().RowGroup(), 1);
    RowRecorder e;
    e.independent = false;
    image.ApplyEffect(e);
    ASSERT_EQ(e.visits.size(), 40u);
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(e.visits[size_t(y)].y, y);
        EXPECT_EQ(e.visits[size_t(y)].thread, std::this_thread::get_id());
    }
}

TEST(EffectThreads, EveryRowOnceAtEveryCountAndSize) {
    // Images with fewer rows than threads and single rows included.
    for (int count : {1, 2, 3, 7})
        for (int height : {1, 2, 3, 6, 7, 8, 61}) {
            test::EffectThreadsScope threads(count);
            PixelImage image = Image(3, height);
            RowRecorder e;
            ThreadCheckingProgress progress;
            progress.rows = &e;
            image.ApplyEffect(e, &progress);
            EXPECT_EQ(e.RowCounts(height), std::vector<int>(size_t(height), 1)) << count << " threads, " << height;
            // Begin and End once each, on the calling thread.
            EXPECT_EQ(e.beginEnd, std::vector<std::thread::id>(2, std::this_thread::get_id()));
            ASSERT_FALSE(progress.positions.empty());
            EXPECT_EQ(progress.positions.back(), 100);
            for (size_t i = 1; i < progress.positions.size(); ++i)
                EXPECT_LT(progress.positions[i - 1], progress.positions[i]) << count << " threads, " << height;
        }
}

TEST(EffectThreads, ProgressComesInWavesOnTallImages) {
    test::EffectThreadsScope threads(2);
    PixelImage image = Image(2, 1000);
    RowRecorder e;
    ThreadCheckingProgress progress;
    progress.rows = &e;
    image.ApplyEffect(e, &progress);
    EXPECT_EQ(e.RowCounts(1000), std::vector<int>(1000, 1));
    // Several steps, not only the end, and not one per row.
    EXPECT_GE(progress.positions.size(), 10u);
    EXPECT_LE(progress.positions.size(), 20u);
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(EffectThreads, OneThreadReportsEveryRowAsBefore) {
    test::EffectThreadsScope threads(1);
    PixelImage image = Image(4, 3);
    RowRecorder e;
    ThreadCheckingProgress progress;
    image.ApplyEffect(e, &progress);
    EXPECT_EQ(progress.positions, (std::vector<int>{33, 66, 100}));
}

TEST(EffectThreads, RowGroupsStayWholeAndInOrder) {
    // Groups of 5 rows aligned to the top: each is done by one thread, top row first.
    for (int count : {2, 7}) {
        test::EffectThreadsScope threads(count);
        PixelImage image = Image(2, 53);
        RowRecorder e;
        e.group = 5;
        image.ApplyEffect(e);
        ASSERT_EQ(e.RowCounts(53), std::vector<int>(53, 1));
        std::vector<int> next(11);
        std::vector<std::thread::id> owner(11);
        for (int g = 0; g < 11; ++g) next[size_t(g)] = 5 * g;
        for (const RowVisit& v : e.visits) {
            const size_t g = size_t(v.y / 5);
            EXPECT_EQ(v.y, next[g]) << "row out of order in its group";
            if (v.y % 5 == 0) owner[g] = v.thread;
            EXPECT_EQ(v.thread, owner[g]) << "group split between threads";
            ++next[g];
        }
    }
}

TEST(EffectThreads, AGroupTallerThanTheImageIsOneSequentialRun) {
    test::EffectThreadsScope threads(7);
    PixelImage image = Image(2, 9);
    RowRecorder e;
    e.group = 1000;
    image.ApplyEffect(e);
    ASSERT_EQ(e.visits.size(), 9u);
    for (int y = 0; y < 9; ++y) EXPECT_EQ(e.visits[size_t(y)].thread, std::this_thread::get_id());
}

TEST(EffectThreads, TheDefaultSplitsOnlyLargeImages) {
    test::EffectThreadsScope threads(0);
    PixelImage small = Image(100, 100);
    RowRecorder e;
    small.ApplyEffect(e);
    for (const RowVisit& v : e.visits) EXPECT_EQ(v.thread, std::this_thread::get_id());

    PixelImage large = Image(1024, 256);  // kParallelPixels
    RowRecorder f;
    large.ApplyEffect(f);
    EXPECT_EQ(f.RowCounts(256), std::vector<int>(256, 1));
}

TEST(EffectThreads, AFailingRowFailsTheWholeApplication) {
    for (int count : {1, 2, 7}) {
        test::EffectThreadsScope threads(count);
        PixelImage image = Image(3, 90);
        RowRecorder e;
        e.throwAt = 77;
        EXPECT_THROW(image.ApplyEffect(e), std::runtime_error) << count;
    }
}

TEST(EffectThreads, NegativeCountsMeanTheDefault) {
    test::EffectThreadsScope threads(-4);
    EXPECT_EQ(EffectThreads(), 0);
    SetEffectThreads(3);
    EXPECT_EQ(EffectThreads(), 3);
}

}  // namespace
}  // namespace clipvane
