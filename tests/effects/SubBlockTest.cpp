// An effect's output may not depend on how a tick's sixteen frames reach it
// (a host's block may end anywhere in a tick): the whole tick in one call
// takes the paths built for full blocks (copies compiled for sixteen frames,
// eight-frame output steps, wrap-free runs), while a tick cut into several
// calls takes the general ones.  Both must give the same samples bit for
// bit, through ring wraps, length glides, a level that glides in from 0 and
// back out to it (the delay's input ramps, the reverser's equal-power
// pair), and every way the output is mixed.  (The phaser is not held to
// this: its block kernel takes its stages into and out of another form at
// every call.)
#include <gtest/gtest.h>

#include <algorithm>
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
    int32_t setAtStart = -1;  // a parameter set to 1 before the first tick, or none
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
        {"reverser, playing", [](BWSystemInfo* i) { return std::make_unique<BWReverserX2>(kReverserEffectId, i); },
         0.5f, BWReverserX2::kXFade, 0.3f, 44100.0f, 120.0, BWReverserX2::kTrig},
    };
    return all;
}

// Ticks of noise, each cut into calls of `cut` frames (16: not cut), from
// the first, in which the level starts to glide in from 0; the moved
// parameter changes halfway, and the level heads back for 0 in the last
// quarter.
StereoSignal renderCut(const Case& c, size_t cut, size_t ticks) {
    EffectTestContext context(c.rate, c.bpm);
    std::unique_ptr<BWEffect> effect = c.make(&context.info);
    if (c.level >= 0.0f) effect->setMix(c.level);
    if (c.setAtStart >= 0) effect->setParameter(uint32_t(c.setAtStart), 1.0f);
    StereoSignal audio(ticks * kTickFrames);
    NoiseSource noise(31u);
    for (size_t n = 0; n < audio.size(); ++n) {
        audio.left[n] = 0.5f * noise.next();
        audio.right[n] = 0.5f * noise.next();
    }
    for (size_t t = 0; t < ticks; ++t) {
        if (t == ticks / 2) effect->setParameter(c.moved, c.movedTo);
        if (t == 3 * ticks / 4 && c.level >= 0.0f) effect->setMix(0.0f);
        float* left = audio.left.data() + t * kTickFrames;
        float* right = audio.right.data() + t * kTickFrames;
        for (size_t done = 0; done < kTickFrames; done += cut) {
            const size_t frames = std::min(cut, kTickFrames - done);
            effect->process(left + done, right + done, static_cast<int32_t>(frames));
        }
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

TEST(EffectSubBlocks, ATickCutIntoCallsSoundsAsTheWholeTick) {
    // 67,200 frames: past the end of every ring and every delay's time
    // after the move.
    constexpr size_t kTicks = 4200;
    for (const Case& c : cases()) {
        const StereoSignal whole = renderCut(c, kTickFrames, kTicks);
        for (size_t cut : {1u, 3u, 4u, 5u, 7u, 8u, 9u, 12u, 15u}) {
            const StereoSignal parts = renderCut(c, cut, kTicks);
            EXPECT_EQ(firstDifference(whole.left, parts.left), whole.size()) << c.name << ", cut after " << cut;
            EXPECT_EQ(firstDifference(whole.right, parts.right), whole.size()) << c.name << ", cut after " << cut;
        }
    }
}
