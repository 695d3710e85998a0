#pragma once
// "Reverb HQ", the last effect of the chain: two sections of four lines (one
// section per input channel), each line a short diffusing all-pass followed
// by a long delay, a damping filter and a decay gain; the four lines of a
// section are mixed by a Householder matrix and the two sections feed each
// other.  The line lengths follow a room size in metres, spread over musical
// intervals and snapped to prime numbers of samples; the decay gains follow a
// reverb time derived from the room.  The output crossfades dry and reverb.

#include <array>
#include <cstdint>

#include "core/TrackedFloatBuffer.h"
#include "effects/BWEffect.h"
#include "effects/RevTamselLanes.h"

namespace revtamsel {
struct SectionLanes;  // a section's state in registers while a block runs
}

class RevTamselEcoShot : public BWEffect {
public:
    enum Parameter : uint32_t { kRoomSize = 0, kReverbTime = 1, kReflectivity = 2, kInput = 3, kParameterCount = 4 };
    static constexpr int32_t kLinesPerSection = 4;

    // Host thread.  Ready to run at the owner's rate afterwards.
    RevTamselEcoShot(uint32_t id, BWSystemInfo* owner, const NoteDivisionLists* valueLists = nullptr);
    ~RevTamselEcoShot() override;

    // Host thread on a rate change: sizes and clears the lines.  At an
    // unchanged rate (the audio thread's pass after a tempo change) nothing.
    void prepare() override;
    void process(float* left, float* right, int32_t frames) override;  // audio thread
    void tick() override;  // audio thread: room slide and length glides
    void stop() override;  // host thread: silences the lines
    // Host/GUI thread: 0 is the dry input, 1 the reverb alone, between a crossfade.
    void setMix(float mix) override;
    void getParameterDisplay(int32_t index, float value, char* text) override;

    // The room and decay in force (the audio side's), for tests and displays.
    float roomSizeDb() const { return roomDb; }
    float roomSizeMetres() const { return roomMetres; }
    float roomSeconds() const { return roomTime; }
    float reverbSeconds() const { return t60; }
    // Prime lengths in samples of section 0 (left) or 1 (right), line 0..3.
    float longLineSamples(int32_t section, int32_t line) const { return sections[section].longChosen[line]; }
    float diffuserSamples(int32_t section, int32_t line) const { return sections[section].diffChosen[line]; }
    float lineGain(int32_t section, int32_t line) const { return sections[section].gain[line]; }
    uint32_t longLineCapacity() const { return longLineLength; }
    uint32_t diffuserLineCapacity() const { return diffLineLength; }
    // Off, every block of the AVX2 kernel works out its reads afresh instead
    // of taking those the last block left: for comparing the two.
    void setKeptReads(bool on) {
        lanes.keepReads = on;
        lanes.readsKept = false;
    }
    // Off, the AVX2 kernel gathers its reads on every processor; on (the
    // default), it reads whole rows where the gathers are slow: for
    // comparing the two.
    void allowRowReads(bool on) { rowReadsAllowed = on; }

private:
    static void clearRing(TrackedFloatBuffer& ring);
    // The eight lines' memories from sample to sample: the diffusers' two
    // last reads, the damping states and the feedback into the lines.
    std::array<float*, 4> runningMemories();
    // What stop silences besides the rings: the lines' memories and the
    // kernel's kept reads.
    void silenceAllButRings();
    struct Section {
        // The section's first lane in the rings, taken again whenever
        // prepare has sized them.
        float* diffData = nullptr;
        float* longData = nullptr;
        // Lengths: the prime chosen and the glide target; the value in force
        // and its step run in the lanes.
        float diffChosen[kLinesPerSection] = {};
        float diffTarget[kLinesPerSection] = {};
        float longChosen[kLinesPerSection] = {};
        float longTarget[kLinesPerSection] = {};
        float gain[kLinesPerSection] = {};
        // The section's four lanes of the running state (RevTamselEcoShot's
        // lanes): lengths in force and their steps, the diffuser reads one
        // and two samples back, decay and damping per long line.
        float* diffLength = nullptr;
        float* diffStep = nullptr;
        float* longLength = nullptr;
        float* longStep = nullptr;
        float* diffNewer = nullptr;
        float* diffOlder = nullptr;
        float* dampB = nullptr;
        float* inputA = nullptr;
        float* damped = nullptr;
        float* feedback = nullptr;
    };

    // "Reverb Time" and "Reflectivity" recompute the gains at once.
    void applyParameter(uint32_t index, float value) override;
    float snapLength(float seconds, uint32_t capacity) const;
    void slideRoom();
    void computeRoom();
    void computeLengths();
    void updateT60();
    void updateDecay();
    // Glides the eight lines' lengths one tick; answers whether every one
    // is still (see lanes4::glide).
    bool glideLengths();
    template <bool Gliding>
    void run(float* left, float* right, int32_t frames);
    void runLanes(float* left, float* right, int32_t frames, bool gliding);
    static revtamsel::SectionLanes lanesOf(Section& section);
    static void keepLanes(const revtamsel::SectionLanes& lanes, Section& section);

    float roomSizeValue = 0.0f;

    float lastRoomSize;
    float smoothedRoomSize = 0.0f;
    float roomSlideStep = 0.0f;
    float roomSlideTicks = 0.0f;

    float roomDb = 0.0f;
    float roomMetres = 0.0f;
    float roomTime = 0.0f;
    float baseNote = 0.0f;
    float noteStep = 0.0f;  // an eighth of the spread between the room's two notes

    float timeFactor = 1.0f;
    float t60 = 1.0f;
    float dampingFactor = 0.0f;
    float inputGain = 0.0f;

    float preparedRate = 0.0f;  // the rate the lines were last sized for
    uint32_t diffLineLength = 0;
    uint32_t longLineLength = 0;
    // The eight diffusers in one ring and the eight long lines in another,
    // interleaved: sample j of line k of section s at [8 j + 4 s + k], so that
    // one vector store writes a sample of four lines (or of all eight).
    TrackedFloatBuffer diffRing;
    TrackedFloatBuffer longRing;
    // The eight lines' running state, the left section's four lanes then the
    // right's, kept as the eight-lane kernel takes it; with the rings, their
    // sizes (set where prepare sizes them) and the write positions, which
    // both sections share.
    revtamsel::Lanes lanes{};
    Section sections[2];
    // Every length still: the glides and the block's check for moving
    // lengths would change nothing until the room moves them again
    // (computeLengths), so both are skipped.
    bool lengthsAtRest = false;
    bool rowReadsAllowed = true;

    // The level last given to setMix, 0..1, or kNoMix before the first:
    // silence until then.
    static constexpr float kNoMix = -1.0f;
    std::atomic<float> mixLevel{kNoMix};
};
