// A new rate leaves nothing of the old one in the lines of the effects whose
// lines follow the rate, whether the lines were replaced (the rate rose past
// their capacity) or kept and cleared (the rate fell).  The 16th-note delay
// keeps its lines across a rate change; the plug-in's suspend clears them.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "EffectTestSupport.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"

namespace {

bool allZero(const float* from, size_t count) {
    return std::all_of(from, from + count, [](float x) { return x == 0.0f; });
}

// The listed lines of the context, and the reverser's own ring, which it
// does not list.
bool linesSilent(const EffectTestContext& context, const BWEffect& effect) {
    for (size_t i = 0; i < context.resetList.size(); ++i) {
        const TrackedBufferRecord& record = context.resetList.at(i);
        if (!allZero(static_cast<const float*>(record.data), record.byteLength / sizeof(float))) return false;
    }
    const auto* reverser = dynamic_cast<const BWReverserX2*>(&effect);
    return !reverser || allZero(reverser->ringData(), reverser->getRingCapacity());
}

struct LineEffect {
    const char* name;
    std::function<std::unique_ptr<BWEffect>(BWSystemInfo*)> make;
};

}  // namespace

TEST(RateChange, EveryLineEffectStartsTheNewRateSilent) {
    const LineEffect effects[] = {
        {"double delay", [](BWSystemInfo* info) { return std::make_unique<BWDoubleDelay>(kDoubleDelayEffectId, info); }},
        {"reverb", [](BWSystemInfo* info) { return std::make_unique<RevTamselEcoShot>(kReverbEffectId, info); }},
        {"reverser", [](BWSystemInfo* info) { return std::make_unique<BWReverserX2>(kReverserEffectId, info); }},
    };
    for (const LineEffect& kind : effects) {
        EffectTestContext context(44100.0f);
        std::unique_ptr<BWEffect> effect = kind.make(&context.info);
        effect->setMix(1.0f);
        NoiseSource noise;
        // Up past the capacity (new storage), down (kept storage), up within it.
        for (float rate : {96000.0f, 44100.0f, 48000.0f}) {
            const auto second = static_cast<size_t>(context.info.sampleRate);
            StereoSignal loud(second);
            for (size_t i = 0; i < loud.size(); ++i) loud.left[i] = loud.right[i] = 0.5f * noise.next();
            loud.render(*effect);
            ASSERT_FALSE(linesSilent(context, *effect)) << kind.name << " before the change to " << rate;
            context.changeRate(rate);
            EXPECT_TRUE(linesSilent(context, *effect)) << kind.name << " at " << rate;
        }
    }
}
