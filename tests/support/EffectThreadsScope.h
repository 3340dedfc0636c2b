#pragma once
// Sets the effect thread count for one scope and puts the previous one back.
#include "image/ImageEffect.h"

namespace clipvane::test {

class EffectThreadsScope {
public:
    explicit EffectThreadsScope(int threads) : previous_(EffectThreads()) { SetEffectThreads(threads); }
    ~EffectThreadsScope() { SetEffectThreads(previous_); }
    EffectThreadsScope(const EffectThreadsScope&) = delete;
    EffectThreadsScope& operator=(const EffectThreadsScope&) = delete;

private:
    int previous_;
};

}  // namespace clipvane::test
