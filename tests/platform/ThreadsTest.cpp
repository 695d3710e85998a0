#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>

#include "platform/SystemTime.h"

TEST(Threads, StartThreadRunsTheFunctionWithItsArgument) {
    std::atomic<int> value{0};
    const auto setTo42 = [](void* argument) { static_cast<std::atomic<int>*>(argument)->store(42); };
    ASSERT_TRUE(StartThread(setTo42, &value));
    for (int i = 0; i < 5000 && value.load() != 42; ++i) platform::sleepOneMillisecond();
    EXPECT_EQ(value.load(), 42);
    EXPECT_FALSE(StartThread(nullptr, &value));
}

TEST(Threads, SleepAndSystemTime) {
    const auto start = std::chrono::steady_clock::now();
    platform::sleepOneMillisecond();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1));

    const uint64_t before = static_cast<uint64_t>(std::time(nullptr)) * 1000;
    const uint64_t now = platform::systemTimeMs();
    EXPECT_GE(now, before);
    EXPECT_LT(now, before + 2000);
}
