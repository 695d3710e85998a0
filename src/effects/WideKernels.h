#pragma once
// The effects' kernels built a second time for processors with AVX-512VL, for
// its 32 vector registers: a block's constants then stay in registers beside
// its running state instead of being read from memory on every sample.  Each
// twin does its AVX2 kernel's operations in the same order and keeps to
// 256-bit vectors (512-bit ones in the phaser's mix ran it at 11.2 ns a frame
// against 8.0).  AVX-512F carries multiply-adds of its own, so a kernel meant
// to be unfused is compiled with -ffp-contract=off (CMakeLists.txt).
#include "platform/CpuFeatures.h"

#if defined(__clang__)
#define ZORVANE_WIDE_TARGET "avx2,avx512f,avx512vl"
#else
#define ZORVANE_WIDE_TARGET "avx2,avx512f,avx512vl,prefer-vector-width=256"
#endif

// Whether the twins may run: only on such processors, and never while a test
// holds an effect to its AVX2 kernels to compare the two.
inline bool wideKernelsFor(bool heldToAvx2) { return !heldToAvx2 && platform::cpuHasAvx512Vl(); }
