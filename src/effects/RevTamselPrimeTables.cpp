#include "effects/RevTamselPrimeTables.h"

#include <array>

namespace RevTamselPrimes {
namespace {

constexpr int32_t kLargestPrime = 44101;

constexpr std::array<bool, kLargestPrime + 1> sieve() {
    std::array<bool, kLargestPrime + 1> composite{};
    composite[0] = composite[1] = true;
    for (int32_t p = 2; p * p <= kLargestPrime; ++p) {
        if (composite[p]) continue;
        for (int32_t multiple = p * p; multiple <= kLargestPrime; multiple += p) composite[multiple] = true;
    }
    return composite;
}

constexpr std::array<bool, kLargestPrime + 1> kComposite = sieve();

constexpr std::array<float, kPrimeCount> makePrimes() {
    std::array<float, kPrimeCount> primes{};
    int32_t found = 0;
    for (int32_t n = 2; n <= kLargestPrime; ++n) {
        if (!kComposite[n]) primes[found++] = static_cast<float>(n);
    }
    return primes;
}

constexpr std::array<float, kPrimeCountSize> makeCounts() {
    std::array<float, kPrimeCountSize> counts{};
    int32_t primesSoFar = 0;
    for (int32_t n = 0; n < kPrimeCountSize; ++n) {
        if (n >= 2 && !kComposite[n]) ++primesSoFar;
        counts[n] = static_cast<float>(primesSoFar > 0 ? primesSoFar - 1 : 0);
    }
    return counts;
}

constexpr std::array<float, kPrimeCount> kPrimes = makePrimes();
constexpr std::array<float, kPrimeCountSize> kCounts = makeCounts();

static_assert(kPrimes[kPrimeCount - 1] == 44101.0f, "the table ends at the prime 44101");
static_assert(kPrimes[static_cast<int32_t>(kCounts[1000])] == 997.0f);

}  // namespace

const float* primeTable() { return kPrimes.data(); }
const float* primeCountTable() { return kCounts.data(); }

}  // namespace RevTamselPrimes
