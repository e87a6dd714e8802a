// The job framework's stop flag: 1 while no job runs or when the running job is asked to
// stop, 0 while a job runs undisturbed. Read by workers, written by the Interrupt button.
#pragma once

#include <atomic>

namespace velmora {

inline constexpr int kStopRequested = 1;
inline constexpr int kJobRunning = 0;

// Process-wide; atomic because the window's thread and a worker share it.
extern std::atomic<int> StopFlag;

}  // namespace velmora
