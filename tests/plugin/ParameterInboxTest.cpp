// The inbox's one flag in front of its marks: a tick that finds it clear
// reads nothing else, so a store must never leave its mark behind a cleared
// flag.  A host thread stores while the audio side takes as the engine's
// tick does.  (Run under ThreadSanitizer too.)

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "plugin/ParameterInbox.h"

TEST(ParameterInbox, ParameterThreadsEveryStoreIsTakenByTheNextTakeAfterIt) {
    auto inbox = std::make_unique<ParameterInbox>();
    std::array<std::atomic<float>, ParameterInbox::kSlots> taken{};
    std::atomic<int64_t> takes{0};
    std::atomic<bool> done{false};
    // The audio side, taking as the engine's tick does, over and over.
    std::thread audio([&] {
        while (!done.load()) {
            if (inbox->takeAnyMarked()) {
                inbox->take(0, ParameterInbox::kSlots,
                            [&](int32_t index, float value, bool) { taken[index].store(value); });
            }
            takes.fetch_add(1);
        }
    });
    // Each store is seen by the second take after it returns (the first
    // may have begun before it): a flag cleared with a mark behind it
    // would leave the value untaken for good.
    // Each round waits for the audio side twice: rounds enough to come by
    // every slot several times, few enough for a machine that runs many
    // such pairs on one core.
    constexpr int32_t kRounds = 2000;
    int32_t missed = 0;
    for (int32_t round = 1; round <= kRounds; ++round) {
        const int32_t index = (round * 37) % ParameterInbox::kSlots;
        const float value = static_cast<float>(round % 1000 + 1) / 1000.0f;
        inbox->store(index, value);
        const int64_t seen = takes.load();
        while (takes.load() < seen + 2) std::this_thread::yield();
        missed += taken[index].load() != value;
    }
    done.store(true);
    audio.join();
    EXPECT_EQ(missed, 0);
    EXPECT_FALSE(inbox->pending());
    EXPECT_FALSE(inbox->takeAnyMarked()) << "nothing new: the flag stays clear";

    // A reader that could not take some marks hands them on.
    inbox->store(5, 0.25f);
    ASSERT_TRUE(inbox->takeAnyMarked());
    inbox->keepMarked();
    EXPECT_TRUE(inbox->takeAnyMarked());
}

// The audio side's own change of an index gives way to a store of that
// index that waits to be taken, marked or later in the word being taken:
// that store is newer, and the take applies it after the change.  An index
// already taken, or not stored, takes the change.
TEST(ParameterInbox, AnOwnChangeGivesWayToAStoreThatWaitsToBeTaken) {
    constexpr int32_t kSetter = 66, kLowerInWord = 65, kHigherInWord = 70, kOtherWord = 300, kUnstored = 301;
    ParameterInbox inbox;
    for (int32_t index : {kLowerInWord, kHigherInWord, kOtherWord}) inbox.store(index, 0.75f);
    inbox.store(kSetter, 1.0f);
    std::vector<std::pair<int32_t, float>> applied;
    ASSERT_TRUE(inbox.takeAnyMarked());
    inbox.take(0, ParameterInbox::kSlots, [&](int32_t index, float value, bool) {
        applied.emplace_back(index, value);
        // The setter sets every other index, as one index setting another does.
        if (index == kSetter)
            for (int32_t other : {kLowerInWord, kHigherInWord, kOtherWord, kUnstored}) inbox.publishUnlessStored(other, 0.001f);
    });
    const struct {
        int32_t index;
        float slot;
    } expected[] = {{kLowerInWord, 0.001f}, {kHigherInWord, 0.75f}, {kOtherWord, 0.75f}, {kUnstored, 0.001f}};
    for (const auto& e : expected) EXPECT_EQ(inbox.value(e.index), e.slot) << e.index;
    // The stores that waited were applied after the change, with their values.
    EXPECT_EQ(applied, (std::vector<std::pair<int32_t, float>>{
                           {kLowerInWord, 0.75f}, {kSetter, 1.0f}, {kHigherInWord, 0.75f}, {kOtherWord, 0.75f}}));
    // With nothing waiting, the change is published.
    inbox.publishUnlessStored(kHigherInWord, 0.5f);
    EXPECT_EQ(inbox.value(kHigherInWord), 0.5f);
}
