#pragma once
// The voices' state eight at a time, side by side in arrays: the eight voices
// of a layer, or the eight filter lanes of one channel.  Everything a tick or
// a span of samples does to eight of them at once runs through the kernels
// of VoiceKernels, one portable set and one for processors with AVX2 and
// FMA, chosen at run time.
//
// Plain data only, with no code of ours: the AVX2 kernels' file includes this
// header and nothing else of ours, so that no function it compiles for AVX2
// can stand in for one that the rest of the build calls.
//
// Audio thread.

#include <cstdint>

namespace voicelanes {

constexpr int kLanes = 8;
constexpr int kFrames = 16;  // one control tick
// The longest hold cycle kept (a hold renewed every 64 samples or sooner).
constexpr int kHoldCycle = 64;

// Eight values sliding in straight lines to their targets (LinearGlide).
struct Glides {
    alignas(32) float value[kLanes];
    alignas(32) float target[kLanes];
    alignas(32) float step[kLanes];
    alignas(32) float counter[kLanes];
};

// Eight envelopes of the kind that restarts its attack from 0 (Envelope).
struct Envelopes {
    alignas(32) float level[kLanes];
    alignas(32) float previousGate[kLanes];
    alignas(32) float counter[kLanes];
    alignas(32) int32_t state[kLanes];
};

// An envelope's times as ticks (t ms × ticks a ms + 1e-18), shared by the
// eight.
struct EnvelopeTicks {
    float attack;
    float decay;
    float release;
    int32_t attackIsZero;  // an attack of 0 ms jumps to the peak
};

// Eight state-variable cores of one filter channel with their coefficients
// and what those were worked out for, and the channels' "Age" drift.
struct SvfLanes {
    alignas(32) float hp[kLanes];
    alignas(32) float bp[kLanes];
    alignas(32) float lp[kLanes];
    alignas(32) float hp2[kLanes];  // the band reject's low-pass half
    alignas(32) float bp2[kLanes];
    alignas(32) float lp2[kLanes];
    alignas(32) float f[kLanes];
    alignas(32) float q[kLanes];
    alignas(32) float fUpper[kLanes];  // band reject: the high-pass half an octave up
    alignas(32) float qUpper[kLanes];
    alignas(32) float fLower[kLanes];  // and the low-pass half an octave down
    alignas(32) float qLower[kLanes];
    alignas(32) float position[kLanes];  // the cutoff position the coefficients are for
    alignas(32) float lastRow[kLanes];
    alignas(32) int32_t lastType[kLanes];
    alignas(32) float frequency[kLanes];
    Glides drift;
};

// What the cutoffs of eight lanes are worked out from in a tick.
struct CutoffInput {
    const float* envelope;  // each lane's share
    int32_t invert;         // the channel sweeps against its left: 1 − share
    const float* driftTargets;  // this tick's random targets
    float driftTicks;           // the drift time in ticks
    float cut;
    float peak;
    float depth;  // of the drift
    float row;    // resonance row of the tables
    int32_t type;
    float sampleRate;
};

// One layer's per-sample state: the tick's voice samples frame by frame,
// and per voice the sample-and-hold, its rate and the gain ramps (one gain
// in the shared filter mode, a left and a right one per voice otherwise).
struct LayerMix {
    alignas(32) float rows[kFrames][kLanes];
    alignas(32) float phase[kLanes];
    alignas(32) float rate[kLanes];
    // Per voice the smallest phase from which a step reaches 2 (rounding is
    // monotonic): the hold's wrap is told from the phase before the step, so
    // that the test runs beside the step instead of after it.
    alignas(32) float wrapAt[kLanes];
    alignas(32) float held[kLanes];
    alignas(32) float gainLeft[kLanes];
    alignas(32) float stepLeft[kLanes];
    alignas(32) float gainRight[kLanes];
    alignas(32) float stepRight[kLanes];
    // Steps from a wrap follow one fixed path back to 0, the hold's cycle:
    // per voice its phases from 0 (cycle; cycleLength of them, 0 for a cycle
    // longer than kHoldCycle), the rate they were made for, and where in it
    // the voice's phase stands (cycleAt).  A resting layer moves its phases
    // along the cycle by the span's length instead of step by step.  A
    // phase that is not the entry its index names (a playing span stepped
    // it) is stepped as before.
    alignas(32) int32_t cycleLength[kLanes];
    alignas(32) int32_t cycleAt[kLanes];
    alignas(32) float cycleRate[kLanes];
    alignas(32) float cycleWrapAt[kLanes];
    alignas(32) float cycle[kLanes][kHoldCycle];
    // Nonzero: a resting layer moved its eight indices along their cycles
    // and left its phases behind: they are the entries the indices name,
    // and `phase` holds older ones, which nothing reads.  They are written
    // out (settled) before a span that plays or new cycles: the resting
    // ticks, a layer's usual state, read nothing of the table.
    int32_t phasesInCycle;
};

// The phases a resting layer left in its cycles (phasesInCycle) written out.
inline void settlePhases(LayerMix& m) {
    for (int v = 0; v < kLanes; ++v) m.phase[v] = m.cycle[v][m.cycleAt[v]];
    m.phasesInCycle = 0;
}

// A span's lane inputs and the filter's pan ramps, frame by frame.
using LaneRows = float[kFrames][kLanes];

constexpr int kLayers = 3;

// How a layer takes part in a span.
struct LayerRole {
    bool on;      // its sound switch: off, it only moves its gains
    bool quiet;   // no sample in its rows, none held: it gives nothing
    bool routed;  // through the filter
};

// Where a span's lane rows go when they are filtered as they are made: the
// two channels' cores and their type (0 to 3), and per channel the sums per
// frame of the lanes' outputs and of their inputs.
struct LaneFiltering {
    SvfLanes* left;
    SvfLanes* right;
    int32_t type;
    float* sumLeft;
    float* sumRight;
    float* inputLeft;
    float* inputRight;
};

struct Ramp {
    float current;
    float step;
};

// A voice's read as the kernels see it (BWRomplerReader keeps one): the
// data a clear tick reads and its buffer, the play position and step, and
// the position its reads stay below while its checks stand (negative: none,
// the tick takes every check).
struct VoiceRead {
    const int16_t* data = nullptr;
    float* out = nullptr;
    float position = 0.0f;
    float step = 0.0f;
    float clearUntil = -1.0f;
};

struct VoiceKernels {
    // Eight draws of the noise generator s <- 16807 s (mod 2^32), each read
    // as a signed 32-bit value × 2^-31: lane k takes draw first + k × stride
    // (counted from 1), and the state moves on by `count` draws.
    void (*random)(uint32_t& state, int32_t first, int32_t stride, int32_t count, float* out);
    // Each glide takes its target (over `ticks`) and moves one tick.
    void (*glide)(Glides& glides, const float* targets, float ticks);
    // One tick of eight envelopes with their gates: a layer voice's peaks at
    // its gate and sustains at sustain × gate (byGate), a filter lane's
    // peaks at 1 and sustains at sustain.  Answers whether all eight now hold
    // still (idle, sustaining or finished) until their gates move.
    bool (*envelope)(Envelopes& envelopes, const float* gate, float sustain, bool byGate, const EnvelopeTicks& times);
    // A tick of eight filter lanes' envelopes (envelope, not by gate), then
    // of the glides that follow their levels over glideTicks; answers as
    // envelope does.
    bool (*filterEnvelopes)(Envelopes& envelopes, Glides& glides, const float* gates, float sustain,
                            const EnvelopeTicks& times, float glideTicks);
    // The drift, then the cutoffs: the lanes whose position, row or type
    // moved take the new ones and their frequency; answers them as bits.
    uint32_t (*cutoffs)(SvfLanes& lanes, const CutoffInput& input);
    // A tick of both channels' lanes (left, right) in one: their drift
    // targets drawn from `state` (lane k's left takes draw 2k + 1, its right
    // 2k + 2; input.driftTargets is not read; input.invert turns the right
    // channel alone), then cutoffs of each, answering each's moved lanes; or
    // (driftOnly) the drift alone, nothing moved.
    void (*laneCutoffs)(SvfLanes* sides, uint32_t& state, const CutoffInput& input, bool driftOnly, uint32_t* moved);
    // A layer's tick of drift and notes in one: random (lane k takes draw
    // k + 1), the drift's glide over `ticks` to those draws, and voiceNotes
    // with the drift's values.
    void (*driftNotes)(uint32_t& state, Glides& drift, float ticks, const float* notes, float offset, float depth,
                       float* held, float* now);
    // The coefficients of the type for the lanes given as bits, from their
    // frequencies (a function of the cutoff alone: they may wait until the
    // lanes filter something).  The tables are their values alone, the last
    // entry repeated past the grid (filterCoefValuesF and Q).
    void (*coefficients)(SvfLanes& lanes, uint32_t which, float row, int32_t type, float sampleRate,
                         const float* tableF, const float* tableQ);
    // A layer's voice gains towards level × each envelope level (times the
    // pan gains, left and right, in the per-voice filter mode), as ramps
    // over a tick: step = (target − current) / 16, or none and the target at
    // once under 1e-7.
    void (*gains)(LayerMix& mix, const float* envelopeLevels, float level, float panLeft, float panRight,
                  bool perVoice, float tickReciprocal);
    // Frequencies of eight notes from a (value, slope) table read at note +
    // offset, held to its size.
    void (*noteTable)(const float* table, int32_t size, float offset, const float* notes, float* out);
    // Eight notes plus an offset held to 0..127 (NaN as 0), and those plus
    // drift × depth.
    void (*voiceNotes)(const float* notes, float offset, const float* drift, float depth, float* held, float* now);
    // Eight voices' playback increments: the pitch table (257 (value, slope)
    // pairs, entry 128 the unison) read at note + 128 − root + tune, times
    // the data's rate over the host's; 0 where that is not a positive number
    // below 1e9.
    void (*increments)(const float* pitchTable, const float* notes, const float* roots, const float* tunes,
                       const float* dataRates, float hostRate, float* out);
    // increments to the bit, with the table's pairs read one by one instead
    // of gathered: sooner for a layer with few voices sounding, whose reads
    // wait on their steps, at more instructions for one with many.
    void (*incrementsOfFew)(const float* pitchTable, const float* notes, const float* roots, const float* tunes,
                            const float* dataRates, float hostRate, float* out);
    // Frames [from, from + n) of eight voices' buffers (voices[v][frame]) as
    // rows[frame][v]; answers whether any of those frames, or any value of
    // held, is other than zero.
    bool (*takeRows)(const float* const* voices, int32_t from, int32_t n, LaneRows& rows, const float* held);
    // out[k] = the sample at position start + k × step, linearly between the
    // two 16-bit frames around it (× 1/32768), k < n.  `data` holds a frame
    // after every position read.
    void (*readFrames)(const int16_t* data, float start, float step, float* out, int32_t n);
    // The three layers' voices over frames [from, from + n) of the tick, a
    // frame of all three at a time: the holds renew, the gains move; the
    // shared mode writes each layer's Σ gain × held of a frame into its sums,
    // the per-voice mode writes into the lane rows each voice's gain × held
    // added up from 0 over the layers through the filter (left and right
    // gains, layer after layer; rows left alone when none of those plays),
    // and adds the voices' sums into dryLeft and dryRight for a layer around
    // the filter.
    void (*mixShared)(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n,
                      float (*sums)[kFrames]);
    void (*mixPerVoice)(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n, LaneRows& left,
                        LaneRows& right, float* dryLeft, float* dryRight);
    // The eight lanes of each channel through their cores over n frames
    // (types 0 to 3), each channel's lane outputs summed per frame into sums
    // and its lane inputs into inputSums.
    void (*filterLanes)(SvfLanes& left, SvfLanes& right, const LaneRows& inLeft, const LaneRows& inRight,
                        int32_t n, int32_t type, float* sumLeft, float* sumRight, float* inputLeft,
                        float* inputRight);
    // mixPerVoice and filterLanes in one pass: each frame's lane rows go
    // through the cores as they are made, instead of being written and read
    // again, so that the mix runs beside the cores' chains.  Every frame is
    // filtered (rows of 0 where no layer through the filter plays).
    void (*mixFiltered)(LayerMix* const* mixes, const LayerRole* roles, int32_t from, int32_t n,
                        const LaneFiltering& lanes, float* dryLeft, float* dryRight);
    // readFrames over a whole tick (n = kFrames), the reads a voice makes
    // most often, without the masks and the tail of a part block.
    void (*readTick)(const int16_t* data, float start, float step, float* out);
    // The clear ticks of a layer's voices in one call: each voice of
    // `voices` whose reads at its new step (steps[k]) stay below its
    // clearUntil takes that step, reads its tick (readTick) and moves on
    // by kFrames × step; answers those voices.  The others are left as
    // they were.
    uint32_t (*readClearTicks)(VoiceRead* const* reads, uint32_t voices, const float* steps);
    // Whether the compiler fused this set's plain multiply-adds (a product
    // and the sum it feeds) into single roundings, as GCC does from -O2 on
    // in the sets built for FMA: then the set's values round apart from the
    // one-voice code's in the last bits.  Any thread.
    bool (*fusesPlainMultiplyAdds)();
};

// The three sets (VoiceKernels.h chooses).
extern const VoiceKernels kPortableKernels;
extern const VoiceKernels kAvx2Kernels;    // only on processors with AVX2 and FMA
extern const VoiceKernels kAvx512Kernels;  // only on those with AVX-512VL as well

}  // namespace voicelanes
