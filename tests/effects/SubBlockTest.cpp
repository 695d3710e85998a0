// An effect's output may not depend on how a tick's sixteen frames reach it:
// the whole tick in one call takes the paths built for full blocks (copies
// compiled for sixteen frames, eight-frame output steps, wrap-free runs),
// while a tick cut into two calls takes the general ones.  Both must give
// the same samples bit for bit, through ring wraps, length glides and every
// way the output is mixed.  (The phaser is not held to this: its block
// kernel takes its stages into and out of another form at every call.)
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EffectTestSupport.h"
#include "effects/BWChorusXStereo.h"
#include "effects/BWDelay16.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"

namespace {

using Maker = std::function<std::unique_ptr<BWEffect>(BWSystemInfo*)>;

struct Case {
    const char* name;
    Maker make;
    float level;          // the mix, or below 0 for none given
    uint32_t moved;       // the parameter moved halfway through, so that lengths glide
    float movedTo;
    // Low rates and a fast tempo for the delays, so that their long lines
    // wrap within the run.
    float rate = 44100.0f;
    double bpm = 120.0;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"reverb, crossfade", [](BWSystemInfo* i) { return std::make_unique<RevTamselEcoShot>(kReverbEffectId, i); },
         0.5f, RevTamselEcoShot::kRoomSize, 0.2f},
        {"reverb, reverb alone", [](BWSystemInfo* i) { return std::make_unique<RevTamselEcoShot>(kReverbEffectId, i); },
         1.0f, RevTamselEcoShot::kRoomSize, 0.9f},
        {"reverb, no level yet", [](BWSystemInfo* i) { return std::make_unique<RevTamselEcoShot>(kReverbEffectId, i); },
         -1.0f, RevTamselEcoShot::kRoomSize, 0.9f},
        {"double delay", [](BWSystemInfo* i) { return std::make_unique<BWDoubleDelay>(kDoubleDelayEffectId, i); },
         0.5f, 0, 0.1f, 11050.0f},
        {"sixteenth delay", [](BWSystemInfo* i) { return std::make_unique<BWDelay16>(kDelay16EffectId, i); }, 0.5f,
         BWDelay16::kDelayLeft, 0.0f, 22050.0f, 300.0},
        {"chorus", [](BWSystemInfo* i) { return std::make_unique<BWChorusXStereo>(kChorusEffectId, i); }, 0.5f,
         BWChorusXStereo::kDepth, 0.0f},
        {"reverser", [](BWSystemInfo* i) { return std::make_unique<BWReverserX2>(kReverserEffectId, i); }, 0.5f, 0,
         1.0f},
    };
    return all;
}

// Ticks of noise with the tick cut after `cut` frames (16: not cut) once the
// first quarter has passed whole (a delay fades its line input in over its
// first call); the moved parameter changes halfway.
StereoSignal renderCut(const Case& c, size_t cut, size_t ticks) {
    EffectTestContext context(c.rate, c.bpm);
    std::unique_ptr<BWEffect> effect = c.make(&context.info);
    if (c.level >= 0.0f) effect->setMix(c.level);
    StereoSignal audio(ticks * kTickFrames);
    NoiseSource noise(31u);
    for (size_t n = 0; n < audio.size(); ++n) {
        audio.left[n] = 0.5f * noise.next();
        audio.right[n] = 0.5f * noise.next();
    }
    for (size_t t = 0; t < ticks; ++t) {
        if (t == ticks / 2) effect->setParameter(c.moved, c.movedTo);
        float* left = audio.left.data() + t * kTickFrames;
        float* right = audio.right.data() + t * kTickFrames;
        const size_t first = t < ticks / 4 ? kTickFrames : cut;
        effect->process(left, right, static_cast<int32_t>(first));
        if (first < kTickFrames)
            effect->process(left + first, right + first, static_cast<int32_t>(kTickFrames - first));
        effect->tick();
    }
    return audio;
}

size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    for (size_t n = 0; n < a.size(); ++n)
        if (std::memcmp(&a[n], &b[n], sizeof(float)) != 0) return n;
    return a.size();
}

}  // namespace

TEST(EffectSubBlocks, ATickCutInTwoSoundsAsTheWholeTick) {
    // 67,200 frames: past the end of every ring and every delay's time
    // after the move.
    constexpr size_t kTicks = 4200;
    for (const Case& c : cases()) {
        const StereoSignal whole = renderCut(c, kTickFrames, kTicks);
        for (size_t cut : {1u, 3u, 4u, 7u, 8u, 9u, 12u, 15u}) {
            const StereoSignal parts = renderCut(c, cut, kTicks);
            EXPECT_EQ(firstDifference(whole.left, parts.left), whole.size()) << c.name << ", cut after " << cut;
            EXPECT_EQ(firstDifference(whole.right, parts.right), whole.size()) << c.name << ", cut after " << cut;
        }
    }
}
