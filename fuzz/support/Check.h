#pragma once
// A harness's own checks: a broken promise names itself and aborts, which
// the fuzzer keeps as a finding.

#include <cstdio>
#include <cstdlib>

inline void check(bool kept, const char* promise) {
    if (kept) return;
    std::fprintf(stderr, "broken: %s\n", promise);
    std::abort();
}
