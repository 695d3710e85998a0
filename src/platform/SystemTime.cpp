#include "platform/SystemTime.h"

#include <chrono>

namespace platform {

uint64_t systemTimeMs() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

}  // namespace platform
