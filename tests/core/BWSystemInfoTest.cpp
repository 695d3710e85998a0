#include "core/BWSystemInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// An audio context as the plug-in object sets it up: 8 voices, 16-sample ticks.
struct PreparedContext {
    explicit PreparedContext(float rate, int voices = 8) : info(voices, nullptr, nullptr, nullptr) {
        info.setTickLength(16);
        EXPECT_TRUE(info.takeSampleRate(rate));
    }
    BWSystemInfo info;
};

void holdNote(BWSystemInfo& info, int voice, float note, float velocity) {
    info.voiceNote[voice] = note;
    info.voiceVelocity[voice] = velocity;
}

}  // namespace

TEST(BWSystemInfo, ConstantsAt44100And48000With16SampleTicks) {
    PreparedContext at44(44100.0f);
    const BWSystemInfo& a = at44.info;
    EXPECT_EQ(a.tickReciprocal, 0.0625f);
    EXPECT_EQ(a.samplesPerBeat, 22050.0);
    EXPECT_EQ(a.samplesPerBeatF, 22050.0f);
    EXPECT_EQ(a.ticksPerBeat, 1378.125);
    EXPECT_EQ(a.ticksPerBeatF, 1378.125f);
    EXPECT_FLOAT_EQ(a.sampleRateFactor, 1.0f);
    EXPECT_FLOAT_EQ(a.samplesPerMs, 44.1f);
    EXPECT_FLOAT_EQ(a.samplesPerMsPerTick, 2.75625f);
    EXPECT_FLOAT_EQ(a.invRate, 1.0f / 44100.0f);
    EXPECT_FLOAT_EQ(a.twoPiInvRate, 6.2831853f / 44100.0f);
    EXPECT_FLOAT_EQ(a.tickPerRate, 16.0f / 44100.0f);
    EXPECT_FLOAT_EQ(a.blockPerRate, 1024.0f / 44100.0f);
    EXPECT_NEAR(a.rateOverTwoPi, 7018.7330f, 0.001f);

    PreparedContext at48(48000.0f);
    const BWSystemInfo& b = at48.info;
    EXPECT_EQ(b.samplesPerBeat, 24000.0);
    EXPECT_EQ(b.ticksPerBeat, 1500.0);
    EXPECT_FLOAT_EQ(b.sampleRateFactor, 48000.0f / 44100.0f);
    EXPECT_FLOAT_EQ(b.samplesPerMsPerTick, 3.0f);
    EXPECT_FLOAT_EQ(b.tickPerRate, 1.0f / 3000.0f);
    EXPECT_NEAR(b.rateOverTwoPi, 7639.4373f, 0.001f);
}

TEST(BWSystemInfo, RatesOutsideTheAcceptedRangeChangeNothing) {
    PreparedContext context(48000.0f);
    BWSystemInfo& info = context.info;
    EXPECT_TRUE(info.takeSampleRate(11050.0f));
    EXPECT_EQ(info.sampleRate, 11050.0f);
    EXPECT_TRUE(info.takeSampleRate(196000.0f));
    EXPECT_EQ(info.sampleRateInt, 196000);

    EXPECT_TRUE(info.takeSampleRate(48000.0f));
    const float refused[] = {11049.9f, 196000.1f, 0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity()};
    for (float rate : refused) {
        EXPECT_FALSE(info.takeSampleRate(rate)) << rate;
        EXPECT_EQ(info.sampleRate, 48000.0f);
        EXPECT_EQ(info.sampleRateInt, 48000);
        EXPECT_EQ(info.samplesPerBeat, 24000.0);
        EXPECT_FLOAT_EQ(info.invRate, 1.0f / 48000.0f);
    }
}

TEST(BWSystemInfo, TempoIsRaisedToTheSlowestAndRefusedAtTheLimit) {
    PreparedContext context(44100.0f);
    BWSystemInfo& info = context.info;

    EXPECT_TRUE(info.setTempo(30.0));
    EXPECT_EQ(info.tempo, 45.0);
    EXPECT_DOUBLE_EQ(info.samplesPerBeat, 58800.0);
    EXPECT_DOUBLE_EQ(info.samplesPerBeat, info.maxSamplesPerBeat());
    EXPECT_FLOAT_EQ(info.ticksPerBeatF, 3675.0f);

    EXPECT_TRUE(info.setTempo(90.0));
    EXPECT_DOUBLE_EQ(info.samplesPerBeat, 29400.0);
    EXPECT_DOUBLE_EQ(info.ticksPerBeat, 1837.5);
    for (double bpm : {500.0, 600.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(info.setTempo(bpm)) << bpm;
        EXPECT_EQ(info.tempo, 90.0);
        EXPECT_DOUBLE_EQ(info.samplesPerBeat, 29400.0);
    }
    // Whatever tempo is taken, a beat fits into the capacity prepared for the rate.
    EXPECT_TRUE(info.setTempo(45.0001));
    EXPECT_LE(info.samplesPerBeat, info.maxSamplesPerBeat());
}

TEST(BWSystemInfo, NoteFrequencyTableIsEqualTemperedFromNoteMinus36) {
    PreparedContext context(44100.0f);
    const BWSystemInfo& info = context.info;
    const auto& table = info.noteFrequencyTable;
    EXPECT_EQ(table[0].value, 1.021975f);
    EXPECT_NEAR(table[36].value, 8.1758f, 0.0001f);
    EXPECT_NEAR(table[105].value, 440.0f, 0.01f);
    EXPECT_NEAR(info.noteFrequency(69.0f), 440.0f, 0.01f);
    // Halfway between two notes the read interpolates along the slope.
    EXPECT_NEAR(info.noteFrequency(69.5f), (440.0f + 466.1638f) / 2.0f, 0.02f);
    for (int k = 0; k + 1 < BWSystemInfo::kNoteTableSize; ++k) {
        const float step = table[k + 1].value - table[k].value;
        EXPECT_NEAR(table[k].slope, step, std::fabs(step) * 1e-5f) << k;
        EXPECT_NEAR(table[k + 1].value / table[k].value, 1.0594631f, 1e-5f) << k;
    }
}

TEST(BWSystemInfo, PitchRatiosAndReadsBeyondTheTables) {
    PreparedContext context(44100.0f);
    const BWSystemInfo& info = context.info;
    const auto& ratios = info.pitchRatioTable;
    EXPECT_EQ(ratios[128].value, 1.0f);
    EXPECT_EQ(ratios[140].value, 2.0f);
    EXPECT_EQ(ratios[116].value, 0.5f);
    EXPECT_NEAR(ratios[256].value, 1625.4987f, 0.001f);
    EXPECT_FLOAT_EQ(info.pitchRatio(128.5f), 1.0f + 0.5f * (1.0594631f - 1.0f));
    // Positions outside a table read its nearest end instead of past it.
    EXPECT_EQ(info.pitchRatio(-3.0f), ratios[0].value);
    EXPECT_EQ(info.pitchRatio(std::numeric_limits<float>::infinity()), ratios[256].value);
    EXPECT_EQ(info.noteFrequency(std::numeric_limits<float>::quiet_NaN()), info.noteFrequencyTable[0].value);
    EXPECT_EQ(info.noteFrequency(1e9f), info.noteFrequencyTable[193].value);
}

TEST(BWSystemInfo, InstancesAreNumberedInConstructionOrder) {
    BWSystemInfo first(8, nullptr, nullptr, nullptr);
    BWSystemInfo second(8, nullptr, nullptr, nullptr);
    EXPECT_GE(first.instanceId, BWSystemInfo::kFirstInstanceId);
    EXPECT_EQ(second.instanceId, first.instanceId + 1);
}

TEST(BWSystemInfo, NoiseGeneratorSequenceIsBitExact) {
    BWSystemInfo info(8, nullptr, nullptr, nullptr);
    info.randomState = 1;
    EXPECT_EQ(info.nextRandomValue(), 7.826369255781174e-06f);
    EXPECT_EQ(info.nextRandomValue(), 0.1315377950668335f);
    EXPECT_EQ(info.nextRandomValue(), 0.7556042671203613f);
    EXPECT_EQ(info.randomState, 1622647863u);
    // The state wraps at 32 bits and is read as a signed number.
    EXPECT_EQ(info.nextRandomValue(), -0.5586520433425903f);
    EXPECT_EQ(info.randomState, 3095271137u);
}

TEST(BWSystemInfo, HeldNotesAreSortedAndShiftedDownTwoOctaves) {
    PreparedContext context(44100.0f);
    BWSystemInfo& info = context.info;
    holdNote(info, 0, 64.0f, 0.5f);
    holdNote(info, 1, 60.0f, 0.75f);
    info.sortHeldNotes();
    EXPECT_EQ(info.sortedNotes[0], 60.0f);
    EXPECT_EQ(info.sortedVelocities[0], 0.75f);
    EXPECT_EQ(info.sortedNotes[1], 64.0f);
    EXPECT_EQ(info.sortedVelocities[1], 0.5f);
    EXPECT_EQ(info.shiftedNotes[0], 36.0f);
    EXPECT_EQ(info.shiftedNotes[1], 40.0f);
    for (int i = 2; i < 8; ++i) {
        EXPECT_EQ(info.sortedNotes[i], 0.0f);
        EXPECT_EQ(info.sortedVelocities[i], 0.0f);
        EXPECT_EQ(info.shiftedNotes[i], -24.0f);
        EXPECT_EQ(info.shiftedNotesClamped[i], 0.0f);
    }

    // Free slots between held ones are skipped; releasing all notes empties
    // the lists again.
    holdNote(info, 0, 0.0f, 0.0f);
    holdNote(info, 3, 60.0f, 0.25f);
    holdNote(info, 7, 12.0f, 1.0f);
    info.sortHeldNotes();
    EXPECT_EQ(info.sortedNotes[0], 12.0f);
    EXPECT_EQ(info.shiftedNotes[0], -12.0f);
    EXPECT_EQ(info.shiftedNotesClamped[0], 0.0f);
    // Collected as voices 1, 3, 7; moving 12 to the front swaps voice 1 to
    // the back, so of the equal notes voice 3 now comes first.
    EXPECT_EQ(info.sortedNotes[1], 60.0f);
    EXPECT_EQ(info.sortedVelocities[1], 0.25f);
    EXPECT_EQ(info.sortedVelocities[2], 0.75f);
    EXPECT_EQ(info.sortedNotes[3], 0.0f);
    for (int voice = 0; voice < 8; ++voice) info.voiceVelocity[voice] = 0.0f;
    info.sortHeldNotes();
    EXPECT_EQ(info.sortedVelocities[0], 0.0f);
    EXPECT_EQ(info.shiftedNotes[0], -24.0f);
}

TEST(BWSystemInfo, MoreVoicesThanChordPlacesKeepTheFirstEight) {
    PreparedContext context(44100.0f, 12);
    BWSystemInfo& info = context.info;
    for (int voice = 0; voice < 12; ++voice) holdNote(info, voice, 90.0f - voice, 1.0f);
    info.sortHeldNotes();
    EXPECT_EQ(info.sortedNotes[0], 83.0f);  // voices 0..7 hold 90 down to 83
    EXPECT_EQ(info.sortedNotes[7], 90.0f);
}
