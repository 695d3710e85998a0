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

struct RenderSettings {
    float rate = 44100.0f;
    double tempo = 120.0;
    int32_t block = 512;
    double seconds = 8.0;
    bool nanFill = false;  // fill the output buffers with NaN before each block
};

struct RenderResult {
    std::vector<std::vector<float>> channels;
    std::vector<std::pair<int64_t, AAX_CMidiPacket>> midiOut;  // (sample, packet)
};

// The sample at which a message at `quarters` plays.
int64_t sampleOf(double quarters, double tempo, float rate);

void renderEvents(HostInstance& instance, const std::vector<TimedMidi>& events, const RenderSettings& settings, RenderResult& result,
                  const std::function<void(double)>& progress = {});

// A 32-bit float WAV file of the channels, written atomically.  False with
// `error` set when it cannot be written.
bool writeWav(const std::string& path, const std::vector<std::vector<float>>& channels, float rate, std::string& error);
