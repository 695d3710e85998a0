// The instance's rate and tempo preparation and the randomiser.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "support/InstanceTestSupport.h"
#include "platform/MsvcRand.h"
#include "support/AllocationCounter.h"

namespace {

// Runs noise through the reverser so that its capture ring holds sound.
bool ringHoldsSound(BWReverserX2& reverser) {
    const float* ring = reverser.ringData();
    return ring && std::any_of(ring, ring + reverser.getRingLength(), [](float x) { return x != 0.0f; });
}

void feedReverser(BWReverserX2& reverser) {
    std::array<float, 16> left{};
    std::array<float, 16> right{};
    for (int block = 0; block < 64; ++block) {
        for (int i = 0; i < 16; ++i) left[i] = right[i] = (i % 2 ? 0.5f : -0.5f);
        reverser.process(left.data(), right.data(), 16);
    }
}

}  // namespace

TEST_F(InstanceTest, TempoChangeAllocatesNothingAndKeepsTheEffectsTails) {
    instance->setSampleRate(48000.0f);
    BWReverserX2& reverser = instance->audioEngine().effects().reverser;
    feedReverser(reverser);
    ASSERT_TRUE(ringHoldsSound(reverser));
    set(Tag::PhsOnOff, 1.0f);  // the phaser sweeps while it is heard
    for (int tick = 0; tick < 4; ++tick) instance->audioEngine().effects().phaser.tick();
    const float phase = instance->audioEngine().effects().phaser.getLfoPhase();
    ASSERT_NE(phase, 0.0f);
    instance->getSystemInfo()->playing = 1.0f;  // the run switch follows the transport

    size_t allocations = 0;
    {
        AllocationCounter counter;
        EXPECT_TRUE(instance->audioEngine().changeTempo(97.0));
        allocations = counter.count();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_TRUE(ringHoldsSound(reverser)) << "an echo survives a tempo change";
    EXPECT_NE(instance->audioEngine().effects().phaser.getLfoPhase(), 0.0f);
    EXPECT_NEAR(state.sequencer.stepLength, 48000.0f * 60.0f / 97.0f / state.sequencer.stepDivisor, 0.01f);

    // A new rate clears the capture and restarts the sweep.
    instance->setSampleRate(44100.0f);
    EXPECT_FALSE(ringHoldsSound(reverser));
    EXPECT_EQ(instance->audioEngine().silenceWindow(), static_cast<int32_t>(4 * 44100 * 60 / 97.0));
}

TEST_F(InstanceTest, RatePreparationReappliesRateDependentValues) {
    set(Tag::ClockDivide, 0.5f);
    set(Tag::CompressorSpeed, 0.0f);
    for (float rate : {22050.0f, 96000.0f, 11049.0f}) {
        instance->setSampleRate(rate);
        const float used = instance->getSystemInfo()->sampleRate;
        EXPECT_FLOAT_EQ(used, rate < 11050.0f ? 96000.0f : rate) << "a rate out of range keeps the last";
        EXPECT_NEAR(state.sequencer.stepLength, used * 0.5f / 2.0f, 1e-3f * used);
        EXPECT_NEAR(state.output.compressor.releaseFactor * 800.0f * used * 0.001f, 1.0f, 1e-5f);
    }
}

TEST_F(InstanceTest, RandomiserDrawsOncePerHostParameterAndKeepsValuesInRange) {
    ParamBinding& level = *instance->hostBinding(0);
    *level.value = 1.2f;  // as a stray write might leave it
    platform::msvcSrand(7);
    instance->randomizeParameters();
    ASSERT_TRUE(instance->deriveNow());
    EXPECT_FLOAT_EQ(instance->getParameter(Tag::MasterLevel), 1.0f) << "depth 0 re-applies the value, limited";
    EXPECT_FLOAT_EQ(state.output.masterGain, 2.0f);
    const int next = platform::msvcRand();
    platform::msvcSrand(7);
    for (int i = 0; i < kHostParameterCount; ++i) platform::msvcRand();
    EXPECT_EQ(platform::msvcRand(), next) << "exactly 87 draws";

    ParamBinding& pan = *instance->hostBinding(18);
    pan.randomDepth = 0.5f;
    for (int run = 0; run < 50; ++run) {
        set(Tag::Osc1Pan, 0.9f);
        instance->randomizeParameters();
        EXPECT_GE(instance->getParameter(Tag::Osc1Pan), 0.4f);
        EXPECT_LE(instance->getParameter(Tag::Osc1Pan), 1.0f);
    }
}
