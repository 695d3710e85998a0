#pragma once
// Brings every rate- and tempo-dependent state of an instance up to date, in
// the one order that the engine relies on: the audio context's constants, the
// engine's own constants and delay lines, the fixed low-pass, the effects (the
// context's listener list, in chain order), the parameters whose engine
// values depend on rate or tempo, and the held-note state.
//
// The plug-in object embeds one, installs itself as the owner and calls
// prepareSampleRate from setSampleRate (after telling the listeners through
// prepare when the rate changed) and changeTempo from the render routine.

#include <cstdint>
#include <span>

class BWSystemInfo;

// Engine constants that follow from the rate and the control tick; the render
// routine and the parameter application read them.
struct EngineRateConstants {
    double tickDuration = 0.0;     // seconds per control tick
    float samplesPerMs = 0.0f;
    float msPerSample = 0.0f;
    float doubleTick = 0.0f;       // two ticks, in samples
    float secondsPerTick = 0.0f;
    float twentyOverRate = 0.0f;
    int32_t longLineLength = 0;    // one second of samples at the rate
    int32_t shortLineLength = 0;   // the comb lines: 986 samples at 44.1 kHz
};

// The one-pole low-pass shared by the comb filter and the compressor, set at
// 6 kHz (or the rate itself below 6 kHz).
struct OnePoleLowPass {
    float piOverRate = 0.0f;
    float g = 0.0f;
    float invOnePlusG = 0.0f;
    float gMinusOne = 0.0f;
};

// What the owner of the audio context does during a preparation.
class SampleRateOwner {
public:
    virtual ~SampleRateOwner() = default;
    // Gives the engine's long line longLineLength samples and its comb lines
    // shortLineLength, then clears all but the long line.  After a tempo
    // change the lengths are those of the last rate preparation, so nothing
    // has to grow on the audio thread.
    virtual void resizeDelayLines(const EngineRateConstants& constants) = 0;
    // setParameter(index, the raw value last stored for index).
    virtual void reapplyParameter(int32_t index) = 0;
    // The held-note refresh that the MIDI handler also runs after each note.
    virtual void refreshHeldNotes() = 0;
    // After the listeners (the effects) have prepared themselves: rateChanged
    // is true only when the rate differs from the last preparation's, so an
    // owner that clears running state for a new rate leaves the echoes and
    // tails alone after a tempo change.
    virtual void effectsPrepared(bool /*rateChanged*/) {}
};

class SampleRatePreparation {
public:
    SampleRatePreparation(BWSystemInfo& context, SampleRateOwner& owner);

    // Takes the host's rate when it lies within 11050..196000 Hz (otherwise
    // the stored rate stays) and prepares everything for it.  Host thread.
    void prepareSampleRate(float hostRate);
    // After a host tempo change: stores the tempo (see BWSystemInfo::setTempo),
    // tells the listeners through updateTiming and prepares everything again
    // at the stored rate.  A refused tempo changes nothing and answers false.
    // Allocates nothing itself.  Audio thread.
    bool changeTempo(double bpm);

    const EngineRateConstants& engine() const { return constants; }
    const OnePoleLowPass& lowPass() const { return filter; }

    // The parameters re-applied by every preparation, in their order.
    static std::span<const int32_t> reappliedIndices();

private:
    void prepareAtStoredRate();
    void deriveEngineConstants();
    void deriveLowPass();

    BWSystemInfo& context;
    SampleRateOwner& owner;
    EngineRateConstants constants;
    OnePoleLowPass filter;
    float preparedRate = 0.0f;  // none yet: the first preparation is a change
};
