// CTest runs this program once per effect thread count (CLIPVANE_TEST_EFFECT_THREADS,
// see tests/CMakeLists.txt), so every exact effect test here is checked with
// one thread and with several.
#include <cstdlib>

#include "image/ImageEffect.h"

namespace {

const bool kThreadsSet = [] {
    if (const char* value = std::getenv("CLIPVANE_TEST_EFFECT_THREADS")) clipvane::SetEffectThreads(std::atoi(value));
    return true;
}();

}  // namespace
