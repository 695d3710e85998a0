#pragma once
// The base of the six stereo effects of the output chain (reverser, chorus,
// phaser, double delay, sixteenth-note delay, reverb).
//
// The base keeps the named parameters (values 0..1, default 0.5), the
// equal-power mix setter, the display text and the choice of a tempo value
// list; every other operation is an empty default that the effects override.
// An effect sits in its audio context's listener list so that tempo changes
// (updateTiming) and rate changes (prepare) reach it.
//
// Threads: parameter, mix and display calls come from the host or GUI thread
// and store only the raw value they were given (relaxed atomics, free on
// x86-64) and counts the call.  The audio thread derives every target,
// coefficient and length from the raw values at its own points:
// takeParameters at the start of each sub-block (for every parameter set
// since the last one, in index order), and updateTiming and prepare, which
// derive afresh.  So no derived value has two writers, and a host write
// that lands in the middle of a derivation is taken at the next sub-block
// instead of being lost.  process and tick run on the audio thread and smooth
// the jumps.  updateTiming runs on the audio thread after a tempo change and
// must not allocate, free or clear; prepare runs on the host thread after a
// rate change and on the audio thread after a tempo change (then at an
// unchanged rate, where it may not allocate or clear either).

#include <array>
#include <atomic>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/TimingListener.h"

class BWSystemInfo;
class StateResetList;
struct NoteDivisionLists;
struct ValueList;

// The ids the plug-in object gives its effects.
enum BWEffectId : uint32_t {
    kReverserEffectId = 195,
    kChorusEffectId = 213,
    kPhaserEffectId = 160,
    kDoubleDelayEffectId = 178,
    kDelay16EffectId = 194,
    kReverbEffectId = 196,
};

class BWEffect : public TimingListener {
public:
    static constexpr size_t kNameSize = 32;
    // getParameterDisplay writes at most this many bytes, terminator included;
    // callers pass a buffer at least this large.
    static constexpr size_t kDisplayTextSize = 64;

    // Host thread.  The owner must outlive the effect; valueLists may be null
    // (the effects that use a list then pick their own).
    BWEffect(uint32_t id, int32_t parameterCount, BWSystemInfo* owner,
             const NoteDivisionLists* valueLists);
    ~BWEffect() override;
    BWEffect(const BWEffect&) = delete;
    BWEffect& operator=(const BWEffect&) = delete;

    BWEffect* getEffect() { return this; }  // any thread
    // Copies at most 31 characters of text into the effect's name.  Host thread.
    char* setName(const char* text);
    const char* getEffectName() const { return name; }  // any thread

    void updateTiming() override {}  // audio thread (tempo change)
    void prepare() override {}       // host thread (rate change), audio thread (tempo change)

    // In-place stereo processing of one sub-block.  Audio thread.
    virtual void process(float* left, float* right, int32_t frames);
    virtual void processAlternate(float* left, float* right, int32_t frames);  // audio thread
    // Stores the raw value; an index at or beyond the count is ignored.  The
    // effect follows it at the start of its next sub-block.  Host/GUI thread,
    // or the audio thread for the values the engine sets itself.
    virtual void setParameter(uint32_t index, float value);
    // Derives the targets of every parameter set since the last call.  Audio
    // thread; each effect's process calls it first, and the constructor once.
    // Inline, since on nearly every sub-block nothing was set.
    void takeParameters() {
        const uint32_t all = allSets.load(std::memory_order_acquire);
        if (all != takenAllSets) takeChangedParameters(all);
    }
    // Whether a parameter follows the tempo (only the phaser's rate does).
    // Host/GUI thread.
    virtual void setSyncMode(int32_t index, int32_t mode);

    // "fail" for an index at or beyond the count.  Any thread.
    const char* getParameterName(uint32_t index) const;
    // Copies the name (at most kNameSize bytes) or "unused".  Any thread.
    void getName(uint32_t index, char* text) const;

    virtual void clear();          // running state to silence; host thread or audio thread
    virtual void tick();           // once per 16-sample tick; audio thread
    virtual int32_t reset();       // host thread
    int32_t resetForward() { return reset(); }
    virtual void stop();           // audio or host thread

    // Takes the wet level the core computes.  The base turns it into the
    // equal-power pair; a level outside 0..1 (or NaN) is clamped first.
    // Host/GUI thread.
    virtual void setMix(float level);

    float getParameterDefault(int32_t index) const;  // 0.0 outside the count; any thread
    void setStateRegistry(StateResetList* registry) { stateRegistry = registry; }  // host thread

    // Writes the display text of a value into text (kDisplayTextSize bytes).
    // GUI thread.
    virtual void getParameterDisplay(int32_t index, float value, char* text);
    void getParameterDisplayForward(int32_t index, int32_t /*unused*/, float value, char* text) {
        getParameterDisplay(index, value, text);
    }

    // Chooses one list of the effect's group (0 the whole list, 1 straight,
    // 2 with triplets, 3 with dotted) and re-applies every parameter so that
    // tempo-dependent values follow (on the audio side, at the next
    // sub-block).  Host/GUI thread.
    void selectValueList(int32_t list);
    // Appends the labels a stepped parameter shows; GUI thread.
    virtual void getValueLabels(int32_t index, std::vector<std::string>& labels) const;
    virtual float getSteps(int32_t index) const;  // 0.0 for a continuous parameter; GUI thread

    // Read access for the core and the editor.  Any thread.
    uint32_t getId() const { return id; }
    int32_t getParameterCount() const { return count; }
    float getValue(uint32_t index) const { return index < static_cast<uint32_t>(count) ? raw(index) : 0.0f; }
    float getMix() const { return mix.load(std::memory_order_relaxed); }
    float getDryGain() const { return dryGain.load(std::memory_order_relaxed); }
    float getWetGain() const { return wetGain.load(std::memory_order_relaxed); }
    int32_t getBusyState() const { return busyState.load(std::memory_order_acquire); }
    int32_t getValueListIndex() const { return valueListIndex.load(std::memory_order_relaxed); }
    // Tests only: the AVX2 kernels even where AVX-512VL is there, to hold
    // the wider kernels to them.
    void holdToAvx2(bool hold) { heldToAvx2 = hold; }

protected:
    bool heldToAvx2 = false;  // read by the audio side; set only by tests

    // A value from the host, a preset or the engine, limited to 0..1 (NaN to
    // 0) before it selects anything or sizes anything.
    static float unitRange(float value) {
        if (!(value > 0.0f)) return 0.0f;  // NaN included
        return value < 1.0f ? value : 1.0f;
    }
    // sqrt that takes a value below the smallest normal float as 0, so that
    // no denormal or negative reaches the root.
    static float safeSqrt(float value) {
        return value < std::numeric_limits<float>::min() ? 0.0f : std::sqrt(value);
    }
    // Values below 1e-20 (400 dB down) become exactly 0: a decaying line would
    // otherwise spend its last seconds in denormal arithmetic, many times slower.
    static float flushTiny(float x) { return std::fabs(x) < 1e-20f ? 0.0f : x; }
    // The per-tick glide of a smoothed value: a per-sample step of `factor`
    // times the distance left.  Once that step is within +-snap the value
    // lands on its target, so that it comes to rest there instead of creeping
    // on for ever.
    static void glide(float target, float& current, float& step, float factor, float snap) {
        step = (target - current) * factor;
        if (step > -snap && step < snap) {
            step = 0.0f;
            current = target;
        }
    }

    // The raw value of a parameter inside the count.  Any thread.
    float raw(uint32_t index) const { return values[index].value.load(std::memory_order_relaxed); }
    // Derives the targets of one parameter from its raw value.  Audio thread
    // (or the constructor); the base derives nothing.
    virtual void applyParameter(uint32_t index, float value);
    // Derives one parameter afresh from its raw value, changed or not, for
    // the points where the context it depends on (tempo, rate) changed.
    void retakeParameter(uint32_t index);
    void retakeParameters();
    // takeParameters' look at each parameter, once the total has moved on to `all`.
    void takeChangedParameters(uint32_t all);

    void setParameterName(uint32_t index, const char* text);
    void setDefault(uint32_t index, float value);
    // Names every parameter, makes its initial value the default and applies
    // it through the effect's own setParameter.  Constructors only.
    void installParameters(const char* const names[], const float initial[]);
    // The list that valueListIndex selects, or null when the effect has none.
    const ValueList* selectedValueList() const;

    // Every effect enters its owner's listener list at the end of its
    // constructor and leaves it in its destructor.  Host thread.
    void joinOwnerList();
    void leaveOwnerList();
    // The memories an effect keeps beside its lines from sample to sample (a
    // feedback path's last read, a filter's state) enter the reset list with
    // the lines, so that what silences the lines (a suspend, a state load)
    // silences them too.  One left behind would be written into the silent
    // lines at the next sample and come back out of the silence a line's
    // length later as a lone click.  Only the render writes them (zeros
    // aside).  Constructors and destructors, host thread.
    void listMemory(void* block, size_t bytes);
    void unlistMemory(const void* block);

    // The raw values as the host gave them with a count of the calls that
    // set them (stored after the value, so that a count seen promises the
    // value), and the counts the audio side has derived from.
    struct RawParameter {
        std::atomic<float> value{0.0f};
        std::atomic<uint32_t> sets{0};
    };
    std::unique_ptr<RawParameter[]> values;
    std::vector<uint32_t> takenSets;
    // Every set of any parameter counts here too, after its own count: an
    // unchanged total spares the audio side a look at each parameter.
    std::atomic<uint32_t> allSets{0};
    uint32_t takenAllSets = 0;
    std::atomic<float> dryGain{0.70710677f};
    std::atomic<float> wetGain{0.70710677f};  // the reverser and the phaser keep their wet target here
    std::atomic<float> mix{0.5f};
    std::atomic<int32_t> busyState{0};  // 2 while the reverser re-lays its ring
    char name[kNameSize] = "BWEffect unspecified";
    std::vector<std::array<char, kNameSize>> parameterNames;
    std::vector<float> defaults;
    uint32_t id;
    int32_t count;
    BWSystemInfo* owner;
    StateResetList* stateRegistry;  // where the effects list their running state
    std::atomic<int32_t> valueListIndex{0};
    const NoteDivisionLists* valueLists;
};
