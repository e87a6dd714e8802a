// The Clock port on the real system: the wall clock and the C library's generator.
#pragma once

#include "base/clock.h"

namespace velmora {

class SystemClock final : public Clock {
  public:
    std::int64_t NowSeconds() override;
    void Seed(unsigned seed) override;
    int Rand() override;
};

// One for the whole program: the generator it seeds is process-wide anyway.
Clock& TheSystemClock();

}  // namespace velmora
