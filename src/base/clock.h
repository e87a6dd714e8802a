// Wall clock in whole seconds and the pseudo-random generator, behind one port so that tests
// can make both deterministic.
#pragma once

#include <cstdint>

namespace velmora {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t NowSeconds() = 0;
    virtual void Seed(unsigned seed) = 0;
    // 0 to 32767, like the C library's rand.
    virtual int Rand() = 0;
};

}  // namespace velmora
