// The block render frame: gates, transport, the 16-sample tick loop carried
// across host blocks (each tick first takes the parameters the inbox holds),
// the output stages of each flushed sub-block (master gain, meters, DC
// blocker, silence optimisation) and the block end (MIDI out, bypass fade).
// Everything that shapes the audio runs on the tick grid, so the music does
// not depend on how the host cuts its blocks.  Audio thread throughout: no
// allocation, no lock, no file, no wait.

#include <algorithm>
#include <cmath>

#include "core/SharedFloat.h"
#include "core/BWSystemInfo.h"
#include "persistence/MidiFileWriter.h"
#include "platform/DenormalGuard.h"
#include "plugin/Engine.h"
#include "plugin/EngineHold.h"
#include "plugin/EngineHost.h"
#include "plugin/ProgramLoader.h"

namespace {

constexpr int32_t kTick = 16;
constexpr int32_t kCycleFlags = TimeInfoFlags::CycleActive | TimeInfoFlags::CyclePositionsValid;
// A host position this close past the cycle end is the host's own wrap.
constexpr double kJustWrapped = 0.15;
constexpr double kPositionJump = 0.5;

void zero(float** outputs, int32_t from, int32_t n) {
    if (n <= 0) return;
    std::fill_n(outputs[0] + from, n, 0.0f);
    std::fill_n(outputs[1] + from, n, 0.0f);
}

}  // namespace

void Engine::processBlock(float** outputs, int32_t frames) {
    if (!outputs || !outputs[0] || !outputs[1] || frames < 0) return;
    RenderState& r = render;
    // While a program loads or the GUI holds the engine, nothing advances:
    // queued events wait and no tick runs.
    if (loader.isBusy() || !hold.enterBlock()) {
        renderStoodStill = true;
        return silenceBlock(outputs, frames);
    }
    // The rate is read inside the block: a rate change writes it while it
    // holds the engine, which no block is then inside.
    r.bypass.setRate(context.sampleRate);
    for (DcBlocker& blocker : r.dc) blocker.setRate(context.sampleRate);
    r.bypass.follow(host.bypassed());
    platform::DenormalGuard denormals;
    if (dcClearPending.load(std::memory_order_relaxed)) {
        dcClearPending.store(false, std::memory_order_relaxed);
        r.dc[0].clear();
        r.dc[1].clear();
    }
    if (const uint32_t holds = hold.holdsSoFar(); holds != holdsSeen) {
        holdsSeen = holds;
        patternReads.invalidate();
        voiceSettingsStale = true;
    }
    queueRequestedAllNotesOff();  // hosts pass no events into a block without MIDI
    readTransport(frames);
    zero(outputs, 0, frames);
    midiOut.sendCarried();
    r.blockSilent = r.silent;
    r.peakLeft = r.peakRight = 0.0f;
    for (int32_t i = 0; i < frames;) {
        if (context.tickSamples >= kTick) {
            runTick(outputs, i);
            // A note that wakes a silent engine sounds from its own tick, not
            // from the next block: the onset would otherwise come up to a
            // block late, and late by how the host cut its blocks.
            r.blockSilent = r.blockSilent && r.silent;
        }
        const int32_t n = std::min({frames - i, kTick - context.tickSamples, RenderState::kSubBlock - r.subCount});
        if (!r.skipAudio.load(std::memory_order_relaxed) && !r.blockSilent) renderVoices(r.subCount, n);
        advanceSongPosition(n);
        context.tickSamples += n;
        r.subCount += n;
        i += n;
    }
    endBlock(outputs, frames);
    renderStoodStill = false;
    // The audio thread is the count's only writer: a plain store, not a
    // locked add, on every host buffer.
    renderedBlocks.store(renderedBlocks.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    hold.leaveBlock();
}

// The tick starts at once, whatever the phase the last call left.
void Engine::renderExportTick() {
    float scratch = 0.0f;
    float* channels[2] = {&scratch, &scratch};
    render.subCount = 0;
    context.tickSamples = 16;
    processBlock(channels, 1);
}

void Engine::silenceBlock(float** outputs, int32_t frames) {
    zero(outputs, 0, frames);
    render.dc[0].clear();
    render.dc[1].clear();
}

void Engine::clearSilentState() {
    silenceCounter = 0;
    render.silent = false;
}

void Engine::setSilenceWindow(int32_t samples) {
    if (samples != silenceWindowSamples) silenceCounter = 0;
    silenceWindowSamples = samples;
}

// ---- transport ------------------------------------------------------------

void Engine::readTransport(int32_t frames) {
    RenderState& r = render;
    r.cycleWrapArmed = false;
    const VstTimeInfo* info = r.ownTransport.load() ? &r.ownTimeInfo : host.transport();
    if (!info) return;
    // A tempo the host cannot mean (NaN) leaves the stored one.
    if (info->tempo == info->tempo) r.hostTempo = std::max(info->tempo, BWSystemInfo::kSlowestTempo);
    const double pos = info->ppqPos;
    if (!(info->flags & TimeInfoFlags::TransportPlaying) || !(pos >= 0.0)) return stopTransport();

    const bool cycle = (info->flags & kCycleFlags) == kCycleFlags;
    const double cycleEnd = info->cycleEndPos;
    const bool justWrapped = cycle && pos > cycleEnd && pos - cycleEnd < kJustWrapped;
    if (std::fabs(context.positionBeats - pos) > kPositionJump && !justWrapped) {
        context.positionBeats = pos;
        context.positionBeatsF = static_cast<float>(pos);
    }
    // The song position moves at the host's own tempo, also below the
    // slowest tempo the engine runs at: the beats are the host's.
    const double step = info->tempo > 0.0 && std::isfinite(info->tempo) ? info->tempo / (60.0 * context.sampleRate)
                                                                          : 1.0 / context.samplesPerBeat;
    r.beatsPerSample = step;
    const double blockEnd = pos + frames * step;
    if (cycle && blockEnd >= cycleEnd && !justWrapped && cycleEnd > pos) {
        r.cycleWrapArmed = true;
        r.cycleWrapPoint = cycleEnd;
        r.cycleStart = info->cycleStartPos;
    }
    // A host rounds its position to its own ticks: within a sample of ours
    // it stands where we do, and the position runs on by its own count, the
    // same however the host cut its blocks.  Further apart (a tempo that
    // moved within the last block, a clock that drifts), the engine's
    // position meets the host's at the end of the block.
    if (!justWrapped && frames > 0 && std::fabs(context.positionBeats - pos) > step)
        r.beatsPerSample = (blockEnd - context.positionBeats) / frames;
    startTransport();
}

void Engine::startTransport() {
    if (context.playing != 0.0f) return;
    context.playing = 1.0f;
    refreshRunState();
    clearSilentState();
}

void Engine::stopTransport() {
    context.positionBeats = 0.0;
    context.positionBeatsF = 0.0f;
    if (context.playing == 0.0f) return;
    context.playing = 0.0f;
    refreshRunState();
}

void Engine::advanceSongPosition(int32_t n) {
    const RenderState& r = render;
    double pos = context.positionBeats;
    // A position no transport moves (none has played yet) takes a step of
    // zero: after the first addition every further one leaves it as it is.
    if (r.beatsPerSample == 0.0 && !r.cycleWrapArmed) n = std::min(n, 1);
    const double step = r.beatsPerSample;
    if (!r.cycleWrapArmed) {
        // The same additions one after another, without a wrap to look for,
        // four to a turn of the loop.
        int32_t k = 0;
        for (; k + 4 <= n; k += 4) {
            pos += step;
            pos += step;
            pos += step;
            pos += step;
        }
        for (; k < n; ++k) pos += step;
    } else {
        for (int32_t k = 0; k < n; ++k) {
            pos += step;
            if (pos >= r.cycleWrapPoint) pos = r.cycleStart;
        }
    }
    context.positionBeats = pos;
    context.positionBeatsF = static_cast<float>(pos);
}

// ---- the tick -------------------------------------------------------------

// The parameters come first: what the host set since the last tick reaches
// the effects before they process the sub-block the tick ends, as it did
// when it was derived the moment the host set it.
void Engine::runTick(float** outputs, int32_t at) {
    takeParameters();
    flushSubBlock(outputs, at);
    context.tickSamples = 0;
    queue.spendFrames(kTick);
    MidiEventRecord event;
    while (queue.takeDue(event)) {
        // Any event starts the count of quiet samples again, at its own tick
        // (not where the host's block that brought it began).
        silenceCounter = 0;
        handleMidiEvent(event);
    }
    applyTempoChange();
    if (isIdle()) return idleTick();
    voicesLetGo = false;
    controlTick(at);
    chain.reverser.tick();
    chain.chorus.tick();
    chain.phaser.tick();
    chain.doubleDelay.tick();
    chain.delay16.tick();
    chain.reverb.tick();
    // The lights stand for layer 1's eight voices.
    render.lights.tick(sequencer.layers[0].passed, context.samplesPerMsPerTick);
}

// The finished sub-block through the effects, in chain order, into the
// outputs ending at `end`, and through the output stages.  The count starts
// again at every flush, also while the export skips audio, so the buffers
// are never overrun.
void Engine::flushSubBlock(float** outputs, int32_t end) {
    RenderState& r = render;
    const int32_t n = r.subCount;
    if (n <= 0) return;
    r.subCount = 0;
    if (r.skipAudio.load(std::memory_order_relaxed)) return;
    // Where the sub-block starts in its tick: a flush ends either a tick or
    // a host block.
    const int32_t first = std::max(context.tickSamples - n, 0);
    float* outLeft = outputs[0] + end - n;
    float* outRight = outputs[1] + end - n;
    if (r.blockSilent) return restSilent(outLeft, outRight, n);
    float* left = r.mainLeft.data();
    float* right = r.mainRight.data();
    chain.reverser.process(left, right, n);
    chain.chorus.process(left, right, n);
    chain.phaser.process(left, right, n);
    chain.doubleDelay.process(left, right, n);
    chain.delay16.process(left, right, n);
    chain.reverb.process(left, right, n);
    mixInto(outLeft, outRight, left, right, r.kick.data(), n, first);
    finishOutputs(outLeft, outRight, n, first);
    testSilence(outLeft, outRight, n, first);
}

// Our buffers are no host output: told so, the compiler mixes several
// samples at once (the same arithmetic, sample by sample).  Both channels
// go in one pass, so that each kick sample is scaled once; the two outputs
// may be one buffer, which then takes the left sum and then the right one
// at each sample, as one channel after the other would leave it.  The
// kick's gain ramps through the tick only while the master envelope moves.
void Engine::mixInto(float* outLeft, float* outRight, const float* __restrict left, const float* __restrict right,
                     const float* __restrict kick, int32_t n, int32_t first) const {
    const float effectsGain = render.effectsReturnGain;
    const TickRamp& kickGain = render.kickGain;
    if (kickGain.steady()) {
        const float gain = kickGain.target;
        for (int32_t k = 0; k < n; ++k) {
            const float kicked = kick[k] * gain;
            outLeft[k] += left[k] * effectsGain + kicked;
            outRight[k] += right[k] * effectsGain + kicked;
        }
        return;
    }
    for (int32_t k = 0; k < n; ++k) {
        const float kicked = kick[k] * kickGain.at(first + k);
        outLeft[k] += left[k] * effectsGain + kicked;
        outRight[k] += right[k] * effectsGain + kicked;
    }
}

// A tempo at or above the limit is never taken, and then nothing is
// refreshed either: the refresh runs only for a tempo that is stored.
void Engine::applyTempoChange() {
    const double tempo = render.hostTempo;
    if (tempo == context.tempo || !(tempo < BWSystemInfo::kTempoLimit)) return;
    if (!changeTempo(tempo)) return;
    setSilenceWindow(static_cast<int32_t>(4.0 * context.samplesPerBeat));
}

// Nothing can be heard and nothing is about to be: the engine is silent, no
// key is held, the running switch is off and the master envelope closed, no
// note is left sounding at the host, and no voice or filter envelope moves.
// Then a tick keeps only the clocks, the lanes and the meters going; the
// trigger stage, the voices, the drift and the effects stand still until
// something wakes the engine (a note, the transport, the running switch).
bool Engine::isIdle() const {
    const RenderState& r = render;
    return r.silent && context.lastVelocity == 0.0f && engine.patterns.records[Tag::RunSwitch].step == 0.0f &&
           r.master.isClosed() && !notesHanging && voices.isSteady() && !r.skipAudio.load(std::memory_order_relaxed);
}

void Engine::idleTick() {
    ++render.idleTicks;
    // Idle ticks never look at the voices: a writer waiting for a sample a
    // resting voice holds would wait in vain.  The voices take their samples
    // again at their next tick.
    if (!voicesLetGo) voices.releaseSamples();
    voicesLetGo = true;
    clockTick();
    patternReads.noteEdits(patternEditCounts());
    sequencerClock();
    stepLanes();
    display.publish(*this, 0.0f, 0.0f);  // the indicators' rest values, once
    render.lights.tick(sequencer.layers[0].passed, context.samplesPerMsPerTick);
}

// The transport ramp, the beat clock with the kick, and the master envelope.
void Engine::clockTick() {
    RenderState& r = render;
    const float ticksPerMs = context.samplesPerMsPerTick;
    if (context.playing >= r.transportRamp) {
        r.transportRamp = context.playing;
        r.transportStep = 0.0f;
    } else {
        if (r.transportStep == 0.0f) {
            r.transportStep = r.transportRamp / (ticksPerMs * engine.output.masterReleaseMs + 1e-18f);
        }
        r.transportRamp -= r.transportStep;
        if (r.transportRamp <= 0.0f) r.transportRamp = r.transportStep = 0.0f;
    }
    beatClock();
    tickKick();
    const float run = engine.patterns.records[Tag::RunSwitch].step;
    const EnvelopeTimes masterTimes =
        masterEnvelopeTimes(engine.raw[Tag::MasterAttack], engine.raw[Tag::MasterRelease]);
    r.master.tick(run, 1.0f, 1.0f, masterTimes, ticksPerMs);
    const float masterTarget = r.master.getLevel() * engine.output.masterGain;
    r.masterGain.moveTo(masterTarget, context.tickReciprocal);
    followKickGain(engine.output.kickToSidechain.stepIndex == 1 ? 0.0f : masterTarget);
}

// The kick bus takes the master gain's target, except that a kick whose
// gain rises from nothing in the middle of a stroke (a phrase that starts
// after silence, or off the beat) stays unheard until its next stroke,
// which starts from zero: heard from where the gain came up, the stroke
// would enter mid-cycle, a step out of silence.  A kick at rest, or one
// that strikes in this very tick, takes the gain at once.
void Engine::followKickGain(float wanted) {
    RenderState& r = render;
    const KickGenerator& kick = voices.kick();
    if (kick.isResting() || kick.getTriggerPulse() > 0.0f) {
        r.kickWaits = false;
    } else if (r.kickGain.target == 0.0f && wanted > 0.0f) {
        r.kickWaits = true;
    }
    r.kickGain.moveTo(r.kickWaits ? 0.0f : wanted, context.tickReciprocal);
}

void Engine::controlTick(int32_t at) {
    clockTick();
    sequencerTick();
    const float triggers = stepLine(2);
    const float ties = stepLine(3);
    notesHanging = false;
    for (int layer = 0; layer < kSoundLayers; ++layer) {
        layerTrigger(layer, triggers, ties);
        noteOutput(layer, at);
    }
    startVoices();
    stepLanes();
    display.publish(*this, triggers, ties);
    tickVoiceChain();
}

void Engine::beatClock() {
    RenderState& r = render;
    // Beats a tick, worked out again only when the tempo or the tick moved.
    const double samplesPerBeat = context.samplesPerBeat;
    if (samplesPerBeat != beatTickBasis[0] || context.tickLength != beatTickBasis[1]) {
        beatTickBasis = {samplesPerBeat, context.tickLength};
        beatsPerTick = context.tickLength / samplesPerBeat;
    }
    r.beatCounter += beatsPerTick;
    if (r.beatCounter >= 2.0) r.beatCounter = 0.0;
    const float run = engine.patterns.records[Tag::RunSwitch].step;
    r.beatPosition = context.playing == 1.0f ? static_cast<double>(context.positionBeatsF)
                                             : r.beatCounter * run + run;
    const float gate = static_cast<float>((static_cast<int64_t>(r.beatPosition) & 1) + 1);
    r.kickRestart = gate != r.beatGate ? gate : 0.0f;
    r.beatGate = gate;

    const float target = static_cast<float>(static_cast<int64_t>(context.positionBeats) & 1);
    if (target != r.beatIndicatorTarget) {
        r.beatIndicatorTarget = target;
        r.beatIndicatorTicks = 800.0f * context.samplesPerMsPerTick;
        r.beatIndicatorStep = (target - r.beatIndicator) / r.beatIndicatorTicks;
    }
    if (r.beatIndicatorTicks > 0.0f) {
        r.beatIndicator += r.beatIndicatorStep;
        if ((r.beatIndicatorTicks -= 1.0f) <= 0.0f) r.beatIndicator = r.beatIndicatorTarget;
    }
}

// ---- output stages and block end ---------------------------------------------

void Engine::endBlock(float** outputs, int32_t frames) {
    flushSubBlock(outputs, frames);
    display.publishPeaks(render.peakLeft, render.peakRight);
    sendMidiOut();
    fadeBypass(outputs, frames);
}

// A silent sub-block's outputs hold zeros from the start: the gain, the
// meters and a DC blocker at rest leave them as they are.
void Engine::restSilent(float* left, float* right, int32_t n) {
    RenderState& r = render;
    const bool blockerAtRest = r.dc[0].x1 == 0.0f && r.dc[0].y1 == 0.0f && r.dc[1].x1 == 0.0f && r.dc[1].y1 == 0.0f;
    if (!blockerAtRest) DcBlocker::runPair(r.dc[0], r.dc[1], left, right, n);
}

// The master gain, the meters' peaks after it and the DC blocker.
void Engine::finishOutputs(float* left, float* right, int32_t n, int32_t first) {
    RenderState& r = render;
    const OutputEnd end = gainMeterAndBlockDc(r.dc[0], r.dc[1], left, right, n, r.masterGain, first);
    r.peakLeft = std::max(r.peakLeft, end.peakLeft);
    r.peakRight = std::max(r.peakRight, end.peakRight);
}

void Engine::sendMidiOut() {
    VstEvents* events = midiOut.takeBlock();
    if (events->numEvents == 0) return;
    RenderState& r = render;
    // The MIDI export's own ticks never reach the host: without its writer
    // (the restart tick before the file starts) their notes are dropped.
    if (r.skipAudio.load() && !r.exportWriter) return;
    if (!r.skipAudio.load()) {
        host.sendNotes(events);
        return;
    }
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const uint8_t bytes[4] = {uint8_t(midi->midiData[0]), uint8_t(midi->midiData[1]),
                                  uint8_t(midi->midiData[2]), 0};
        r.exportWriter->addEvent(bytes, r.ownTimeInfo.ppqPos);
    }
}

// The first sample of every tick against the threshold; four beats of
// ticks below it make the engine silent, from the next tick on, until a
// loud sample, a note-on, a sequencer trigger or a transport start.  Counted
// in whole ticks, the silence starts at the same sample however the host
// cuts its blocks.
void Engine::testSilence(const float* left, const float* right, int32_t n, int32_t first) {
    RenderState& r = render;
    if (noSilentOpt || context.lastVelocity != 0.0f) return;
    if (first == 0) {
        silenceTickQuiet = std::fabs(left[0]) < silenceThreshold && std::fabs(right[0]) < silenceThreshold;
        if (!silenceTickQuiet) clearSilentState();
    }
    const bool tickEnds = first + n >= kTick;
    if (!tickEnds || !silenceTickQuiet) return;
    silenceCounter = std::min(silenceCounter + kTick, silenceWindowSamples);
    if (silenceCounter < silenceWindowSamples || r.silent) return;
    r.dc[0].clear();
    r.dc[1].clear();
    r.mainLeft = {};
    r.mainRight = {};
    r.kick = {};
    r.silent = true;
    r.blockSilent = true;
}

void Engine::fadeBypass(float** outputs, int32_t frames) { render.bypass.run(outputs[0], outputs[1], frames); }
