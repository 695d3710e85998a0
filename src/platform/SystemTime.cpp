#include "platform/SystemTime.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>

namespace platform {

uint64_t systemTimeMs() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

int64_t calendarSeconds() {
    if (const char* fixed = std::getenv("ZORVANE_FIXED_TIME"); fixed && *fixed) {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(fixed, &end, 10);
        if (end && *end == '\0' && errno == 0) return value;
    }
    return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace platform
