#include "core/UseGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

TEST(UseGate, UsersAreRefusedWhileAChangeIsOpen) {
    UseGate gate;
    {
        UseGate::Use use(gate);
        EXPECT_TRUE(use);
    }
    {
        UseGate::Change change(gate);
        UseGate::Use use(gate);
        EXPECT_FALSE(use);
    }
    UseGate::Use after(gate);
    EXPECT_TRUE(after);
}

// A reader on another thread keeps reading an array that this thread keeps
// replacing; under AddressSanitizer a read of a freed array fails the test.
TEST(UseGate, ArraysAreNeverFreedUnderAReader) {
    UseGate gate;
    std::atomic<float*> values{new float[16]()};
    std::atomic<bool> stop{false};
    std::atomic<long> reads{0};

    std::thread reader([&] {
        float sum = 0.0f;
        while (!stop.load()) {
            UseGate::Use use(gate);
            if (!use) continue;
            float* current = values.load();
            for (int i = 0; i < 16; ++i) sum += current[i];
            reads.fetch_add(1);
        }
        EXPECT_GE(sum, 0.0f);
    });

    for (int round = 0; round < 2000; ++round) {
        auto* fresh = new float[16]();
        UseGate::Change change(gate);
        delete[] values.exchange(fresh);
    }
    while (reads.load() == 0) std::this_thread::yield();
    stop.store(true);
    reader.join();
    delete[] values.load();
}
