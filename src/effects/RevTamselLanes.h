#pragma once
// The reverb's eight lines (left section's four, then the right's) as one
// block of lanes, for the AVX2 kernel that runs all eight in one vector on the
// machines that have it.  Plain data, so that the kernel's own file (compiled
// for AVX2) needs no other header of ours and shares no inline code with the
// rest of the build.  The rings hold the eight lanes interleaved: sample j of
// lane l at [8 j + l].

#include <cstdint>

namespace revtamsel {

constexpr int kLanes = 8;
constexpr float kDiffuserCoefficient = -0.667f;
constexpr float kDiffuserInput = 0.667f;
constexpr float kCoupling = 0.70710677f;

// How the output is made: silence until the first level, a crossfade from the
// dry input, or the reverb alone.
enum MixMode : int32_t { kMixSilent, kMixFromDry, kMixReverbOnly };

struct Lanes {
    alignas(32) float diffLength[kLanes];
    alignas(32) float diffStep[kLanes];
    alignas(32) float longLength[kLanes];
    alignas(32) float longStep[kLanes];
    alignas(32) float diffNewer[kLanes];
    alignas(32) float diffOlder[kLanes];
    alignas(32) float inputA[kLanes];
    alignas(32) float dampB[kLanes];
    alignas(32) float damped[kLanes];
    alignas(32) float feedback[kLanes];
    // The next sample's read indices (floats into each ring) as the last
    // block at lengths holding still left them, so that the next such block
    // need not work them out again.  Good only while readsKept: anything
    // that moves a length, a write position or a ring's size clears it.
    alignas(32) int32_t diffRead[kLanes];
    alignas(32) int32_t longRead[kLanes];
    bool readsKept;
    // With the kept reads: how many more frames at lengths holding still
    // step every read and write on without a wrap, or -1 to count again.
    int32_t wraplessFrames;
    // Off, every block works its reads out afresh (for comparing the two).
    bool keepReads;
    // Each lane's value read from its ring's row loaded whole instead of
    // gathered: for the processors whose gathers are slow.  The values are
    // the same.
    bool rowReads;
    float* diffRing;
    float* longRing;
    uint32_t diffSize;  // samples per lane
    uint32_t longSize;
    // The same sizes as the reads take them, set with them: each ring's last
    // sample as a float, and its floats (eight lanes a sample).
    float diffLast;
    float longLast;
    int32_t diffSpan;
    int32_t longSpan;
    uint32_t diffWrite;
    uint32_t longWrite;
    float inputGain;
    float mixFraction;
    MixMode mixMode;
};

// A block of frames through the eight lines, with the lengths gliding or
// holding still.  Only on machines with AVX2.  Audio thread.
void runLanesAvx2(Lanes& lanes, float* left, float* right, int32_t frames, bool gliding);

}  // namespace revtamsel
