#include "base/system_clock.h"

#include <cstdlib>
#include <ctime>
#include <mutex>

namespace velmora {

namespace {
// rand keeps one hidden state; draws from two threads must not interleave with a seed.
std::mutex g_randMutex;
}  // namespace

std::int64_t SystemClock::NowSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

void SystemClock::Seed(unsigned seed) {
    std::lock_guard lock(g_randMutex);
    std::srand(seed);
}

int SystemClock::Rand() {
    std::lock_guard lock(g_randMutex);
    return std::rand() & 0x7FFF;
}

Clock& TheSystemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace velmora
