#include "core/AudioEffectX.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/VstOpcodes.h"

namespace {

// The host sends key modifiers as a float; a value without a 32-bit integer
// part (NaN, huge) carries no modifier.
uint8_t lowByteOfWhole(float value) {
    if (!(std::fabs(value) < 2147483648.0f)) return 0;
    return static_cast<uint8_t>(static_cast<int32_t>(value));
}

template <typename T>
T* asPointer(intptr_t value) {
    return reinterpret_cast<T*>(value);
}

}  // namespace

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    const auto value32 = static_cast<int32_t>(value);
    switch (opcode) {
    case EffectOpcode::ProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
    case EffectOpcode::CanParameterBeAutomated: return canParameterBeAutomated(index);
    case EffectOpcode::String2Parameter: return string2parameter(index, static_cast<const char*>(ptr));
    case EffectOpcode::GetProgramNameIndexed:
        return getProgramNameIndexed(value32, index, static_cast<char*>(ptr));
    case EffectOpcode::GetInputProperties:
        return getInputProperties(index, static_cast<VstPinProperties*>(ptr));
    case EffectOpcode::GetOutputProperties:
        return getOutputProperties(index, static_cast<VstPinProperties*>(ptr));
    case EffectOpcode::GetPlugCategory: return getPlugCategory();
    case EffectOpcode::OfflineNotify: return offlineNotify(ptr, value32, index != 0);
    case EffectOpcode::OfflinePrepare: return offlinePrepare(ptr, value32);
    case EffectOpcode::OfflineRun: return offlineRun(ptr, value32);
    case EffectOpcode::ProcessVariableIo: return processVariableIo(ptr);
    case EffectOpcode::SetSpeakerArrangement:
        return setSpeakerArrangement(asPointer<VstSpeakerArrangement>(value),
                                     static_cast<VstSpeakerArrangement*>(ptr));
    case EffectOpcode::SetBypass: return setBypass(value != 0);
    case EffectOpcode::GetEffectName: return getEffectName(static_cast<char*>(ptr));
    case EffectOpcode::GetVendorString: return getVendorString(static_cast<char*>(ptr));
    case EffectOpcode::GetProductString: return getProductString(static_cast<char*>(ptr));
    case EffectOpcode::GetVendorVersion: return getVendorVersion();
    case EffectOpcode::VendorSpecific: return vendorSpecific(index, value, ptr, opt);
    case EffectOpcode::CanDo: return canDo(static_cast<const char*>(ptr));
    case EffectOpcode::GetTailSize: return getGetTailSize();
    case EffectOpcode::GetParameterProperties:
        return getParameterProperties(index, static_cast<VstParameterProperties*>(ptr));
    case EffectOpcode::GetVstVersion: return getVstVersion();
    case EffectOpcode::EditorKeyDown:
    case EffectOpcode::EditorKeyUp:
    case EffectOpcode::EditorSetKnobMode:
        return editor ? dispatchEditorExtension(opcode, value, index, opt) : 0;
    case EffectOpcode::GetMidiProgramName: return getMidiProgramName(index, ptr);
    case EffectOpcode::GetCurrentMidiProgram: return getCurrentMidiProgram(index, ptr);
    case EffectOpcode::GetMidiProgramCategory: return getMidiProgramCategory(index, ptr);
    case EffectOpcode::HasMidiProgramsChanged: return hasMidiProgramsChanged(index);
    case EffectOpcode::GetMidiKeyName: return getMidiKeyName(index, ptr);
    case EffectOpcode::BeginSetProgram: return beginSetProgram();
    case EffectOpcode::EndSetProgram: return endSetProgram();
    case EffectOpcode::GetSpeakerArrangement:
        return getSpeakerArrangement(asPointer<VstSpeakerArrangement*>(value),
                                     static_cast<VstSpeakerArrangement**>(ptr));
    case EffectOpcode::GetNextShellPlugin: return getNextShellPlugin(static_cast<char*>(ptr));
    case EffectOpcode::StartProcess: return startProcess();
    case EffectOpcode::StopProcess: return stopProcess();
    case EffectOpcode::SetTotalSampleToProcess: return setTotalSampleToProcess(value32);
    case EffectOpcode::SetPanLaw: return setPanLaw(value32, opt);
    case EffectOpcode::BeginLoadBank: return beginLoadBank(ptr);
    case EffectOpcode::BeginLoadProgram: return beginLoadProgram(ptr);
    case EffectOpcode::SetProcessPrecision: return setProcessPrecision(value32);
    case EffectOpcode::GetNumMidiInputChannels: return getNumMidiInputChannels();
    case EffectOpcode::GetNumMidiOutputChannels: return getNumMidiOutputChannels();
    default: return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

intptr_t AudioEffectX::dispatchEditorExtension(int32_t opcode, intptr_t value, int32_t index, float opt) {
    VstKeyCode key{index, static_cast<uint8_t>(value), lowByteOfWhole(opt)};
    switch (opcode) {
    case EffectOpcode::EditorKeyDown: return editor->onKeyDown(key);
    case EffectOpcode::EditorKeyUp: return editor->onKeyUp(key);
    case EffectOpcode::EditorSetKnobMode: return editor->setKnobMode(static_cast<int32_t>(value));
    default: return 0;
    }
}

void AudioEffectX::resume() {
    if (hasFlag(EffectFlags::IsSynth) || canDo("receiveVstMidiEvent") == 1) wantEvents(1);
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

// Host requests.  callHost answers 0 without a host, which gives each request
// its fall-back answer.

bool AudioEffectX::beginEdit(int32_t index) { return callHost(HostOpcode::BeginEdit, index) != 0; }

bool AudioEffectX::endEdit(int32_t index) { return callHost(HostOpcode::EndEdit, index) != 0; }

bool AudioEffectX::ioChanged() { return callHost(HostOpcode::IoChanged) != 0; }

double AudioEffectX::updateSampleRate() {
    const intptr_t rate = callHost(HostOpcode::GetSampleRate);
    if (rate > 0) sampleRate = static_cast<float>(rate);
    return sampleRate;
}

int32_t AudioEffectX::updateBlockSize() {
    const auto size = static_cast<int32_t>(callHost(HostOpcode::GetBlockSize));
    if (size > 0) blockSize = size;
    return blockSize;
}

int32_t AudioEffectX::getInputLatency() {
    return static_cast<int32_t>(callHost(HostOpcode::GetInputLatency));
}

int32_t AudioEffectX::getOutputLatency() {
    return static_cast<int32_t>(callHost(HostOpcode::GetOutputLatency));
}

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
    return asPointer<VstTimeInfo>(callHost(HostOpcode::GetTime, 0, filter));
}

int32_t AudioEffectX::getCurrentProcessLevel() {
    return static_cast<int32_t>(callHost(HostOpcode::GetCurrentProcessLevel));
}

int32_t AudioEffectX::getAutomationState() {
    return static_cast<int32_t>(callHost(HostOpcode::GetAutomationState));
}

bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(HostOpcode::GetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    return callHost(HostOpcode::GetProductString, 0, 0, text) != 0;
}

int32_t AudioEffectX::getHostVendorVersion() {
    return static_cast<int32_t>(callHost(HostOpcode::GetVendorVersion));
}

intptr_t AudioEffectX::hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptrArg, float floatArg) {
    return callHost(HostOpcode::VendorSpecific, arg1, arg2, ptrArg, floatArg);
}

// The host only reads the text.
int32_t AudioEffectX::canHostDo(const char* text) {
    return callHost(HostOpcode::CanDo, 0, 0, const_cast<char*>(text)) != 0 ? 1 : 0;
}

int32_t AudioEffectX::getHostLanguage() { return static_cast<int32_t>(callHost(HostOpcode::GetLanguage)); }

void* AudioEffectX::getDirectory() { return asPointer<void>(callHost(HostOpcode::GetDirectory)); }

int32_t AudioEffectX::getPlugCategory() {
    return hasFlag(EffectFlags::IsSynth) ? PlugCategory::Synth : PlugCategory::Unknown;
}

bool AudioEffectX::updateDisplay() { return callHost(HostOpcode::UpdateDisplay) != 0; }

bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
    return callHost(HostOpcode::SizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(void* selector) {
    return selector && callHost(HostOpcode::OpenFileSelector, 0, 0, selector) != 0;
}

bool AudioEffectX::closeFileSelector(void* selector) {
    return selector && callHost(HostOpcode::CloseFileSelector, 0, 0, selector) != 0;
}

bool AudioEffectX::offlineRead(void* task, int32_t option, bool readSource) {
    return callHost(HostOpcode::OfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool AudioEffectX::offlineWrite(void* task, int32_t option) {
    return callHost(HostOpcode::OfflineWrite, 0, option, task) != 0;
}

bool AudioEffectX::offlineStart(void* files, int32_t numAudioFiles, int32_t numNewAudioFiles) {
    return callHost(HostOpcode::OfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
}

int32_t AudioEffectX::offlineGetCurrentPass() {
    return callHost(HostOpcode::OfflineGetCurrentPass) != 0 ? 1 : 0;
}

int32_t AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(HostOpcode::OfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void AudioEffectX::wantEvents(int32_t filter) { callHost(HostOpcode::WantMidi, 0, filter); }

int32_t AudioEffectX::tempoAt(int32_t position) {
    return static_cast<int32_t>(callHost(HostOpcode::TempoAt, 0, position));
}

int32_t AudioEffectX::getNumAutomatableParameters() {
    return static_cast<int32_t>(callHost(HostOpcode::GetNumAutomatableParameters));
}

int32_t AudioEffectX::getParameterQuantization() {
    return static_cast<int32_t>(callHost(HostOpcode::GetParameterQuantization));
}

bool AudioEffectX::needIdle() { return callHost(HostOpcode::NeedIdle) != 0; }

// The host is not told which pin is meant.
AEffect* AudioEffectX::getPreviousPlug(int32_t /*input*/) {
    return asPointer<AEffect>(callHost(HostOpcode::GetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(int32_t /*output*/) {
    return asPointer<AEffect>(callHost(HostOpcode::GetNextPlug));
}

int32_t AudioEffectX::willProcessReplacing() {
    return static_cast<int32_t>(callHost(HostOpcode::WillReplaceOrAccumulate));
}

void AudioEffectX::setOutputSamplerate(float rate) {
    callHost(HostOpcode::SetOutputSampleRate, 0, 0, nullptr, rate);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return asPointer<VstSpeakerArrangement>(callHost(HostOpcode::GetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return asPointer<VstSpeakerArrangement>(callHost(HostOpcode::GetOutputSpeakerArrangement));
}

void* AudioEffectX::openWindow(void* window) {
    return asPointer<void>(callHost(HostOpcode::OpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(void* window) { return callHost(HostOpcode::CloseWindow, 0, 0, window) != 0; }

bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath && callHost(HostOpcode::GetChunkFile, 0, 0, nativePath) != 0;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return callHost(HostOpcode::ProcessEvents, 0, 0, events) == 1;
}

// Speaker arrangements.

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, int32_t nbChannels) {
    if (!arrangement) return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    if (nbChannels < 0) return false;
    const size_t bytes =
        sizeof(VstSpeakerArrangement) + sizeof(VstSpeakerProperties) * static_cast<size_t>(nbChannels);
    auto* block = static_cast<VstSpeakerArrangement*>(std::calloc(1, bytes));
    if (!block) return false;
    block->numChannels = nbChannels;
    *arrangement = block;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    if (!arrangement) return false;
    std::free(*arrangement);
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (!to || !from) return false;
    std::strncpy(to->name, from->name, sizeof(to->name) - 1);
    to->name[sizeof(to->name) - 1] = 0;
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (!from) return false;
    if (to && *to == from) return true;  // freeing *to first would free the source
    if (!deallocateArrangement(to) || !allocateArrangement(to, from->numChannels)) return false;
    (*to)->type = from->type;
    for (int32_t channel = 0; channel < from->numChannels; ++channel) {
        if (!copySpeaker(&(*to)->speakers[channel], &from->speakers[channel])) return false;
    }
    return true;
}
