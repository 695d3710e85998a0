#include "platform/MsvcRand.h"

namespace platform {
namespace {
thread_local uint32_t holdRand = 1;
}

void msvcSrand(uint32_t seed) { holdRand = seed; }

int msvcRand() {
    holdRand = holdRand * 214013u + 2531011u;
    return static_cast<int>((holdRand >> 16) & 0x7FFFu);
}

}  // namespace platform
