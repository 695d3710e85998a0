#include "core/UseGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

// A timed change sleeps while a user stays, holds the gate once the user has
// gone, and at its limit gives up and reopens the gate.
TEST(UseGate, ATimedChangeWaitsForAStayingUserUpToItsLimit) {
    using std::chrono::milliseconds;
    struct Case {
        int sleeps;
        int userStaysMs;  // −1: the user never leaves during the change
        bool held;
    };
    for (const Case& c : {Case{0, 0, true}, Case{20, -1, false}, Case{UseGate::kNoLimit, 30, true},
                          Case{200, 30, true}}) {
        UseGate gate;
        const bool userIn = c.userStaysMs != 0;
        if (userIn) {
            EXPECT_TRUE(gate.enter());
        }
        // Taken before the user starts its stay, so the stay never counts from
        // before the clock started.
        const auto begin = std::chrono::steady_clock::now();
        std::thread user;
        if (c.userStaysMs > 0)
            user = std::thread([&] {
                std::this_thread::sleep_for(milliseconds(c.userStaysMs));
                gate.leave();
            });
        {
            const UseGate::Change change = gate.tryFor(c.sleeps);
            EXPECT_EQ(static_cast<bool>(change), c.held) << c.sleeps;
            EXPECT_GE(std::chrono::steady_clock::now() - begin, milliseconds(c.held ? c.userStaysMs : c.sleeps));
            EXPECT_EQ(gate.isChanging(), c.held);
            EXPECT_EQ(static_cast<bool>(UseGate::Use(gate)), !c.held);
        }
        EXPECT_TRUE(UseGate::Use(gate));
        if (user.joinable()) user.join();
        if (c.userStaysMs < 0) gate.leave();
        EXPECT_FALSE(gate.isInUse());
    }
}
