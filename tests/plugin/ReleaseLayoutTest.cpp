// Code built with assertions and code built without them agree on where
// every member of the plug-in object lies: debug-only bookkeeping changes
// no class's size (a host or test built one way, libraries the other).

#include <gtest/gtest.h>

#include <cstddef>

#include "plugin/BWUniClient.h"
#include "plugin/EngineHold.h"

size_t releaseSizeOfEngineHold();
size_t releaseSizeOfClient();
size_t releaseSizeOfTurn();

TEST(ReleaseLayout, DebugAndReleaseBuildsSeeTheSameSizes) {
    EXPECT_EQ(sizeof(EngineHold), releaseSizeOfEngineHold());
    EXPECT_EQ(sizeof(StateTurn), releaseSizeOfTurn());
    EXPECT_EQ(sizeof(BWUniClient), releaseSizeOfClient());
}
