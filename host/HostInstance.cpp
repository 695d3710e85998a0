#include "host/HostInstance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "aax/AAX_CString.h"
#include "aax/RenderReadiness.h"
#include "host/AllocationWatch.h"
#include "host/HostDescription.h"
#include "host/HostPageTable.h"

namespace {

using CreateProc = IACFUnknown* (*)();
constexpr uint32_t kChunkID = fourCharID("BWZv");
constexpr uint32_t kGlobalPresetID = fourCharID("BWZp");
constexpr uint32_t kSoundPresetID = fourCharID("BWZq");
constexpr uint32_t kSequencePresetID = fourCharID("BWZk");

std::string format(const char* pattern, auto... values) {
    char text[160];
    std::snprintf(text, sizeof(text), pattern, values...);
    return text;
}

}  // namespace

// ---- MIDI nodes and view container ----------------------------------------

AAX_CMidiStream* HostMidiNode::GetNodeBuffer() {
    stream.mBufferSize = uint32_t(pending.size());
    stream.mBuffer = pending.empty() ? nullptr : pending.data();
    return &stream;
}

AAX_Result HostMidiNode::PostMIDIPacket(AAX_CMidiPacket* packet) {
    if (!packet) return AAX_ERROR_NULL_ARGUMENT;
    AllocationWatch::Pause hostBookkeeping;
    posted.push_back(*packet);
    timeline.emplace_back(blockStart + packet->mTimestamp, *packet);
    return AAX_SUCCESS;
}

ACFRESULT HostViewContainer::QueryInterface(const acfIID& iid, void** out) {
    return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFViewContainer});
}

AAX_Result HostViewContainer::GetModifiers(uint32_t* modifiers) {
    if (modifiers) *modifiers = 0;
    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::SetViewSize(AAX_Point& size) {
    sizes.push_back(size);
    if (resized) resized(int32_t(size.horz), int32_t(size.vert));
    return AAX_SUCCESS;
}

// ---- instance -----------------------------------------------------------------

HostInstance::HostInstance(const HostEffectDescriptor& effect, int channels, float rate, double tempo)
    : sampleRate(rate), description(effect), channelCount(channels == 1 ? 1 : 2) {
    transport.tempo = tempo;
    const int32_t wanted = channelCount == 1 ? 1 : 0x00010002;
    for (const HostComponentDescriptor* component : effect.components)
        if (component->outputStemFormat() == wanted) process = component->process;
    auto create = reinterpret_cast<CreateProc>(effect.procedure(0));
    IACFUnknown* made = create ? create() : nullptr;
    if (!made) return;
    void* out = nullptr;
    if (made->QueryInterface(IID_IACFEffectParameters_V4, &out) != ACF_OK || !out) return;
    parameters = static_cast<AAX_IACFEffectParameters_V4*>(out);
    if (parameters->Initialize(static_cast<AAX_IACFController*>(this)) != AAX_SUCCESS) {
        parameters->Uninitialize();
        parameters->Release();
        parameters = nullptr;
    }
}

HostInstance::~HostInstance() {
    closeView();
    if (parameters) {
        parameters->Uninitialize();
        parameters->Release();
    }
}

ACFRESULT HostInstance::QueryInterface(const acfIID& iid, void** out) {
    if (!out) return ACF_E_POINTER;
    *out = nullptr;
    if (iid == IID_IACFUnknown || iid == IID_IACFController) *out = static_cast<AAX_IACFController*>(this);
    else if (iid == IID_IACFTransport) *out = static_cast<AAX_IACFTransport*>(this);
    else if (iid == IID_IACFAutomationDelegate) *out = static_cast<AAX_IACFAutomationDelegate*>(this);
    else if (iid == IID_IACFEffectParameters && parameters) return parameters->QueryInterface(iid, out);
    else return ACF_E_NOINTERFACE;
    AddRef();
    return ACF_OK;
}

void HostInstance::queueMidi(uint32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
    AAX_CMidiPacket packet{};
    packet.mTimestamp = offset;
    packet.mLength = 3;
    packet.mData[0] = status;
    packet.mData[1] = data1;
    packet.mData[2] = data2;
    midiIn.pending.push_back(packet);
}

bool HostInstance::readyToRender() const {
    if (!ok()) return true;
    uint32_t ready = 1;
    uint32_t written = 0;
    if (parameters->GetCustomData(kRenderReadinessBlock, sizeof ready, &ready, &written) != AAX_SUCCESS) return true;
    return written < sizeof ready || ready != 0;
}

void HostInstance::runBlock(float* const* outputs, int32_t frames) {
    if (!ok()) return;
    parameters->GenerateCoefficients();
    if (inputSilence.size() < size_t(std::max(frames, 0))) inputSilence.assign(size_t(frames), 0.0f);
    inputs[0] = inputs[1] = inputSilence.data();
    bufferLength = frames;
    AlgorithmContext context{&bypassField, inputs, outputs, &bufferLength, &midiIn, &midiOut, instancePosted ? &instanceField : nullptr};
    void* const range[1] = {&context};
    midiOut.blockStart = samplePosition;
    if (watchAllocations) {
        AllocationWatch watch;
        process(range, range + 1);
        processAllocations += watch.count();
    } else {
        process(range, range + 1);
    }
    midiIn.pending.clear();
    samplePosition += frames;
    if (transport.playing && frames > 0) {
        // From the whole count of played samples, so that the position does
        // not depend on how the time was cut into blocks.
        const int64_t before = playedSamples;
        playedSamples += frames;
        auto ticksAt = [&](int64_t samples) {
            return std::llround(double(samples) / sampleRate * transport.tempo / 60.0 * transport.ticksPerQuarter);
        };
        // The last block's end at an unchanged tempo is this one's start.
        const bool sameScale = transport.tempo == endTicksTempo && transport.ticksPerQuarter == endTicksPerQuarter;
        const int64_t startTicks = sameScale ? endTicks : ticksAt(before);
        endTicks = ticksAt(playedSamples);
        endTicksTempo = transport.tempo;
        endTicksPerQuarter = transport.ticksPerQuarter;
        transport.tick += endTicks - startTicks;
    }
}

std::string HostInstance::parameterID(int32_t index) const {
    AAX_CString id;
    if (!parameters || parameters->GetParameterIDFromIndex(index, &id) != AAX_SUCCESS) return {};
    return id.Get();
}

bool HostInstance::setParameter(const std::string& id, double normalized) {
    return parameters && parameters->SetParameterNormalizedValue(id.c_str(), normalized) == AAX_SUCCESS;
}

bool HostInstance::automate(const std::string& id, double normalized) {
    return parameters && parameters->UpdateParameterNormalizedValue(id.c_str(), normalized, 0) == AAX_SUCCESS;
}

double HostInstance::parameter(const std::string& id) const {
    double value = -1;
    if (parameters) parameters->GetParameterNormalizedValue(id.c_str(), &value);
    return value;
}

std::string HostInstance::parameterText(const std::string& id) const {
    AAX_CString text;
    if (parameters) parameters->GetParameterValueString(id.c_str(), &text, 32);
    return text.Get();
}

std::vector<uint8_t> HostInstance::saveState() {
    uint32_t size = 0;
    if (!parameters || parameters->GetChunkSize(kChunkID, &size) != AAX_SUCCESS || size == 0) return {};
    std::vector<uint8_t> record(kChunkHeaderSize + size);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
    chunk->fSize = int32_t(size);
    chunk->fChunkID = kChunkID;
    if (parameters->GetChunk(kChunkID, chunk) != AAX_SUCCESS || chunk->fSize < 0 || uint32_t(chunk->fSize) > size) return {};
    return {chunkData(chunk), chunkData(chunk) + chunk->fSize};
}

AAX_Result HostInstance::loadState(const std::vector<uint8_t>& bytes) { return setChunk(kChunkID, bytes, {}); }

AAX_Result HostInstance::loadPreset(const std::vector<uint8_t>& bytes, PresetKind kind, const std::string& name) {
    const uint32_t id = kind == PresetKind::Global ? kGlobalPresetID
                        : kind == PresetKind::Sound ? kSoundPresetID
                                                    : kSequencePresetID;
    return setChunk(id, bytes, name);
}

AAX_Result HostInstance::setChunk(uint32_t id, const std::vector<uint8_t>& bytes, const std::string& name) {
    if (!parameters) return AAX_ERROR_NOT_INITIALIZED;
    std::vector<uint8_t> record(kChunkHeaderSize + bytes.size());
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
    chunk->fSize = int32_t(bytes.size());
    chunk->fChunkID = id;
    std::memcpy(chunk->fName, name.data(), std::min(name.size(), sizeof chunk->fName - 1));  // the rest stays 0
    if (!bytes.empty()) std::memcpy(chunkData(chunk), bytes.data(), bytes.size());
    const AAX_Result result = parameters->SetChunk(id, chunk);
    parameters->TimerWakeup();  // the host's next idle call
    return result;
}

AAX_Result HostInstance::updatePageTable(uint32_t tableType, int32_t pageSize, HostPageTable& table) {
    if (!parameters) return AAX_ERROR_NOT_INITIALIZED;
    return parameters->UpdatePageTable(tableType, pageSize, static_cast<AAX_IACFPageTable_V2*>(&table));
}

AAX_Result HostInstance::openView(platform::HostWindow* window) {
    if (!parameters) return AAX_ERROR_NOT_INITIALIZED;
    closeView();
    auto create = reinterpret_cast<CreateProc>(description.procedure(1));
    IACFUnknown* made = create ? create() : nullptr;
    void* out = nullptr;
    if (!made || made->QueryInterface(IID_IACFEffectGUI, &out) != ACF_OK || !out) return AAX_ERROR_NULL_OBJECT;
    gui = static_cast<AAX_IACFEffectGUI*>(out);
    gui->Initialize(static_cast<AAX_IACFController*>(this));
    viewContainer.window = window;
    const AAX_Result result = gui->SetViewContainer(&viewContainer);
    // As a host sizes the plug-in's window to the view once it is open.
    AAX_Point size{};
    if (result == AAX_SUCCESS && gui->GetViewSize(&size) == AAX_SUCCESS && viewContainer.resized)
        viewContainer.resized(int32_t(size.horz), int32_t(size.vert));
    return result;
}

AAX_Result HostInstance::viewTimer() { return gui ? gui->TimerWakeup() : AAX_ERROR_NULL_OBJECT; }

void HostInstance::closeView() {
    if (!gui) return;
    gui->SetViewContainer(nullptr);
    gui->Uninitialize();
    gui->Release();
    gui = nullptr;
}

// ---- controller ---------------------------------------------------------------

AAX_Result HostInstance::GetEffectID(AAX_IString* id) const {
    if (id) id->Set("com.brindlewick.aax.Zorvane");
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetSampleRate(float* rate) const {
    if (!rate) return AAX_ERROR_NULL_ARGUMENT;
    *rate = sampleRate;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetInputStemFormat(int32_t* format) const {
    if (format) *format = channelCount == 1 ? 1 : 0x00010002;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetOutputStemFormat(int32_t* format) const { return GetInputStemFormat(format); }
AAX_Result HostInstance::GetSignalLatency(int32_t* samples) const {
    if (samples) *samples = 0;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCurrentMeterValue(uint32_t, float* value) const {
    if (value) *value = 0;
    return AAX_SUCCESS;
}

AAX_Result HostInstance::PostPacket(uint32_t fieldIndex, const void* data, uint32_t size) {
    if (!data) return AAX_ERROR_NULL_ARGUMENT;
    if (fieldIndex == kFieldBypass && size == sizeof(bypassField)) {
        std::memcpy(&bypassField, data, size);
        return AAX_SUCCESS;
    }
    if (fieldIndex == kFieldInstance && size == sizeof(instanceField)) {
        std::memcpy(&instanceField, data, size);
        instancePosted = true;
        return AAX_SUCCESS;
    }
    return AAX_ERROR_INVALID_PARAMETER_ID;
}

// ---- transport ----------------------------------------------------------------

AAX_Result HostInstance::GetCurrentTempo(double* bpm) const {
    if (!bpm) return AAX_ERROR_NULL_ARGUMENT;
    *bpm = transport.tempo;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCurrentMeter(int32_t* numerator, int32_t* denominator) const {
    if (!numerator || !denominator) return AAX_ERROR_NULL_ARGUMENT;
    *numerator = transport.numerator;
    *denominator = transport.denominator;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::IsTransportPlaying(bool* playing) const {
    if (!playing) return AAX_ERROR_NULL_ARGUMENT;
    *playing = transport.playing;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCurrentTickPosition(int64_t* ticks) const {
    if (!ticks) return AAX_ERROR_NULL_ARGUMENT;
    *ticks = transport.tick;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCurrentLoopPosition(bool* looping, int64_t* startTick, int64_t* endTick) const {
    if (!looping || !startTick || !endTick) return AAX_ERROR_NULL_ARGUMENT;
    *looping = transport.looping;
    *startTick = transport.loopStart;
    *endTick = transport.loopEnd;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCurrentNativeSampleLocation(int64_t* sample) const {
    if (!sample) return AAX_ERROR_NULL_ARGUMENT;
    *sample = samplePosition;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCustomTickPosition(int64_t* ticks, int64_t) const { return GetCurrentTickPosition(ticks); }
AAX_Result HostInstance::GetBarBeatPosition(int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t) const {
    if (!bars || !beats || !displayTicks) return AAX_ERROR_NULL_ARGUMENT;
    const int64_t quarters = transport.ticksPerQuarter ? transport.tick / transport.ticksPerQuarter : 0;
    *bars = int32_t(quarters / std::max(transport.numerator, 1)) + 1;
    *beats = int32_t(quarters % std::max(transport.numerator, 1)) + 1;
    *displayTicks = 0;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetTicksPerQuarter(uint32_t* ticks) const {
    if (!ticks) return AAX_ERROR_NULL_ARGUMENT;
    *ticks = transport.ticksPerQuarter;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetCurrentTicksPerBeat(uint32_t* ticks) const { return GetTicksPerQuarter(ticks); }

// ---- automation: a host applies a request back through the effect --------------

AAX_Result HostInstance::RegisterParameter(const char*) {
    ++registeredParameters;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::UnregisterParameter(const char*) {
    --registeredParameters;
    return AAX_SUCCESS;
}
AAX_Result HostInstance::PostSetValueRequest(const char* id, double normalized) const {
    if (!id) return AAX_ERROR_NULL_ARGUMENT;
    automationLog.push_back(format("set %s %.6g", id, normalized));
    return parameters ? parameters->UpdateParameterNormalizedValue(id, normalized, 0) : AAX_ERROR_NOT_INITIALIZED;
}
AAX_Result HostInstance::PostCurrentValue(const char*, double) const { return AAX_SUCCESS; }
AAX_Result HostInstance::PostTouchRequest(const char* id) {
    automationLog.push_back(format("touch %s", id ? id : ""));
    return AAX_SUCCESS;
}
AAX_Result HostInstance::PostReleaseRequest(const char* id) {
    automationLog.push_back(format("release %s", id ? id : ""));
    return AAX_SUCCESS;
}
AAX_Result HostInstance::GetTouchState(const char*, bool* touched) {
    if (touched) *touched = false;
    return AAX_SUCCESS;
}
