#include "platform/Threads.h"

#include <chrono>
#include <system_error>
#include <thread>

bool StartThread(void (*function)(void*), void* argument) {
    if (!function) return false;
    try {
        std::thread(function, argument).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

namespace platform {

void sleepOneMillisecond() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

}  // namespace platform
