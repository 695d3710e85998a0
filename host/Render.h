#pragma once
// Renders a sequence of MIDI messages through one instance in host blocks,
// as a host plays a MIDI clip: each message goes to the block that holds its
// sample, at its offset there.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/HostInstance.h"
#include "host/MidiFile.h"

// The rates the plug-in plays: it keeps the rate it had for any other, and
// its pitches, times and tails would then be out.
constexpr double kLowestPlayedRate = 11050.0;
constexpr double kHighestPlayedRate = 196000.0;

struct RenderSettings {
    float rate = 44100.0f;
    double tempo = 120.0;                  // until the first tempo change, if any
    std::vector<TempoChange> tempoChanges;  // a MIDI file's tempo map; the host's tempo follows it
    int32_t block = 512;
    double seconds = 8.0;
    bool nanFill = false;  // fill the output buffers with NaN before each block
    // How long, in wall time, the render waits for the plug-in to finish a
    // load (a program change) before it gives up.
    double loadWaitSeconds = 60.0;
};

struct RenderResult {
    std::vector<std::vector<float>> channels;
    std::vector<std::pair<int64_t, AAX_CMidiPacket>> midiOut;  // (sample, packet)
    std::string failure;  // why the render ended early, when it did
};

// Where quarter notes fall in time: `bpm` from the start, then each change
// from its position on.
class TempoMap {
public:
    TempoMap(double bpm, const std::vector<TempoChange>& changes);
    double secondsAt(double quarters) const;
    double tempoAtSeconds(double seconds) const;
    // The first sample at `rate` from which the tempo differs from the one
    // at sample `from`, or -1 when it never does.
    int64_t nextChangeSample(int64_t from, double rate) const;

private:
    struct Segment {
        double quarters, seconds, bpm;
    };
    std::vector<Segment> segments;  // from quarter 0, in order
};

// The frames a render of the settings makes.
int64_t renderFrames(const RenderSettings& settings);

// Takes each block as it is rendered: `frames` samples of each of the
// instance's channels.  Answering false stops the render.
using BlockSink = std::function<bool(const float* const* channels, int32_t frames)>;

// Plays the events through the instance for the settings' length in blocks,
// handing each block to `sink` as it is made, so that nothing grows with the
// length; `progress` hears the share done.  It renders as a bounce does,
// faster than real time and the same every time: before each block it waits
// until the plug-in can render, and a program change ends the block before
// it and goes to the plug-in alone, in a call without audio, so that its
// load finishes before the audio after it is made.  False when the sink
// stopped it, or (with `failure` set) when a load outlasted
// loadWaitSeconds.
bool renderBlocks(HostInstance& instance, const std::vector<TimedMidi>& events, const RenderSettings& settings, const BlockSink& sink,
                  const std::function<void(double)>& progress = {}, std::string* failure = nullptr);

// Asks `ready` until it answers true, for at most `seconds` of wall time;
// false when it never did.
bool waitUntil(const std::function<bool()>& ready, double seconds);

// The same, with the whole output and the MIDI the plug-in sent kept in
// `result`, for comparing renderings.
void renderEvents(HostInstance& instance, const std::vector<TimedMidi>& events, const RenderSettings& settings, RenderResult& result,
                  const std::function<void(double)>& progress = {});
