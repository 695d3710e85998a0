// The instance's answers to the VST2-style queries: parameter texts and
// properties of the 87 host parameters, lifecycle, identity and
// capabilities.  Host/GUI thread unless a line says otherwise.

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/VstOpcodes.h"
#include "core/VstTypes.h"
#include "platform/Dialogs.h"
#include "plugin/BWUniClient.h"
#include "plugin/EditorHooks.h"

namespace {

// Copies at most size - 1 bytes of text and terminates them.
void copyBounded(char* out, std::string_view text, size_t size) {
    if (!out || size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// What Ableton's host is told on resume.
struct AbletonNote {
    int32_t tag = 0x41624C69;  // 'AbLi'
    int32_t kind = 5;
    int64_t value = 4;
    int32_t size = 4;
};

}  // namespace

void BWUniClient::getParameterLabel(int32_t index, char* text) { getParameterName(index, text); }

void BWUniClient::getParameterDisplay(int32_t index, char* text) {
    if (!text) return;
    const ParamBinding* binding = hostBinding(index);
    if (!binding) {
        copyBounded(text, "empty", kParameterTextBytes);
        return;
    }
    std::snprintf(text, kParameterTextBytes, "%f %s", double(getParameter(index)), binding->label.c_str());
}

bool BWUniClient::getParameterProperties(int32_t index, VstParameterProperties* properties) {
    if (!properties) return false;
    const ParamBinding* binding = hostBinding(index);
    properties->flags = 0;
    if (!binding) {
        copyBounded(properties->label, "empty", sizeof properties->label);
        return false;
    }
    copyBounded(properties->label, binding->name, sizeof properties->label);
    if (binding->type & kBindingTypeSwitch) properties->flags |= ParameterFlags::IsSwitch;
    if (isHostPrivate() && binding->hostPrivateProperty) properties->reserved = 3;
    return true;
}

void BWUniClient::setParameterAutomated(int32_t index, float value) {
    if (index > kHostParameterCount - 1) return;
    BWPluginBase::setParameterAutomated(index, value);
}

bool BWUniClient::beginEdit(int32_t index) {
    return index < kHostParameterCount && BWPluginBase::beginEdit(index);
}

bool BWUniClient::endEdit(int32_t index) { return index < kHostParameterCount && BWPluginBase::endEdit(index); }

void BWUniClient::resume() {
    if (audioMaster) callHost(HostOpcode::WantMidi);
    if (hostCode == kHostAbleton && audioMaster) {
        AbletonNote note;
        callHost(HostOpcode::VendorSpecific, 0, 0, &note, 0.0f);
    }
}

// The tracked buffers are what the render reads and writes: they are cleared
// in the instance's turn with the engine held, as a load clears them; while
// the MIDI export renders, when it ends.
void BWUniClient::suspend() {
    assert(hold.notRenderingHere());
    bool cleared = false;
    inTurnOrParked([&] { return cleared = parkedState.keepSuspend(); },
                   [&] {
                       EngineHoldScope held(hold, EngineHold::kLoadTries);
                       if (!held.held()) return;
                       resetTrackedBuffers();
                       cleared = true;
                   });
    if (!cleared) platform::reportNonBlocking("Zorvane: the audio engine stayed busy: its buffers were not cleared");
}

// Called with the engine held.  Blocks that only the render writes are left
// alone when the engine has rendered nothing since they were last cleared.
void BWUniClient::resetTrackedBuffers() {
    const uint32_t rendered = engine.blocksRendered();
    trackedBuffers.resetAll(rendered != blocksAtLastReset);
    engine.silenceMemories();
    blocksAtLastReset = rendered;
}

// The lines and effects are sized off the audio thread; the engine is held
// meanwhile, so the render never meets a line being replaced.  While the
// MIDI export renders at the rate it began with, the new one waits for its
// end.
void BWUniClient::setSampleRate(float rate) {
    assert(hold.notRenderingHere());
    bool taken = false;
    inTurnOrParked([&] { return taken = parkedState.keepRate(rate); },
                   [&] {
                       EngineHoldScope held(hold, EngineHold::kLoadTries);
                       if (!held.held()) return;
                       BWPluginBase::setSampleRate(rate);
                       engine.prepareSampleRate(sampleRate);
                       taken = true;
                   });
    if (!taken) platform::reportNonBlocking("Zorvane: the audio engine stayed busy: the new sample rate was not taken");
}

bool BWUniClient::getEffectName(char* name) {
    copyBounded(name, kProductName, kParameterTextBytes);
    return true;
}

bool BWUniClient::getProductString(char* text) {
    copyBounded(text, kProductName, kParameterTextBytes);
    return true;
}

bool BWUniClient::getVendorString(char* text) {
    copyBounded(text, kVendorName, kParameterTextBytes);
    return true;
}

bool BWUniClient::getOutputProperties(int32_t index, VstPinProperties* properties) {
    if (index < 0 || index > 1 || !properties) return false;
    properties->flags = PinFlags::IsActive | PinFlags::IsStereo;
    if (index % 2 == 0) {
        std::snprintf(properties->label, sizeof properties->label, "%s %d-%d", kProductName, index + 1, index + 2);
    } else {
        std::snprintf(properties->label, sizeof properties->label, "%s %d", kProductName, index + 1);
    }
    return true;
}

// The one vendor request taken: its float goes to the editor's hook.
intptr_t BWUniClient::vendorSpecific(int32_t index, intptr_t value, void*, float opt) {
    constexpr int32_t kPresetRequest = 0x50726553;  // 'PreS'
    constexpr intptr_t kAeCs = 0x41654373;          // 'AeCs'
    if (index == kPresetRequest && value == kAeCs) {
        if (EditorHooks* hooks = editorHooks()) hooks->vendorHook(opt);
    }
    return 0;
}

int32_t BWUniClient::canDo(const char* text) {
    if (!text) return -1;
    static constexpr const char* kCan[] = {"receiveVstEvents", "receiveVstMidiEvent", "sendVstMidiEvent",
                                           "sendVstEvent", "receiveVstTimeInfo"};
    for (const char* can : kCan) {
        if (std::strcmp(text, can) == 0) return 1;
    }
    if (std::strcmp(text, "hasAboutScreen") == 0) {
        const EditorHooks* hooks = editorHooks();
        return hooks && hooks->holdsHookMenu() ? 1 : 0;
    }
    return -1;
}

EditorHooks* BWUniClient::editorHooks() const { return dynamic_cast<EditorHooks*>(editor); }

void BWUniClient::openHookMenu() {
    if (EditorHooks* hooks = editorHooks()) hooks->openHookMenu();
}

void BWUniClient::openManual() {
    if (EditorHooks* hooks = editorHooks()) hooks->openManual();
}

void BWUniClient::hook5() {
    if (EditorHooks* hooks = editorHooks()) hooks->fifthHook();
}

bool BWUniClient::isKeyInputBlocked() {
    const EditorHooks* hooks = editorHooks();
    return hooks && hooks->isKeyInputBlocked();
}

void BWUniClient::reportPageVisibility(int32_t page, bool visible) {
    callHost(HostOpcode::PageVisibility, page, visible ? 1 : 0);
}

void BWUniClient::takeMouseAreaReadings(int32_t tag, float x, float y) {
    switch (tag) {
        case Tag::PatternKeys: models.patternKeysArea.setValue(x); return;
        case Tag::FilterType:
            models.filterTypeArea.setValue(x);
            inbox.filterTypeCompanion.store(y, std::memory_order_relaxed);
            return;
        case Tag::ModulationTrackArea: models.modulationArea.setValue(x); return;
        default: return;
    }
}
