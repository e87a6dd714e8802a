// The one value a running job shares with the Interrupt button: 0 while a job runs, 1 asks it
// to stop at its next check (and is the idle state).
#pragma once

#include <atomic>

namespace velmora {

extern std::atomic<int> StopFlag;

}  // namespace velmora
