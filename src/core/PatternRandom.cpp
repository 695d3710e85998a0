#include "core/PatternRandom.h"

#include "platform/Framework.h"

namespace {

int32_t parkMiller(int32_t seed) {
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(seed) * 16807u);
    return product % 2147483647;
}

}  // namespace

int32_t stepPatternSeed(int32_t offset) {
    std::atomic<int32_t>& seed = patternRandomSeed();
    int32_t current = seed.load(std::memory_order_relaxed);
    int32_t next = 0;
    do {
        // The offset joins the seed before the step, in wrapping 32-bit
        // arithmetic (done unsigned, so that an overflow is defined).
        next = parkMiller(static_cast<int32_t>(static_cast<uint32_t>(current) + static_cast<uint32_t>(offset)));
    } while (!seed.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return next;
}

int32_t nextPatternSeed() { return stepPatternSeed(0); }

float patternUnit(int32_t seed) { return static_cast<float>(seed) * 0x1p-32f + 0.5f; }

float nextPatternUnit() { return patternUnit(nextPatternSeed()); }
