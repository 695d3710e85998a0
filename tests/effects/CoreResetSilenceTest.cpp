// What a core reset (a suspend, a state load) leaves of the sound in the
// effects whose lines it clears: nothing, for as long as the longest echo
// would take to come back.  The memories an effect keeps beside its lines
// from sample to sample (a feedback path's last read, the input filter, the
// reverb's damping and diffuser stages) go with the lines: one left behind
// is written into the silent lines at the next sample and comes back out of
// the silence as a lone click a line's length later.  The reverser, playing
// its slices back, finds its ring cleared too: nothing recorded before comes
// back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "EchoMeasurement.h"
#include "EffectTestSupport.h"
#include "effects/BWChorusXStereo.h"
#include "effects/BWDelay16.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWPhaser.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"

namespace {

constexpr float kRate = 44100.0f;
// 120 dB down: the phaser's stages keep a constant 1e-10 in them (so that
// they never decay into denormals), which its feedback brings to 6e-8.
constexpr float kSilence = 1e-6f;

struct ResetCase {
    const char* name;
    std::function<std::unique_ptr<BWEffect>(BWSystemInfo*)> make;
    std::vector<std::pair<uint32_t, float>> settings;  // the most feedback, the shortest times
};

template <class Effect>
std::function<std::unique_ptr<BWEffect>(BWSystemInfo*)> maker(uint32_t id) {
    return [id](BWSystemInfo* info) { return std::make_unique<Effect>(id, info); };
}

}  // namespace

TEST(CoreReset, LeavesNothingOfTheSoundInAnyLineEffect) {
    const ResetCase cases[] = {
        {"double delay", maker<BWDoubleDelay>(kDoubleDelayEffectId),
         {{BWDoubleDelay::kFeedback, 1.0f}, {BWDoubleDelay::kTimeLeft, 1.0f}, {BWDoubleDelay::kTimeRight, 1.0f}}},
        {"sixteenth delay", maker<BWDelay16>(kDelay16EffectId),
         {{BWDelay16::kFeedback, 1.0f}, {BWDelay16::kDelayLeft, 0.0f}, {BWDelay16::kDelayRight, 0.0f}}},
        {"chorus", maker<BWChorusXStereo>(kChorusEffectId), {}},
        {"phaser", maker<BWPhaser>(kPhaserEffectId), {{BWPhaser::kFeedback, 1.0f}}},
        {"reverb", maker<RevTamselEcoShot>(kReverbEffectId), {{RevTamselEcoShot::kRoomSize, 1.0f}}},
        {"reverser", maker<BWReverserX2>(kReverserEffectId), {{BWReverserX2::kTrig, 1.0f}}},
    };
    for (const ResetCase& c : cases) {
        EffectTestContext context(kRate);
        std::unique_ptr<BWEffect> effect = c.make(&context.info);
        for (auto [index, value] : c.settings) effect->setParameter(index, value);
        effect->setMix(1.0f);
        StereoSignal loud = noiseSignal(static_cast<size_t>(kRate / 2), 0.5f, 7);
        loud.render(*effect);
        ASSERT_GT(peakOf(loud.left), 0.05) << c.name << " passes no sound";
        context.resetList.resetAll();
        // The longest line here (the largest room's) is under 0.2 s; the
        // delays' times are at their shortest.
        StereoSignal after(static_cast<size_t>(kRate / 2));
        after.render(*effect);
        const size_t back = std::min(firstAbove(after.left, kSilence), firstAbove(after.right, kSilence));
        EXPECT_EQ(back, after.size()) << c.name << " sounds again " << back << " samples after the reset: peak "
                                      << std::max(peakOf(after.left), peakOf(after.right));
    }
}
