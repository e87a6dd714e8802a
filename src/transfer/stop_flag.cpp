#include "transfer/stop_flag.h"

namespace velmora {

std::atomic<int> StopFlag{1};

}  // namespace velmora
