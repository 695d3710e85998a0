#pragma once
// The per-instance audio context: tempo, sample rate, control tick and every
// constant derived from them, the pitch tables, the held-note state that the
// MIDI handler fills, the noise generator state and the registries through
// which effects, pattern models and widgets reach their instance.
//
// The host/GUI thread writes the rate-derived fields while the audio thread is
// not rendering; those are plain values.  The tempo and the values derived
// from it, the song position and the transport and note state are written
// while other threads read them (the tempo by the render routine, or the GUI
// for a typed tempo): those are relaxed atomics, each read whole.  A tempo
// change stores the tempo last, after the values derived from it.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/RelaxedAtomic.h"
#include "platform/AlignedMemory.h"

class BWInitInterface;
class BWUndoManager;
class PointerList;
class StateResetList;

struct ValueSlope {
    float value;
    float slope;  // value of the next entry minus this value
};

class BWSystemInfo {
public:
    static constexpr float kMinSampleRate = 11050.0f;
    static constexpr float kMaxSampleRate = 196000.0f;
    // The render routine and the tempo field never go below this tempo, so
    // buffers that hold a number of beats are sized for it.
    static constexpr double kSlowestTempo = 45.0;
    static constexpr double kTempoLimit = 500.0;  // tempos at or above are not taken
    static constexpr uint32_t kFirstInstanceId = 18401;
    static constexpr int kNoteTableSize = 194;    // MIDI notes -36 .. 157
    static constexpr int kNoteTableOffset = 36;
    static constexpr int kPitchTableSize = 257;   // -128 .. +128 semitones
    static constexpr int kPitchTableCentre = 128;
    static constexpr int kChordSize = 8;

    // Host thread.  The plug-in object passes 8 voices; the lists and the undo
    // manager stay owned by the caller and may be null.
    BWSystemInfo(int voices, StateResetList* trackedBufferList, PointerList* listeners,
                 BWUndoManager* undoManager);
    virtual ~BWSystemInfo();
    BWSystemInfo(const BWSystemInfo&) = delete;
    BWSystemInfo& operator=(const BWSystemInfo&) = delete;

    // Whether the rate is one the instrument plays (11050 to 196000 Hz).
    static constexpr bool playsRate(float rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }
    // Takes the rate when 11050 <= rate <= 196000 and derives every rate and
    // tempo constant from it and the tick length; anything else (NaN included)
    // changes nothing and answers false.  Host thread.
    bool takeSampleRate(float rate);
    // Re-derives the rate and tempo constants from the stored rate; allocates
    // nothing.  Host thread, or the audio thread after a tempo change.
    void deriveRateConstants();
    // Sets the control tick (the plug-in object uses 16 samples) and derives
    // again.  Host thread.
    void setTickLength(int32_t samples);
    // Stores a host or typed tempo and derives the beat constants.  Tempos
    // below 45 bpm run at 45; NaN and tempos of 500 bpm or more are refused
    // (false, nothing changes).  Allocates nothing.  Audio or GUI thread.
    bool setTempo(double bpm);
    // Samples in one beat at the slowest tempo: the capacity that buffers
    // holding whole beats take when the rate is prepared, so that a tempo
    // change on the audio thread never has to grow them.  Any thread.
    double maxSamplesPerBeat() const;

    // Linear reads of the pitch tables; positions outside the tables read the
    // nearest end instead of running past it.  Any thread; inline, as every
    // voice reads them every tick.
    float noteFrequency(float note) const {  // note 69 -> 440 Hz
        return readTable(noteFrequencyTable.data(), kNoteTableSize, note + kNoteTableOffset);
    }
    float pitchRatio(float tablePosition) const {  // 128 -> 1.0
        return readTable(pitchRatioTable.data(), kPitchTableSize, tablePosition);
    }
    // Linear read of a (value, slope) table; a position outside the table
    // reads the nearest end, and NaN reads the first entry.
    static float readTable(const ValueSlope* table, int size, float position) {
        if (!(position > 0.0f)) position = 0.0f;
        const float last = static_cast<float>(size - 1);
        if (position > last) position = last;
        const int index = static_cast<int>(position);
        return table[index].value + (position - static_cast<float>(index)) * table[index].slope;
    }

    // One step of the noise generator: a value between -1 and 1.  Audio thread.
    float nextRandomValue();

    // Sorts the held voices by note into sortedNotes/sortedVelocities and
    // fills the two shifted copies.  Audio thread (MIDI handler) or host
    // thread (rate preparation).
    void sortHeldNotes();

    // Pattern models enter their edit interface on construction and leave on
    // destruction.  GUI thread.
    void addInitInterface(BWInitInterface* entry);
    void removeInitInterface(BWInitInterface* entry);  // first occurrence; absent is ignored

    uint32_t randomState;             // noise generator state
    RelaxedAtomic<double> tempo = 120.0;  // beats per minute
    RelaxedAtomic<float> samplesPerBeatF = 0.0f;  // float copy of samplesPerBeat, read by the effects
    RelaxedAtomic<double> samplesPerBeat = 0.0;
    float tickLength = 200.0f;        // samples per control tick
    int32_t tickLengthInt = 200;
    int32_t tickSamples = 0;          // the render routine's tick counter
    float tickReciprocal = 0.005f;    // 1 / tickLength
    float sampleRate = 44100.0f;
    int32_t sampleRateInt = 44100;
    int32_t blockSize = 1024;         // largest host block
    float voiceCountF;
    RelaxedAtomic<float> positionBeatsF = 0.0f;  // song position in quarter notes
    RelaxedAtomic<double> positionBeats = 0.0;
    RelaxedAtomic<float> ticksPerBeatF = 0.0f;
    RelaxedAtomic<double> ticksPerBeat = 0.0;
    int32_t noteOrderCount = 1;
    float engineFlag = 1.0f;
    RelaxedAtomic<float> programNumber = 0.0f;  // last MIDI program received
    RelaxedAtomic<float> playing = 0.0f;  // 1.0 while the host transport plays
    RelaxedAtomic<float> pitchBend = 0.0f;  // -1 .. 1
    float sampleRateFactor = 0.0f;    // sampleRate / 44100
    float blockPerRate = 0.0f;        // 1024 / sampleRate
    float invRate = 0.0f;
    float twoInvRate = 0.0f;
    float twoPiInvRate = 0.0f;
    float piInvRate = 0.0f;
    float tickPerRate = 0.0f;         // seconds per tick
    float samplesPerMsPerTick = 0.0f; // ticks per millisecond
    float samplesPerMs = 0.0f;
    float rateOverTwoPi = 0.0f;
    float blockPerRate2;
    float glideFactor = 0.005f;       // per-tick glide of the effects' smoothed values
    RelaxedAtomic<float> lastNote = 0.0f;  // most recent note still held
    RelaxedAtomic<float> lastVelocity = 0.0f;  // its velocity; 0 = no note held
    RelaxedAtomic<float> lastNoteFrequency = 0.0f;
    std::vector<int32_t> noteOrder;   // per-voice list of the MIDI handler
    std::array<ValueSlope, kNoteTableSize> noteFrequencyTable;  // entry k: note k - 36
    std::array<ValueSlope, kPitchTableSize> pitchRatioTable;    // entry j: 2^((j - 128) / 12)
    std::array<float, 128> controllerValues{};                   // value / 127
    // Held-note slots, one per voice, 16-byte aligned for vector reads.
    AlignedFloats voiceNote;
    AlignedFloats voiceVelocity;      // 0 marks a free slot
    AlignedFloats voiceFrequency;     // Hz, from noteFrequencyTable
    int32_t nextVoice = 0;            // slot the next note-on tries first
    // The held notes in ascending order (empty places 0) and two copies
    // shifted down two octaves, the second with negatives replaced by 0.
    std::array<float, kChordSize> sortedNotes{};
    std::array<float, kChordSize> sortedVelocities{};
    std::array<float, kChordSize> shiftedNotes{};
    std::array<float, kChordSize> shiftedNotesClamped{};
    RelaxedAtomic<float> channelPressure = 0.0f;
    StateResetList* trackedBufferList;
    PointerList* listeners;           // told of tempo and rate changes; effects enter themselves
    BWUndoManager* undoManager;
    uint32_t instanceId;              // tells instances apart in process-wide registries
    float randomLow = 0.0f;           // range of the table randomiser
    float randomHigh = 1.0f;
    float randomLimit = -100.0f;      // -100 = unset
    std::vector<BWInitInterface*> initInterfaceList;
    // Set by the pattern-wide edits, cleared by the editor's idle after it
    // has redrawn the pattern views.
    std::atomic<bool> patternsChanged{false};
    // Moves after every change to a table's points, pages, page choice or
    // busy mark, whichever thread makes it (the interface, undo, loads,
    // learned controllers, the randomiser).  The render keeps what it read
    // from the tables until this moves: one load a tick instead of the reads.
    // Bumped with release after the change, read with acquire.
    std::atomic<uint32_t> tableEdits{0};
    // The same for the step grids (a step, a line's steps, the grid rebuilt
    // or freed) and for the loop the render takes from the zone lanes (the
    // audio lane's mirrored first zone, the lane choice, the lanes rebuilt).
    std::atomic<uint32_t> gridEdits{0};
    std::atomic<uint32_t> zoneEdits{0};

private:
    void fillNoteFrequencyTable();
    void fillPitchRatioTable();
    void deriveBeatConstants(double bpm);

    int voices;
};
