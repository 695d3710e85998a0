#include "engine/VoiceLayer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/BWSystemInfo.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWSampleData.h"
#include "engine/BWSampleZone.h"
#include "engine/Float4.h"
#include "engine/VoiceKernels.h"
#include "platform/CpuFeatures.h"

namespace {

// The two trigger values alternate so that every trigger is a change, and
// their whole parts (1 and 0) pick alternate layers of the zone table.
constexpr float kTriggerHigh = 1.0f;
constexpr float kTriggerLow = 0.99999899f;

// Up to this many voices sounding, a layer's read steps come sooner with
// the pitch table read pair by pair than gathered (VoiceKernels); with more,
// the gathers' fewer instructions are faster, on Intel's cores.  Where
// gathers are slow (AMD's) the pairs serve every layer: 24 voices 43.6 ->
// 41.6 and 42.9 -> 42.3 ns a frame in two runs on a Zen 4 core.  Both give
// the same bits.
constexpr int kFewSounding = 2;

int fewSounding() { return platform::cpuHasSlowGathers() ? kLayerVoices : kFewSounding; }

// A zone is worth starting only when its sample holds frames; a sample in the
// middle of being replaced is started and plays once its data is there.
bool hasData(BWSampleZone* zone) {
    BWSampleData& sample = zone->getSample();
    if (!sample.beginRead()) return true;
    const bool frames = sample.getLeft() != nullptr && sample.getFrames() > 0;
    sample.endRead();
    return frames;
}

}  // namespace

VoiceLayer::VoiceLayer(BWSystemInfo& system) : system(system) {
    for (int k = 0; k < kLayerVoices; ++k) {
        readers[k].setSystem(&system);
        readers[k].setRightWanted(false);  // the mix reads the left buffers only
        reads[k] = readers[k].voiceRead();
    }
}

VoiceLayer::~VoiceLayer() = default;  // each voice lets go as it unbinds

void VoiceLayer::releaseSamples() {
    for (Reader& voice : readers) voice.letGo();
}

bool VoiceLayer::holdSample(Reader& voice) {
    if (voice.isHolding()) {
        if (!voice.writerWaits()) return true;
        voice.letGo();
        return false;
    }
    if (!voice.takeHold()) return false;
    factsStale = true;  // the values may have been replaced while not held
    return true;
}

void VoiceLayer::restore(const Running& saved) {
    for (Reader& voice : readers) voice.reset();
    sounding = 0;
    fading = 0;
    drift = saved.drift;
    clamped = saved.clamped;
    notesNow = saved.notesNow;
    trigger = saved.trigger;
    triggerSeen = saved.triggerSeen;
    gateSeen = saved.gateSeen;
}

void VoiceLayer::attachTo(BWRomplerHandler& handler) {
    for (Reader& voice : readers) handler.addVoice(&voice);
}

// A gate that moved is taken, and one that rose above 0 flips its voice's
// trigger (a NaN gate never equals the one seen, and never rises); answers
// whether a trigger differs from the one the last start acted on.  Four
// voices at a time, as this runs every tick for every layer.
//
// Most ticks bring the very gates of the last one: then nothing is taken and
// nothing flips (an unchanged NaN never rises either), and no trigger is new,
// as every start leaves each trigger equal to the one it acted on (or 0,
// before the first).  Such a tick returns after one comparison.
bool VoiceLayer::takeGates(const VoiceValues& gates) {
    if (std::memcmp(gates.data(), gateSeen.data(), sizeof gates) == 0) return false;
    Int4 fresh{};
    for (int k = 0; k < kLayerVoices; k += 4) {
        const Float4 gate = load4(gates.data() + k), seen = load4(gateSeen.data() + k);
        const Float4 now = load4(trigger.data() + k);
        const Int4 moved = ~(gate == seen);
        store4(gateSeen.data() + k, moved ? gate : seen);
        const Float4 flipped = now == kTriggerHigh ? Float4{} + kTriggerLow : Float4{} + kTriggerHigh;
        const Float4 next = moved & (gate > 0.0f) ? flipped : now;
        store4(trigger.data() + k, next);
        fresh |= (next != load4(triggerSeen.data() + k)) & (next != 0.0f);
    }
    return (fresh[0] | fresh[1] | fresh[2] | fresh[3]) != 0;
}

void VoiceLayer::tick(BWRomplerHandler& handler, const VoiceValues& notes, const VoiceValues& gates,
                      float pitchOffset, const AgeSetting& age) {
    followNotes(notes, gates, pitchOffset, age);
    playTick(handler);
}

// Only a voice sounding now can read on with its step this tick: a voice
// starting takes its own.
void VoiceLayer::followNotes(const VoiceValues& notes, const VoiceValues& gates, float pitchOffset,
                             const AgeSetting& age) {
    const voicelanes::VoiceKernels& kernels = voiceKernels();
    triggered = takeGates(gates);
    kernels.driftNotes(system.randomState, drift, age.timeMs * system.samplesPerMsPerTick, notes.data(), pitchOffset,
                       age.depth, clamped.data(), notesNow.data());
    if (sounding == 0) return;
    const auto work = std::popcount(sounding) <= fewSounding() ? kernels.incrementsOfFew : kernels.increments;
    work(&system.pitchRatioTable[0].value, notesNow.data(), zoneFacts.root, zoneFacts.tune, zoneFacts.rate,
         system.sampleRate, increments);
}

void VoiceLayer::playTick(BWRomplerHandler& handler) {
    fading = 0;
    const voicelanes::VoiceKernels& kernels = voiceKernels();
    // Zones are looked up, and their voices started, inside the handler's
    // zone access; a tick without a new trigger needs none.
    // A layer with no voice sounding and none to start is done here, before
    // the render's call and its set-up.
    if (!triggered) {
        if (sounding != 0) renderVoices(kernels, 0);
        return;
    }
    const BWRomplerHandler::ZoneAccess access(handler);
    renderVoices(kernels, startVoices(access));
}

// A new trigger starts its voice on the zone for (key, layer); a trigger
// that finds no playable zone leaves the voice as it was, still rendering,
// so that it does not repeat its last tick.
uint32_t VoiceLayer::startVoices(const BWRomplerHandler::ZoneAccess& access) {
    uint32_t started = 0;
    for (int k = 0; k < kLayerVoices; ++k) {
        if (trigger[k] == triggerSeen[k] || trigger[k] == 0.0f) continue;
        triggerSeen[k] = trigger[k];
        BWSampleZone* zone = access.zoneFor(static_cast<int32_t>(notesNow[k]), static_cast<int32_t>(trigger[k]));
        if (!zone || !hasData(zone)) continue;
        // A voice that has played before fades its old sound out first.
        if (readers[k].hasPlayed()) fading |= 1u << k;
        readers[k].beginStart(zone, notesNow[k]);
        started |= 1u << k;
    }
    return started;
}

// Every started or sounding voice renders the tick; a sounding one first
// follows its note (its increment from followNotes).  The samples they read
// stay open from tick to tick.  The voices reading clear, by far the most
// ticks, read in one kernel call, and while no writer waits for any
// sample none of them looks at its own sample's gate; the others follow,
// each with its checks.
void VoiceLayer::renderVoices(const voicelanes::VoiceKernels& kernels, uint32_t started) {
    const uint32_t candidates = sounding | started;
    const uint32_t continuing = candidates & ~started;
    // A voice that ends in this tick still sounds in its first frames.
    uint32_t rendering = started;
    uint32_t rest = candidates;
    if (continuing != 0) {
        // A clear record stands only on an active voice that holds its sample.
        if (!BWSampleData::isAnyWriterWaiting()) {
            const uint32_t read = kernels.readClearTicks(reads.data(), continuing, increments);
            rendering |= read;
            rest &= ~read;
        }
    }
    for (; rest != 0; rest &= rest - 1) {
        const int k = std::countr_zero(rest);
        Reader& voice = readers[k];
        if (!(started >> k & 1u)) {
            if (!voice.isActive()) continue;
            voice.setIncrement(increments[k]);
        }
        rendering |= 1u << k;
        // A clear record stands only while the sample stays held.
        if (voice.readsClear() && !voice.writerWaits()) {
            voice.readClear(kernels);
            continue;
        }
        voice.renderTick(holdSample(voice), kernels);
    }
    sounding = rendering;
    // What the next tick's increments take, as each voice now stands (kept
    // apart from the tick's work, so that its eight-wide reads never wait on
    // these stores): they change only when a voice starts or a sample is
    // taken anew.
    if (started == 0 && !factsStale) return;
    factsStale = false;
    for (int k = 0; k < kLayerVoices; ++k) {
        if (!(rendering >> k & 1u)) continue;
        const BWSampleZone* zone = readers[k].getZone();
        zoneFacts.root[k] = zone ? static_cast<float>(zone->getRootKey()) : 0.0f;
        zoneFacts.tune[k] = zone ? zone->getTune() : 0.0f;
        zoneFacts.rate[k] = readers[k].getDataRate();
    }
}
