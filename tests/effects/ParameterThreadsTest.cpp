// The parameter path across threads: a host thread turns every parameter,
// level, value list and sync mode of the six effects and reads their displays
// while the audio thread renders them and the tempo changes.  Built with
// ThreadSanitizer (make tsan) this must report nothing; in every build each
// effect must end on exactly the targets that the last values give, with no
// edit lost to one that crossed it.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "EffectTestSupport.h"
#include "effects/BWChorusXStereo.h"
#include "effects/BWDelay16.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWPhaser.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"

namespace {

struct SixEffects {
    explicit SixEffects(BWSystemInfo* info)
        : reverser(kReverserEffectId, info),
          chorus(kChorusEffectId, info),
          phaser(kPhaserEffectId, info),
          doubleDelay(kDoubleDelayEffectId, info),
          delay16(kDelay16EffectId, info),
          reverb(kReverbEffectId, info) {}

    std::vector<BWEffect*> all() { return {&reverser, &chorus, &phaser, &doubleDelay, &delay16, &reverb}; }

    BWReverserX2 reverser;
    BWChorusXStereo chorus;
    BWPhaser phaser;
    BWDoubleDelay doubleDelay;
    BWDelay16 delay16;
    RevTamselEcoShot reverb;
};

float valueAt(uint32_t round, uint32_t index) { return static_cast<float>((round * 7 + index * 3) % 11) / 10.0f; }

void setRound(SixEffects& effects, uint32_t round) {
    for (BWEffect* effect : effects.all()) {
        for (int32_t i = 0; i < effect->getParameterCount(); ++i)
            effect->setParameter(static_cast<uint32_t>(i), valueAt(round, static_cast<uint32_t>(i)));
        effect->setMix(valueAt(round, 9));
    }
}

void renderBlock(SixEffects& effects, NoiseSource& noise) {
    float left[kTickFrames];
    float right[kTickFrames];
    for (size_t n = 0; n < kTickFrames; ++n) left[n] = right[n] = 0.25f * noise.next();
    for (BWEffect* effect : effects.all()) effect->process(left, right, kTickFrames);
    for (BWEffect* effect : effects.all()) effect->tick();
}

}  // namespace

TEST(EffectParameterThreads, HostEditsWhileTheAudioThreadRendersEndOnTheLastValues) {
    EffectTestContext context;
    SixEffects effects(&context.info);
    constexpr uint32_t kRounds = 400;
    std::atomic<bool> hostDone{false};

    std::thread host([&] {
        char text[BWEffect::kDisplayTextSize];
        for (uint32_t round = 0; round < kRounds; ++round) {
            setRound(effects, round);
            effects.phaser.setSyncMode(0, static_cast<int32_t>(round % 2));
            effects.reverser.selectValueList(static_cast<int32_t>(round % 4));
            for (BWEffect* effect : effects.all())
                for (int32_t i = 0; i < effect->getParameterCount(); ++i)
                    effect->getParameterDisplay(i, effect->getValue(static_cast<uint32_t>(i)), text);
            if (context.info.tempo < 45.0 || context.info.samplesPerBeat <= 0.0) ADD_FAILURE();
            std::this_thread::yield();
        }
        hostDone.store(true, std::memory_order_release);
    });

    NoiseSource noise;
    uint32_t blocks = 0;
    const double tempos[] = {120.0, 97.0, 45.0, 171.0};
    while (!hostDone.load(std::memory_order_acquire) || blocks < 64) {
        renderBlock(effects, noise);
        if (++blocks % 50 == 0) context.changeTempo(tempos[(blocks / 50) % 4]);
    }
    host.join();
    context.changeTempo(120.0);
    renderBlock(effects, noise);

    // The same last values given on one thread.
    EffectTestContext alone;
    SixEffects expected(&alone.info);
    expected.phaser.setSyncMode(0, static_cast<int32_t>((kRounds - 1) % 2));
    expected.reverser.selectValueList(static_cast<int32_t>((kRounds - 1) % 4));
    setRound(expected, kRounds - 1);
    for (BWEffect* effect : expected.all()) effect->takeParameters();

    EXPECT_EQ(effects.delay16.leftDelayTarget(), expected.delay16.leftDelayTarget());
    EXPECT_EQ(effects.delay16.rightDelayTarget(), expected.delay16.rightDelayTarget());
    EXPECT_EQ(effects.delay16.feedbackGain(), expected.delay16.feedbackGain());
    EXPECT_EQ(effects.doubleDelay.leftDelayTarget(), expected.doubleDelay.leftDelayTarget());
    EXPECT_EQ(effects.doubleDelay.rightDelayTarget(), expected.doubleDelay.rightDelayTarget());
    EXPECT_EQ(effects.doubleDelay.feedbackGain(), expected.doubleDelay.feedbackGain());
    EXPECT_EQ(effects.phaser.getLfoIncrement(), expected.phaser.getLfoIncrement());
    EXPECT_EQ(effects.phaser.getFeedback(), expected.phaser.getFeedback());
    EXPECT_EQ(effects.phaser.getStageCount(), expected.phaser.getStageCount());
    EXPECT_EQ(effects.reverser.getPendingSliceLength(), expected.reverser.getPendingSliceLength());
    for (BWEffect* effect : effects.all()) EXPECT_EQ(effect->getValue(0), valueAt(kRounds - 1, 0));
}
