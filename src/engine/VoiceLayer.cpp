#include "engine/VoiceLayer.h"

#include <algorithm>
#include <cmath>

#include "core/BWSystemInfo.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWSampleZone.h"

namespace {

// The two trigger values alternate so that every trigger is a change, and
// their whole parts (1 and 0) pick alternate layers of the zone table.
constexpr float kTriggerHigh = 1.0f;
constexpr float kTriggerLow = 0.99999899f;

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
    for (Reader& voice : readers) {
        voice.setSystem(&system);
        voice.setRightWanted(false);  // the mix reads the left buffers only
    }
}

void VoiceLayer::restore(const Running& saved) {
    for (Reader& voice : readers) voice.reset();
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

void VoiceLayer::tick(BWRomplerHandler& handler, const VoiceValues& notes, const VoiceValues& gates,
                      float pitchOffset, const AgeSetting& age) {
    for (int k = 0; k < kLayerVoices; ++k) {
        if (gates[k] == gateSeen[k]) continue;
        gateSeen[k] = gates[k];
        if (gates[k] > 0.0f) trigger[k] = trigger[k] == kTriggerHigh ? kTriggerLow : kTriggerHigh;
    }
    for (int k = 0; k < kLayerVoices; ++k) {
        drift[k].tick(system, age);
        clamped[k] = std::fmin(std::fmax(notes[k] + pitchOffset, 0.0f), 127.0f);  // NaN reads as 0
        notesNow[k] = clamped[k] + drift[k].offset(age);
    }
    startOrRender(handler);
}

// A new trigger starts its voice on the zone for (key, layer); a trigger
// that finds no playable zone leaves the voice as it was, still rendering,
// so that it does not repeat its last tick.
void VoiceLayer::startOrRender(const BWRomplerHandler& handler) {
    const BWRomplerHandler::ZoneAccess access(handler);
    for (int k = 0; k < kLayerVoices; ++k) {
        Reader& voice = readers[k];
        if (trigger[k] != triggerSeen[k] && trigger[k] != 0.0f) {
            triggerSeen[k] = trigger[k];
            BWSampleZone* zone = access.zoneFor(static_cast<int32_t>(notesNow[k]), static_cast<int32_t>(trigger[k]));
            if (zone && hasData(zone)) {
                voice.startVoice(zone, notesNow[k], 0.0f);
                continue;
            }
        }
        if (voice.isActive()) {
            voice.setNote(notesNow[k]);
            voice.render(kEngineTick, 0);
        }
    }
}
