#include "host/RealTimePlayer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "host/HostInstance.h"
#include "host/MidiFile.h"
#include "platform/DenormalGuard.h"

RealTimePlayer::RealTimePlayer(HostInstance& instance) : instance(instance), thread([this] { play(); }) {}

RealTimePlayer::~RealTimePlayer() {
    stopping = true;
    thread.join();
}

void RealTimePlayer::play() {
    // As a host's audio thread: denormals flushed for as long as it plays.
    const platform::DenormalGuard audioThreadMode;
    using Clock = std::chrono::steady_clock;
    const std::vector<TimedMidi> phrase = builtInPhrase();
    double lastQuarter = 0;
    for (const TimedMidi& event : phrase) lastQuarter = std::max(lastQuarter, event.quarters);
    // Whole bars of 4/4 with a bar's rest after the last release, so that
    // the releases are heard before the phrase starts again.
    const double samplesPerQuarter = instance.sampleRate * 60.0 / instance.transport.tempo;
    const double loop = (std::floor(lastQuarter / 4) * 4 + 4) * samplesPerQuarter;

    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    int64_t played = 0;
    Clock::time_point start = Clock::now();
    while (!stopping) {
        const double blockStart = double(played), blockEnd = double(played + kBlock);
        for (const TimedMidi& event : phrase) {
            const double at = event.quarters * samplesPerQuarter;
            const double next = at + loop * std::ceil((blockStart - at) / loop);
            if (next < blockEnd)
                instance.queueMidi(uint32_t(next - blockStart), event.bytes[0], event.bytes[1], event.bytes[2]);
        }
        instance.runBlock(outputs, kBlock);
        played += kBlock;
        const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(double(played) / instance.sampleRate));
        // A machine that stalled for long starts the clock again instead
        // of rushing through the blocks it missed.
        if (Clock::now() - due > std::chrono::seconds(1)) start = Clock::now() - (due - start);
        std::this_thread::sleep_until(due);
    }
}
