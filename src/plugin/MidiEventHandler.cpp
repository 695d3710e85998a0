// MIDI event application: the held-note table the phrases are built from,
// the sustain pedal, controllers with MIDI learn, pitch bend, program
// changes and channel pressure.  Audio thread, from the render routine's
// ticks; nothing here allocates.
//
// Data bytes are masked to 7 bits before they index anything, whatever the
// queue holds.

#include <algorithm>

#include "core/BWSystemInfo.h"
#include "plugin/Engine.h"
#include "plugin/ParameterInbox.h"
#include "plugin/ProgramLoader.h"

namespace {

constexpr int32_t kSustainPedal = 64;
constexpr float kVelocityScale = 0.0078125f;  // 1/128
constexpr float kControllerScale = 0.007874016f;  // 1/127

}  // namespace

void Engine::handleMidiEvent(const MidiEventRecord& event) {
    checkThread();
    const int32_t data1 = event.data1 & 0x7F;
    const int32_t data2 = event.data2 & 0x7F;
    switch (event.code) {
        case kEventNoteOn: return noteOn(data1, data2);
        case kEventNoteOff: return noteOff(data1);
        case kEventAllNotesOff: return allNotesOff();
        case kEventController: return controllerEvent(data1, data2);
        case kEventPitchBend: {
            const int32_t v = data2 * 128 + data1 - 8192;
            context.pitchBend = static_cast<float>(v) * (v >= 0 ? 1.0f / 8191.0f : 1.0f / 8192.0f);
            return;
        }
        case kEventProgramChange:
            context.programNumber = static_cast<float>(data1);
            loader.request(data1);
            return;
        case kEventChannelPressure: return pressureEvent(data1);
        default: return;
    }
}

void Engine::noteOn(int32_t note, int32_t velocity) {
    clearSilentState();
    RenderState& r = render;
    const float v = static_cast<float>(velocity) * kVelocityScale + RenderState::kVelocityOffsets[r.velocityRingIndex];
    r.velocityRingIndex = (r.velocityRingIndex + 1) % RenderState::kVelocityRing;

    constexpr int32_t slots = BWSystemInfo::kChordSize;
    const int32_t first = context.nextVoice;
    int32_t slot = first;
    if (context.voiceVelocity[slot] != 0.0f) {
        slot = -1;
        for (int32_t i = first + 1; i < slots && slot < 0; ++i) {
            if (context.voiceVelocity[i] == 0.0f) slot = i;
        }
        for (int32_t i = 0; i < first && slot < 0; ++i) {
            if (context.voiceVelocity[i] == 0.0f) slot = i;
        }
        if (slot < 0) slot = first;
    }
    if (slot >= slots) slot = 0;
    const float frequency = context.noteFrequency(static_cast<float>(note));
    context.voiceVelocity[slot] = v;
    context.voiceNote[slot] = static_cast<float>(note);
    context.voiceFrequency[slot] = frequency;
    context.lastVelocity = v;
    context.lastNote = static_cast<float>(note);
    context.lastNoteFrequency = frequency;
    context.nextVoice = (slot + 1) % slots;
    refreshHeldNotes();
}

void Engine::noteOff(int32_t note) {
    if (render.sustain) {
        ++render.deferredReleases[note];  // 8 bits: a count past 255 wraps, as stored
        return;
    }
    constexpr int32_t slots = BWSystemInfo::kChordSize;
    for (int32_t i = 0; i < slots; ++i) {
        if (context.voiceNote[i] == static_cast<float>(note) && context.voiceVelocity[i] != 0.0f) {
            context.voiceVelocity[i] = 0.0f;
        }
    }
    // The most recent note still held: below the next slot first, newest
    // first, then from the top down to the next slot.
    int32_t held = -1;
    for (int32_t i = context.nextVoice - 1; i >= 0 && held < 0; --i) {
        if (context.voiceVelocity[i] != 0.0f) held = i;
    }
    for (int32_t i = slots - 1; i >= context.nextVoice && held < 0; --i) {
        if (context.voiceVelocity[i] != 0.0f) held = i;
    }
    if (held >= 0) {
        context.lastVelocity = context.voiceVelocity[held];
        context.lastNote = context.voiceNote[held];
        context.lastNoteFrequency = context.voiceFrequency[held];
    } else {
        context.lastVelocity = 0.0f;
        context.channelPressure = 0.0f;
    }
    refreshHeldNotes();
}

void Engine::allNotesOff() {
    for (int32_t i = 0; i < BWSystemInfo::kChordSize; ++i) {
        context.voiceVelocity[i] = 0.0f;
        context.voiceNote[i] = 0.0f;
    }
    context.lastVelocity = 0.0f;
    context.channelPressure = 0.0f;
    context.nextVoice = 0;
    refreshHeldNotes();
}

// The armed learn target joins the list unless it is there already or the
// list is full: the list never grows on the audio thread.
void Engine::learnInto(std::vector<LearnEntry>& list, bool count) {
    std::vector<LearnEntry>& targets = learn.targets();
    if (targets.empty() || targets.front().tag < 0) return;
    const LearnEntry entry = targets.front();
    targets.erase(targets.begin());
    bool present = false;
    for (const LearnEntry& e : list) present = present || e == entry;
    if (!present && list.size() < std::min(list.capacity(), kLearnCapacity)) list.push_back(entry);
    learn.armed.store(!targets.empty());
    if (count) learn.changeCount.fetch_add(1);
}

// A learned sound parameter acts at once; an interface index (which may
// edit the pattern models) waits in the inbox for the next tick's take, so
// that it never edits a model a save is reading.  A clipboard button's edit
// waits for the front's idle (ClipboardRequests.h).
void Engine::applyLearned(const std::vector<LearnEntry>& list, float value) {
    for (const LearnEntry& entry : list) {
        render.currentSubIndex = entry.subIndex;
        if (entry.tag >= Tag::FirstPatternIndex && entry.tag <= Tag::HighestIndex) {
            const float v = std::clamp(value, 0.0f, 1.0f);
            if (ClipboardRequests::acts(entry.tag, inbox.value(entry.tag), v)) clipboardPresses.post(entry.tag);
            inbox.store(entry.tag, v);
        } else {
            send(entry.tag, value);
        }
    }
}

void Engine::controllerEvent(int32_t number, int32_t value) {
    if (learn.editing.load()) return;
    context.controllerValues[number] = static_cast<float>(value) * kControllerScale;
    std::vector<LearnEntry>& list = learn.controller(number);
    learnInto(list, true);
    applyLearned(list, static_cast<float>(value) / 127.0f);
    if (number != kSustainPedal) return;
    render.sustain = value >= 64;
    if (render.sustain) return;
    for (int32_t note = 0; note < 128; ++note) {
        for (; render.deferredReleases[note] > 0; --render.deferredReleases[note]) noteOff(note);
    }
}

void Engine::pressureEvent(int32_t value) {
    std::vector<LearnEntry>& list = learn.pressure();
    learnInto(list, false);
    applyLearned(list, static_cast<float>(value) / 127.0f);
    context.channelPressure = static_cast<float>(value) / 127.0f;
}
