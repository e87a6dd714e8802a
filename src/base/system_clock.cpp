#include "base/system_clock.h"

#include <cstdlib>
#include <ctime>

namespace velmora {

std::int64_t SystemClock::NowSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

void SystemClock::Seed(unsigned seed) {
    std::srand(seed);
}

int SystemClock::Rand() {
    // glibc's rand is 0 to RAND_MAX (2^31 - 1); the names drawn from it expect 0 to 32767.
    return std::rand() % 32768;
}

Clock& TheSystemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace velmora
