#include "core/StateResetList.h"

#include <gtest/gtest.h>

#include <array>

TEST(StateResetList, ResetWritesEachBlocksFillValue) {
    std::array<float, 4> line = {1.0f, 2.0f, 3.0f, 4.0f};
    std::array<float, 3> gains = {9.0f, 9.0f, 9.0f};
    std::array<float, 3> partial = {7.0f, 7.0f, 7.0f};
    StateResetList list;
    list.append(line.data(), sizeof line, 0.0f);
    list.append(gains.data(), sizeof gains, 0.5f);
    // A length that is no whole number of floats fills only the whole ones.
    list.append(partial.data(), 10, 0.25f);
    list.append(nullptr, 64, 1.0f);

    list.resetAll();
    EXPECT_EQ(line, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(gains, (std::array<float, 3>{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(partial, (std::array<float, 3>{0.25f, 0.25f, 7.0f}));
}
