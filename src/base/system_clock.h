// The Clock the program runs on: the system's wall clock in whole seconds and the C
// library's generator.
#pragma once

#include "base/clock.h"

namespace velmora {

class SystemClock final : public Clock {
  public:
    std::int64_t NowSeconds() override;
    void Seed(unsigned seed) override;
    int Rand() override;
};

// The process-wide one.
Clock& TheSystemClock();

}  // namespace velmora
