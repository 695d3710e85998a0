#include "core/TrackedFloatBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

#include "core/StateResetList.h"

TEST(TrackedFloatBuffer, GrowingMovesTheContentsAndKeepsOneRecord) {
    StateResetList list;
    TrackedFloatBuffer buffer(&list, true, true);

    buffer.resize(100);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).data, buffer.getData());
    EXPECT_EQ(list.at(0).byteLength, 400u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.getData()) % 16, 0u);
    for (uint64_t i = 0; i < 100; ++i) {
        EXPECT_EQ(buffer[i], 0.0f);
        buffer[i] = static_cast<float>(i + 1);
    }

    // Shrinking keeps the block and its record.
    float* const first = buffer.getData();
    buffer.resize(50);
    EXPECT_EQ(buffer.getData(), first);
    EXPECT_EQ(buffer.getSize(), 50u);
    EXPECT_EQ(buffer.getCapacity(), 100u);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).byteLength, 400u);

    // Growing past the capacity copies all 100 old floats, not just the size.
    buffer.resize(200);
    EXPECT_EQ(buffer.getSize(), 200u);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).data, buffer.getData());
    EXPECT_EQ(list.at(0).byteLength, 800u);
    EXPECT_EQ(buffer[99], 100.0f);
    EXPECT_EQ(buffer[100], 0.0f);
    EXPECT_EQ(buffer[199], 0.0f);
}

TEST(TrackedFloatBuffer, ZeroLengthAndReleaseKeepTheListExact) {
    StateResetList list;
    {
        TrackedFloatBuffer buffer(&list, true, false);
        buffer.reallocateZeroed(0);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_NE(list.at(0).data, nullptr);
        EXPECT_EQ(list.at(0).byteLength, 0u);

        buffer.reallocateZeroed(8);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list.at(0).byteLength, 32u);

        // Releasing the own storage by its address empties the buffer too, so
        // the destructor does not free it a second time.
        buffer.release(buffer.getData());
        EXPECT_EQ(buffer.getData(), nullptr);
        EXPECT_EQ(buffer.getSize(), 0u);
        EXPECT_EQ(list.size(), 0u);
        buffer.resize(4);
        EXPECT_EQ(list.size(), 1u);
    }
    EXPECT_EQ(list.size(), 0u);  // the destructor unlists
}

TEST(TrackedFloatBuffer, UntrackedBuffersNeverTouchTheList) {
    StateResetList list;
    TrackedFloatBuffer untracked(&list, false, true);
    untracked.reallocateZeroed(10);
    untracked.resize(20);
    untracked.release();
    EXPECT_EQ(list.size(), 0u);

    TrackedFloatBuffer unlisted(nullptr, true, false);  // no list to enter
    unlisted.resize(3);
    EXPECT_EQ(unlisted.getSize(), 3u);
}

TEST(TrackedFloatBuffer, ImpossibleSizesFailAsOutOfMemory) {
    TrackedFloatBuffer buffer(nullptr, false, false);
    EXPECT_THROW(buffer.reallocateZeroed(uint64_t{1} << 62), std::bad_alloc);
    EXPECT_EQ(buffer.getData(), nullptr);
    buffer.resize(2);
    EXPECT_THROW(buffer.resize(UINT64_MAX), std::bad_alloc);
    EXPECT_EQ(buffer.getSize(), 2u);  // the old storage stays
}

TEST(StateResetList, ResetFillsEveryListedBlock) {
    StateResetList list;
    TrackedFloatBuffer zeroed(&list, true, true);
    zeroed.reallocateZeroed(4);
    for (int i = 0; i < 4; ++i) zeroed[i] = 1.0f;
    float filled[3] = {0.0f, 0.0f, 0.0f};
    list.append(filled, 11, 0.25f);  // a length that is not whole floats

    list.resetAll();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(zeroed[i], 0.0f);
    EXPECT_EQ(filled[0], 0.25f);
    EXPECT_EQ(filled[1], 0.25f);
    EXPECT_EQ(filled[2], 0.0f);  // bytes 8..10 do not make a whole float

    list.remove(filled);
    list.remove(filled);  // absent: ignored
    EXPECT_EQ(list.size(), 1u);
}

// The zeroed storage comes from the heap's zeroing allocation: a block the
// heap hands out again after it was written, small or large, reads zero,
// and every float can be written.
TEST(TrackedFloatBuffer, ReallocatedStorageReadsZeroWhereTheHeapReusesAWrittenBlock) {
    for (uint64_t n : {uint64_t{3}, uint64_t{1000}, uint64_t{1} << 20}) {
        TrackedFloatBuffer buffer(nullptr, false, true);
        for (int round = 0; round < 3; ++round) {
            buffer.reallocateZeroed(n);
            ASSERT_EQ(reinterpret_cast<uintptr_t>(buffer.getData()) % 16, 0u);
            for (uint64_t i = 0; i < n; ++i) {
                ASSERT_EQ(buffer[i], 0.0f) << n << " at " << i << " in round " << round;
                buffer[i] = 1.0f;
            }
        }
    }
}
