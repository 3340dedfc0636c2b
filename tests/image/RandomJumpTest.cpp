// The random effects on several threads: each band of rows starts its
// generator where the row-order run would be, so the bytes and the
// generator's state afterwards are those of the row-order run.
#include <gtest/gtest.h>

#include <cstring>

#include "image/ImageEffect.h"
#include "image/effects/NoiseEffect.h"
#include "image/effects/SplashEffect.h"
#include "support/EffectThreadsScope.h"
#include "support/ImageBuilders.h"
#include "support/TestEffects.h"

namespace clipvane {
namespace {

using namespace test;

TEST(RandomJump, AJumpEqualsThatManyDraws) {
    for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
        for (uint64_t steps : {0ull, 1ull, 2ull, 3ull, 7ull, 64ull, 1000ull, 123457ull}) {
            RandomGenerator walked(seed), jumped(seed);
            for (uint64_t i = 0; i < steps; ++i) walked.Next();
            jumped.Jump(steps);
            EXPECT_EQ(jumped.State(), walked.State()) << seed << " " << steps;
            EXPECT_EQ(jumped.Next(), walked.Next());
        }
    }
    // Far jumps compose: 2^32 draws bring the 32-bit state back round.
    RandomGenerator a(77), b(77);
    a.Jump(uint64_t(1) << 32);
    EXPECT_EQ(a.State(), b.State());
    a.Jump(5'000'000'000ull);
    b.Jump(2'500'000'000ull);
    b.Jump(2'500'000'000ull);
    EXPECT_EQ(a.State(), b.State());
}

bool SameBytes(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * size_t(a.Depth() / 8)) != 0) return false;
    return true;
}

template <typename Effect>
void CheckLikeRowOrder(int arg, int depth) {
    // Twice with the same object: the second image continues the sequence.
    for (int threads : {1, 2, 7}) {
        SCOPED_TRACE(threads);
        EffectThreadsScope scope(threads);
        Effect parallel(arg, 4242u), plain(arg, 4242u);
        for (int round = 0; round < 2; ++round) {
            PixelImage a = Gradient(613, 29 + round, depth), b = a;
            a.ApplyEffect(parallel);
            ApplyPlain(b, plain);
            ASSERT_TRUE(SameBytes(a, b)) << "round " << round;
        }
    }
}

TEST(RandomJump, NoiseBlotAndSplashGiveTheRowOrderBytesOnEveryThreadCount) {
    for (int depth : {24, 32}) {
        CheckLikeRowOrder<ColorNoiseEffect>(120, depth);
        CheckLikeRowOrder<GreyNoiseEffect>(60, depth);
        CheckLikeRowOrder<SplashEffect>(11, depth);
    }
}

}  // namespace
}  // namespace clipvane
