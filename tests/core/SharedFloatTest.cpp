// A float that the audio thread writes and the interface reads while it
// runs (the block peaks): both sides through the relaxed accesses, which
// ThreadSanitizer must find free of races, and the reader sees only values
// that were written, never a torn one.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/SharedFloat.h"

TEST(SharedFloat, AWriterAndAReaderShareAFloatWithoutARace) {
    float peak = 0.0f;
    std::atomic<bool> done{false};
    std::thread render([&] {
        for (int i = 1; i <= 20000; ++i) storeShared(peak, static_cast<float>(i % 4) * 0.25f);
        done = true;
    });
    int seen = 0;
    // At least one read, also when the writer is done before the reader starts.
    do {
        const float v = loadShared(peak);
        EXPECT_TRUE(v == 0.0f || v == 0.25f || v == 0.5f || v == 0.75f) << v;
        storeShared(peak, 0.0f);  // the meter clears what it took
        ++seen;
    } while (!done);
    render.join();
    EXPECT_GT(seen, 0);
}
