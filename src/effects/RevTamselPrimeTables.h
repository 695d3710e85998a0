#pragma once
// The prime tables that snap the reverb's line lengths to prime numbers of
// samples, so that no two lines share a common period and their echoes never
// pile up on the same sample.  Built at compile time; read-only, any thread.

#include <cstdint>

namespace RevTamselPrimes {

constexpr int32_t kPrimeCount = 4590;       // the primes from 2 to 44101
constexpr int32_t kPrimeCountSize = 44100;  // entries of the count table

// The primes in rising order.
const float* primeTable();
// Entry n is the index in primeTable of the largest prime not above n
// (0 for n < 2), so primeTable()[primeCountTable()[n]] is the largest prime
// <= n for 2 <= n < kPrimeCountSize.
const float* primeCountTable();

}  // namespace RevTamselPrimes
