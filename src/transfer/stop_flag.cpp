#include "transfer/stop_flag.h"

namespace velmora {

std::atomic<int> StopFlag{kStopRequested};

}  // namespace velmora
