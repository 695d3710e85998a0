// What a load and a suspend clear of the running audio state, and what a new
// instance brings into memory: every block is cleared once the engine has
// rendered since the last clear; before that the lines are still zero and
// are passed over, and the lines' pages that the tempo does not reach stay
// out until a slower tempo reaches them, a page at a time.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "RenderDriver.h"
#include "core/StateResetList.h"

namespace {

bool atItsFill(const TrackedBufferRecord& record) {
    if (record.fillValue == 0.0f) {
        const auto* bytes = static_cast<const unsigned char*>(record.data);
        return std::all_of(bytes, bytes + record.byteLength, [](unsigned char b) { return b == 0; });
    }
    const auto* floats = static_cast<const float*>(record.data);
    return std::all_of(floats, floats + record.byteLength / sizeof(float),
                       [&](float x) { return x == record.fillValue; });
}

// A mark in the middle of every block, as sound left there by the render.
void markEveryBlock(const StateResetList& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackedBufferRecord& record = list.at(i);
        if (record.byteLength >= sizeof(float)) static_cast<float*>(record.data)[record.byteLength / 8] = 0.5f;
    }
}

// Blocks at their fill value: {render-only ones, others}.
std::pair<size_t, size_t> blocksAtFill(const StateResetList& list) {
    std::pair<size_t, size_t> count{0, 0};
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackedBufferRecord& record = list.at(i);
        if (atItsFill(record)) ++(record.renderWritesOnly ? count.first : count.second);
    }
    return count;
}

size_t renderOnlyBlocks(const StateResetList& list) {
    size_t count = 0;
    for (size_t i = 0; i < list.size(); ++i) count += list.at(i).renderWritesOnly ? 1 : 0;
    return count;
}

long pageFaultsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

void effectsOn(BWUniClient& instance) {
    for (int32_t tag = Tag::RvsOnOff; tag <= Tag::DlyOnOff; ++tag) instance.setParameter(tag, 1.0f);
}

}  // namespace

TEST(TrackedBuffers, EveryBlockIsClearedOnceTheEngineHasRenderedSinceTheLastClear) {
    RenderDriver d;
    BWUniClient& instance = *d.instance;
    const StateResetList& list = *instance.getSystemInfo()->trackedBufferList;
    const size_t renderOnly = renderOnlyBlocks(list);
    const size_t others = list.size() - renderOnly;
    ASSERT_GE(renderOnly, 10u);  // the effects' lines and rings, the engine's lines
    ASSERT_GE(others, 6u);       // the phaser's state, which its own tick also writes
    void* saved = nullptr;
    const int32_t size = instance.getChunk(&saved, false);
    ASSERT_GT(size, 0);
    const std::vector<char> chunk(static_cast<char*>(saved), static_cast<char*>(saved) + size);
    const auto load = [&] {
        std::vector<char> copy = chunk;
        ASSERT_EQ(instance.setChunk(copy.data(), size, false), 1);
    };
    const auto clearedBy = [&](const char* how, bool rendered, const std::function<void()>& clear) {
        if (rendered) d.run({}, 64, 64);
        markEveryBlock(list);
        clear();
        const std::pair<size_t, size_t> cleared = blocksAtFill(list);
        EXPECT_EQ(cleared.second, others) << how;
        EXPECT_EQ(cleared.first, rendered ? renderOnly : 0u) << how << (rendered ? " after" : " with no") << " render";
    };
    // A new instance has rendered nothing: its lines are as they were sized.
    clearedBy("a load", false, load);
    clearedBy("a load", true, load);
    clearedBy("a suspend", true, [&] { instance.suspend(); });
    clearedBy("a suspend", false, [&] { instance.suspend(); });
    clearedBy("a load", true, load);
    clearedBy("a load", false, load);  // the clear before counted the block
}

// The delay lines are sized for the slowest tempo and brought in for the
// tempo at hand: after the host slows to the slowest tempo the render takes
// the rest over a page now and then, never many pages in one block.  (With
// the rest left unmapped the delays' gliding reads met 57 new pages in the
// first block after the change, 31 in the next.)
TEST(TrackedBuffers, ASlowerTempoBringsTheLinesInAPageAtATime) {
    RenderDriver d;
    effectsOn(*d.instance);
    d.instance->setParameter(Tag::RunSwitch, 1.0f);
    d.run({noteOnAt(100, 60), noteOnAt(100, 64)}, 44100, 128);
    d.time.tempo = 45.0;
    constexpr int32_t kBlock = 128;
    constexpr int32_t kBlocks = 6 * 44100 / kBlock;
    long most = 0;
    for (int32_t block = 0; block < kBlocks; ++block) {
        const long before = pageFaultsSoFar();
        d.run({}, kBlock, kBlock);
        const long faults = pageFaultsSoFar() - before;
        most = std::max(most, faults);

    }
    EXPECT_EQ(d.allocations, 0u);
    // The sanitizers' own pages fault too: a few a block, however the lines
    // are brought in.
    EXPECT_LE(most, 12) << "faults in one block of " << kBlock;
}
