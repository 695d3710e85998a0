// The activity lights as the editor would see them, tick by tick at 44.1 kHz
// (16-sample ticks): a voice's light flashes full, holds, settles on the
// voice's level and fades once the voice ends; a gate latches the source
// and lets it go once its hold has run out.

#include <gtest/gtest.h>

#include <cmath>

#include "plugin/ActivityLights.h"

namespace {

constexpr float kTicksPerMs = 44.1f / 16.0f;

int ticksOf(float ms) { return static_cast<int>(std::lround(ms * kTicksPerMs)); }

// The displayed value after `ms` more milliseconds of the voice at `voice`.
float after(ActivityLights& lights, float ms, float voice) {
    std::array<float, ActivityLights::kLights> voices{};
    voices[0] = voice;
    for (int t = 0; t < ticksOf(ms); ++t) lights.tick(voices, kTicksPerMs);
    return lights.lights[0].display;
}

}  // namespace

TEST(ActivityLights, BrightnessFlashesHoldsSettlesAndFades) {
    struct Stage {
        float ms, voice, low, high;  // the displayed value at the end of the stage
    };
    const Stage stages[] = {
        {1, 0.5f, 255.0f, 255.0f},     // instant rise to full
        {190, 0.5f, 255.0f, 255.0f},   // held for 200 ms
        {210, 0.5f, 185.0f, 200.0f},   // half way down towards the voice's 127.5
        {250, 0.5f, 127.5f, 127.5f},   // settled on the voice
        {1000, 0.5f, 127.5f, 127.5f},  // and stays there
        {200, 0.0f, 60.0f, 68.0f},     // half way out once the voice ends
        {220, 0.0f, 0.0f, 0.0f},       // dark after 400 ms
        {500, 0.0f, 0.0f, 0.0f},
        {1, 1.0f, 255.0f, 255.0f},     // a new voice flashes again
    };
    ActivityLights lights;
    lights.lights[0].source = 1.0f;
    float ms = 0.0f;
    for (const Stage& s : stages) {
        ms += s.ms;
        const float shown = after(lights, s.ms, s.voice);
        EXPECT_GE(shown, s.low) << ms << " ms";
        EXPECT_LE(shown, s.high) << ms << " ms";
    }
    // Without a source the light shows nothing, whatever its brightness.
    lights.lights[0].source = 0.0f;
    EXPECT_EQ(after(lights, 1, 1.0f), 0.0f);
}

TEST(ActivityLights, AGateLatchesTheSourceUntilItsHoldRunsOut) {
    ActivityLights lights;
    ActivityLight& light = lights.lights[0];
    light.source = 0.8f;
    light.gate = 1.0f;
    after(lights, 1, 0.0f);
    EXPECT_EQ(light.latched, 0.8f);
    light.source = 0.3f;  // a later source does not reach the latch
    EXPECT_EQ((after(lights, 580, 0.0f), light.latched), 0.8f);
    EXPECT_EQ((after(lights, 40, 0.0f), light.latched), 0.0f);  // 600 ms on
}
