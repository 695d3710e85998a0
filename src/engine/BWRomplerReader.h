#pragma once
// One sample voice: plays a sample zone's 16-bit data at a pitch-dependent
// rate and delivers it a control tick (N frames) at a time, looping between
// the loop points or playing once through to the end.  A layer holds eight.
//
// Binding and the sample's life: a voice starts only inside the layer's
// BWRomplerHandler::ZoneAccess, and attaches itself to the zone's sample
// before that access closes; it stays attached until it unbinds (the voice
// ends, is reset, or moves to another zone), so the library never frees an
// instrument under it.  A standalone render reads the sample between
// beginRead and endRead; the layer's way instead holds the sample open from
// the voice's first readable tick until the voice unbinds or a writer waits
// for the sample (takeHold, letGo), so that a tick costs no handshake.
// Every checked tick re-checks the play position and loop points against the
// sample's current frame count, since a replaced sample may be shorter.
// While the sample is being replaced the voice gives silence for the tick.
//
// `zone` is kept after the voice ends, only as the mark that the voice has
// played (a later start cross-fades); it is not read once the sample is
// unbound.  Audio thread, except reset (not while the audio thread renders).

#include <cstdint>

#include "engine/BWRomplerHandler.h"
#include "engine/VoiceLanes.h"

class BWSampleData;
class BWSampleZone;
class BWSystemInfo;

template <int N>
class alignas(16) BWRomplerReader : public BWRomplerReaderBase {
public:
    static constexpr int kFrames = N;

    explicit BWRomplerReader(BWSystemInfo* system = nullptr) : system(system) {}
    ~BWRomplerReader() override;
    BWRomplerReader(const BWRomplerReader&) = delete;
    BWRomplerReader& operator=(const BWRomplerReader&) = delete;

    void setSystem(BWSystemInfo* info) { system = info; }
    // Whether a stereo sample's right channel is rendered into `right`; a
    // layer's mix reads the left buffer only, so its voices leave it out.
    void setRightWanted(bool wanted) { rightWanted = wanted; }

    // Starts the voice on the zone at the note (semitones; fineOffset adds
    // to it) and renders the first tick; a voice that has played before
    // cross-fades instead (the new zone is heard from the next tick).  Call
    // inside the ZoneAccess the zone came from.
    void startVoice(BWSampleZone* newZone, float note, float fineOffset);
    // Renders `frames` frames into left/right from `offset` on (at most to
    // the end of the buffers).
    void render(uint32_t frames, int32_t offset);
    // One tick of the old sound faded out linearly, then the pending zone.
    void renderCrossfade();

    // The layer's way: beginStart binds a new zone (a voice that has played
    // before keeps its old one for this tick's fade and takes the new one
    // after it); readingSample is the sample the tick reads, when it reads
    // one; renderTick renders the tick with that sample held (readable) or
    // not, then takes a pending zone.
    void beginStart(BWSampleZone* newZone, float note);
    BWSampleData* readingSample() const { return finished || !active ? nullptr : sample; }
    void renderTick(bool readable, const voicelanes::VoiceKernels& kernels);

    // The voice's hold on its sample, kept from tick to tick.  takeHold opens
    // the sample the tick reads and answers whether it was let in; letGo
    // closes it (the voice does so itself when it unbinds).  Audio thread, or
    // a thread that holds the engine, letting go on the audio side's behalf.
    bool isHolding() const { return holding; }
    bool takeHold();
    void letGo();
    // A writer waits to change the held sample: the voice must let go.
    bool writerWaits() const { return sample->isLoading(); }

    // A tick whose sample facts were checked while the sample stayed held
    // (its data and loop points as they were) and whose read stays short of
    // the loop's end may take readClear instead of renderTick.
    bool readsClear() const { return read.position + static_cast<float>(N) * read.step < read.clearUntil; }
    // The record behind readsClear no longer stands (its sample let go).
    void forgetClear() { read.clearUntil = -1.0f; }
    // The tick renderTick would render when readsClear: one read, no checks.
    void readClear(const voicelanes::VoiceKernels& kernels) {
        static_assert(N == voicelanes::kFrames, "a clear tick reads one kernel tick");
        kernels.readTick(read.data, read.position, read.step, left);
        read.position = read.position + static_cast<float>(N) * read.step;
    }
    // The read's state for the layer's kernel that reads its clear voices
    // at once (VoiceKernels::readClearTicks).
    voicelanes::VoiceRead* voiceRead() { return &read; }
    // Follows a new note on the zone already playing.
    void setNote(float note) { read.step = incrementFor(zone, sample, note, 0.0f); }
    // What setNote would set, worked out for eight voices at once
    // (VoiceKernels::increments) from the zone and getDataRate.
    void setIncrement(float value) { read.step = value; }
    float getDataRate() const { return dataRate; }
    // Silences the voice and unbinds it.
    void reset() override;

    bool isActive() const { return active != 0; }
    // Plays between its loop points until stopped (else once through).
    bool isLooping() const { return playThrough == 0; }
    bool hasPlayed() const { return zone != nullptr; }
    const BWSampleZone* getZone() const { return zone; }
    float getPosition() const { return read.position; }
    float getIncrement() const { return read.step; }
    float getLoopStart() const { return loopStart; }
    float getLoopEnd() const { return loopEnd; }

    alignas(16) float left[N] = {};
    alignas(16) float right[N] = {};  // written for stereo data only

private:
    void bind(BWSampleZone* newZone, float note, float fineOffset);
    void attachSample(BWSampleData* newSample);
    float incrementFor(const BWSampleZone* forZone, const BWSampleData* data, float note, float fineOffset) const;
    // render with the sample's read begun (readable) or refused.
    void renderRead(uint32_t frames, int32_t offset, bool readable, const voicelanes::VoiceKernels& kernels);
    void takePendingZone();
    template <bool Stereo>
    void renderFrames(const int16_t* data, const int16_t* rightData, int32_t offset, int32_t n);
    void endVoice(int32_t offset, int32_t n);
    void silence(int32_t offset);
    bool checkBounds(float frameCount);
    float wrappedPosition(float position) const;
    void readSampleFacts();
    void checkClear();

    BWSampleZone* zone = nullptr;
    BWSampleData* sample = nullptr;
    BWSystemInfo* system;
    BWSampleZone* pendingZone = nullptr;
    float pendingNote = 0.0f;
    float dataRate = 44100.0f;  // the bound sample's rate, read inside a read
    float loopStart = 0.0f;
    float loopEnd = 0.0f;
    uint8_t active = 0;
    uint8_t finished = 0;
    uint8_t playThrough = 0;
    bool rightWanted = true;
    bool holding = false;  // inside the sample's gate since takeHold
    // The position and increment, and what checkClear found: the data a
    // clear tick reads and the position its reads stay below (the loop's
    // end; negative for none).
    voicelanes::VoiceRead read{.out = left};
};

extern template class BWRomplerReader<16>;
