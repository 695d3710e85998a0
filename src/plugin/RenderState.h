#pragma once
// The state of the block render frame that lives from block to block: the
// 16-sample sub-block buffers and their fill count (ticks are not aligned to
// host blocks), gains, meters, the DC blocker, the silence optimisation, the
// bypass fade, the transport as the engine follows it, the master envelope,
// the beat clock and the MIDI handler's memories.
//
// Audio thread, except the export fields, which the MIDI export sets while it
// holds the engine.

#include <array>
#include <atomic>
#include <cstdint>

#include "core/VstTypes.h"
#include "engine/Envelope.h"
#include "plugin/ActivityLights.h"
#include "plugin/OutputStages.h"

class MidiFileWriter;

struct RenderState {
    static constexpr int32_t kSubBlock = 32;  // room for one tick, and a margin
    static constexpr float kSilenceThreshold = 1.3218404e-4f;

    // The voice mix after compressor and clip, and the kick, since the last
    // flush.  The kick sits in the middle: both channels take this one bus.
    std::array<float, kSubBlock> mainLeft{};
    std::array<float, kSubBlock> mainRight{};
    std::array<float, kSubBlock> kick{};
    int32_t subCount = 0;

    float effectsReturnGain = 1.0f;
    // The master envelope's gain on the outputs, and the kick bus's gain
    // (the master gain's target, or 0 while the kick only keys the
    // compressor), each ramped through every tick.
    TickRamp masterGain;
    TickRamp kickGain;
    // A stroke under way when the kick's gain rose from nothing is not heard
    // from its middle: the kick waits for its next stroke.
    bool kickWaits = false;
    std::array<DcBlocker, 2> dc{};
    // The block's peaks after the master gain, gathered flush by flush.
    float peakLeft = 0.0f;
    float peakRight = 0.0f;

    bool silent = false;
    bool blockSilent = false;  // the silent flag as the block started
    uint64_t idleTicks = 0;    // ticks that ran idle (the engine's own count, for tests)

    BypassFade bypass;

    // Transport as the block start read it.
    double hostTempo = 120.0;
    double beatsPerSample = 0.0;
    bool cycleWrapArmed = false;
    double cycleWrapPoint = 0.0;
    double cycleStart = 0.0;
    float transportRamp = 0.0f;
    float transportStep = 0.0f;

    // Master gate envelope and the beat clock that drives the kick.
    Envelope master{Envelope::Kind::Master};
    double beatCounter = 0.0;
    double beatPosition = 0.0;
    float beatGate = 0.0f;
    float kickRestart = 0.0f;
    // The beat indicator of the interface: the low bit of the song's beat,
    // reached over 800 ms.
    float beatIndicator = 0.0f;
    float beatIndicatorTarget = 0.0f;
    float beatIndicatorStep = 0.0f;
    float beatIndicatorTicks = 0.0f;
    ActivityLights lights;

    // MIDI handler: the velocity offset ring (seven offsets in use), the
    // sustain pedal and the notes it holds back, the sub-index learned
    // per-voice targets read.
    static constexpr std::array<float, 8> kVelocityOffsets{1.2e-6f, 2.4e-6f, -1.0e-7f, 1.5e-6f,
                                                           -1.7e-6f, 2.1e-6f, -1.9e-6f, 0.0f};
    static constexpr int32_t kVelocityRing = 7;
    int32_t velocityRingIndex = 0;
    bool sustain = false;
    std::array<uint8_t, 128> deferredReleases{};
    int64_t currentSubIndex = 0;

    // Offline export (the editor's MIDI export): the own transport record and
    // the file writer that takes the notes instead of the host.
    std::atomic<bool> skipAudio{false};
    std::atomic<bool> ownTransport{false};
    VstTimeInfo ownTimeInfo{};
    MidiFileWriter* exportWriter = nullptr;
};
