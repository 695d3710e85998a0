// The buttons that copy, paste, randomise and clear the step lines and the
// tables.  The pattern clipboards are the process's: with two instances in
// one process (a host that plays two tracks with both editors open) what one
// instance copies the other pastes, through the range buttons, the
// pattern-wide buttons and a learned controller alike.  Under
// ThreadSanitizer (make tsan) both instances render the dense patch while
// their interface threads press the buttons, for ZORVANE_STRESS_SECONDS.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "core/VstTypes.h"
#include "host/demo/DensePatch.h"
#include "support/AllocationCounter.h"
#include "support/InstanceTestSupport.h"
#include "support/RunLength.h"

namespace {

constexpr int32_t kLearnedController = 20;
constexpr int32_t kBlock = 256;

// The buttons the interface threads press: copy, paste, random and clear
// of the step lines and the gate table, and the pattern-wide ones.
constexpr int32_t kButtons[] = {
    Tag::StepLinesCopy, Tag::StepLinesPaste, Tag::StepLinesRandom, Tag::StepLinesInit,
    Tag::GateTableCopy, Tag::GateTablePaste, Tag::GateTableRandom, Tag::GateTableInit,
    Tag::PatternCopy,   Tag::PatternPaste,   Tag::PatternRandom,   Tag::PatternInit,
};

void click(BWUniClient& instance, int32_t button) {
    instance.setParameter(button, 1.0f);
    instance.setParameter(button, 0.0f);
}

// One block of audio, with the learned controller sent at `value` first
// when it is 0 or more.
void renderBlock(BWUniClient& instance, int32_t value = -1) {
    std::array<float, kBlock> left{}, right{};
    float* outputs[2] = {left.data(), right.data()};
    VstMidiEvent controller{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0,
                            {char(0xB0), char(kLearnedController), char(value), 0}, 0, 0, 0, 0};
    VstEvent* list[3] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    if (value >= 0) events->events[events->numEvents++] = reinterpret_cast<VstEvent*>(&controller);
    instance.processEvents(events);
    instance.processReplacing(outputs, outputs, kBlock);
}

std::vector<float> steps(BWBtnLine& line) {
    std::vector<float> values;
    for (uint64_t i = 0; i < line.getStepCount(); ++i) values.push_back(line.getStep(i));
    return values;
}

std::vector<float> points(BWTableXY& table) {
    std::vector<float> values;
    for (uint64_t i = 0; i < table.getCount(); ++i) values.push_back(table.getValue(i));
    return values;
}

struct Pair {
    UserFoldersSandbox sandbox;
    std::array<std::unique_ptr<BWUniClient>, 2> instances{makeInstance(), makeInstance()};
    BWUniClient& a = *instances[0];
    BWUniClient& b = *instances[1];
};

}  // namespace

// While the buttons are pressed and let go, by the interface and by a learned
// controller, the process call allocates nothing.
TEST(ClipboardButtons, TheProcessCallAllocatesNothingForTheirEdits) {
    UserFoldersSandbox sandbox;
    std::unique_ptr<BWUniClient> instance = makeInstance();
    densePatch(*instance, false);
    instance->learnMap().controller(kLearnedController).push_back({Tag::StepLinesCopy, 0});
    const auto counted = [&](int32_t value) {
        AllocationCounter counter;
        renderBlock(*instance, value);
        return counter.count();
    };
    for (int i = 0; i < 8; ++i) counted(-1);
    size_t allocations = 0;
    for (int32_t button : kButtons) {
        for (float value : {1.0f, 0.0f}) {
            instance->setParameter(button, value);
            allocations += counted(-1);
        }
    }
    allocations += counted(127) + counted(0) + counted(-1);
    EXPECT_EQ(allocations, 0u);
}

TEST(TwoInstances, WhatOneCopiesTheOtherPastes) {
    Pair pair;
    BWUniClient& a = pair.a;
    BWUniClient& b = pair.b;
    PatternModels& from = a.patterns();
    PatternModels& to = b.patterns();
    for (BWUniClient* instance : {&a, &b}) {
        instance->state().patterns.loopStart = 0.0f;  // no loop zone: the whole line
        instance->state().patterns.loopEnd = 0.0f;
    }
    // sources[grid]: the grid of `a` whose copy `b`'s grid pastes.
    const auto sameLines = [&](std::array<int, 5> sources, const char* what) {
        for (int grid = 0; grid < 5; ++grid)
            EXPECT_EQ(steps(to.stepLine(grid)), steps(from.stepLine(sources[grid]))) << what << grid;
        EXPECT_EQ(points(to.gateTable), points(from.gateTable)) << what;
    };

    click(a, Tag::StepLinesRandom);
    click(a, Tag::GateTableRandom);
    ASSERT_TRUE(a.deriveNow());
    ASSERT_NE(points(to.gateTable), points(from.gateTable));
    click(a, Tag::StepLinesCopy);
    click(a, Tag::GateTableCopy);
    click(b, Tag::StepLinesPaste);
    click(b, Tag::GateTablePaste);
    ASSERT_TRUE(a.deriveNow() && b.deriveNow());
    // Grids 2 and 3 share a key: the one that copies last holds it.
    sameLines({0, 2, 2, 3, 4}, "the range buttons: ");

    click(a, Tag::PatternRandom);
    ASSERT_TRUE(a.deriveNow());
    click(a, Tag::PatternCopy);
    click(b, Tag::PatternPaste);
    ASSERT_TRUE(a.deriveNow() && b.deriveNow());
    sameLines({0, 1, 2, 3, 4}, "the pattern-wide buttons: ");

    // A learned controller presses in the render; the copy waits for the
    // idle, off the audio thread.
    a.learnMap().controller(kLearnedController).push_back({Tag::StepLinesCopy, 0});
    click(a, Tag::StepLinesRandom);
    ASSERT_TRUE(a.deriveNow());
    renderBlock(a, 127);
    renderBlock(a, 0);
    a.idle();
    click(b, Tag::StepLinesPaste);
    ASSERT_TRUE(b.deriveNow());
    EXPECT_EQ(steps(to.stepLine(0)), steps(from.stepLine(0))) << "the learned copy";
}

// Each instance's audio thread renders the dense patch and now and then
// presses and lets go a learned controller on a clipboard button; its
// interface thread presses the buttons above in random order, copies and
// pastes the zone lanes in the instance's turn, and calls the idle.
TEST(TwoInstances, PressTheClipboardButtonsWhileBothRender) {
    Pair pair;
    const int32_t learned[2] = {Tag::StepLinesCopy, Tag::GateTablePaste};
    for (int n = 0; n < 2; ++n) {
        densePatch(*pair.instances[n], false);
        pair.instances[n]->learnMap().controller(kLearnedController).push_back({int16_t(learned[n]), 0});
    }
    std::atomic<bool> done{false};
    std::array<std::atomic<int64_t>, 2> blocks{};
    std::array<std::atomic<int64_t>, 2> presses{};
    std::atomic<bool> finite{true};
    std::vector<std::thread> threads;
    for (int n = 0; n < 2; ++n) {
        BWUniClient& instance = *pair.instances[n];
        threads.emplace_back([&, n] {
            std::array<float, kBlock> left{}, right{};
            float* outputs[2] = {left.data(), right.data()};
            for (int64_t block = 0; !done.load(); block = blocks[n].fetch_add(1) + 1) {
                VstMidiEvent controller{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0,
                                        {char(0xB0), char(kLearnedController), char(block % 32 < 16 ? 127 : 0), 0},
                                        0, 0, 0, 0};
                VstEvent* list[3] = {};
                auto* events = reinterpret_cast<VstEvents*>(list);
                if (block % 16 == 0) events->events[events->numEvents++] = reinterpret_cast<VstEvent*>(&controller);
                instance.processEvents(events);
                instance.processReplacing(outputs, outputs, kBlock);
                for (float sample : left) finite = finite && std::isfinite(sample);
            }
        });
        threads.emplace_back([&, n] {
            std::mt19937 random(static_cast<uint32_t>(n));
            for (int64_t round = 0; !done.load(); round = presses[n].fetch_add(1) + 1) {
                click(instance, kButtons[random() % std::size(kButtons)]);
                if (round % 8 == 0) {
                    const std::lock_guard<StateTurn> turn(instance.stateTurn());
                    if (round % 16 == 0)
                        instance.patterns().zones.copyAll(0, 0);
                    else
                        instance.patterns().zones.pasteAll(0, 0);
                }
                instance.idle();
            }
        });
    }
    constexpr int64_t kRounds = 200;
    RunLength run(RunLength::stressSeconds(2));
    while (run.goOn(blocks[0] >= kRounds && blocks[1] >= kRounds && presses[0] >= kRounds && presses[1] >= kRounds))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    done.store(true);
    for (std::thread& thread : threads) thread.join();
    for (int n = 0; n < 2; ++n) {
        EXPECT_GE(blocks[n].load(), kRounds) << n;
        EXPECT_GE(presses[n].load(), kRounds) << n;
    }
    EXPECT_TRUE(finite.load());
}
