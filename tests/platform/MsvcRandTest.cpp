#include "platform/MsvcRand.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/AlignedMemory.h"

TEST(MsvcRand, ReproducesTheRuntimeSequence) {
    platform::msvcSrand(1);
    // The well-known first draws of the C runtime's rand on Windows from its
    // default seed.
    EXPECT_EQ(platform::msvcRand(), 41);
    EXPECT_EQ(platform::msvcRand(), 18467);
    EXPECT_EQ(platform::msvcRand(), 6334);
    EXPECT_EQ(platform::msvcRand(), 26500);
    platform::msvcSrand(1);
    EXPECT_EQ(platform::msvcRand(), 41);
}

TEST(MsvcRand, StateIsPerThreadAndRangeIs15Bits) {
    platform::msvcSrand(12345);
    int other = -1;
    std::thread([&] { other = platform::msvcRand(); }).join();
    EXPECT_EQ(other, 41);  // a new thread starts at seed 1
    for (int i = 0; i < 10000; ++i) {
        const int value = platform::msvcRand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, platform::kMsvcRandMax);
    }
}

TEST(AlignedMemory, BlocksAreAlignedAndFailuresAreNull) {
    for (size_t size : {1u, 3u, 16u, 1000u}) {
        void* block = AlignedAlloc(size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
        AlignedFree(block);
    }
    float* floats = AlignedAllocFloats(7);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(floats) % 16, 0u);
    AlignedFree(floats);
    void* big = AlignedAllocWithAlignment(100, 32);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(big) % 32, 0u);
    AlignedFree(big);
    EXPECT_EQ(AlignedAllocFloats(SIZE_MAX / 2), nullptr);
    AlignedFree(nullptr);
}
