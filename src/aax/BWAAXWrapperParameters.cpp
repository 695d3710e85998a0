#include "aax/BWAAXWrapperParameters.h"

#include <charconv>
#include <cstring>
#include <new>
#include <string>

#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CPacketHandler.h"
#include "aax/AAX_CParameter.h"
#include "aax/AAX_CPercentDisplayDelegateDecorator.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VTransport.h"
#include "aax/HostServices.h"
#include "aax/RenderReadiness.h"
#include "core/BWSystemInfo.h"
#include "core/VstOpcodes.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/Framework.h"
#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"
#include "plugin/BindingTable.h"

namespace {

constexpr int32_t kFloatSteps = 2147483647;
constexpr uint32_t kEffectPacketField = kFieldInstance;
constexpr uint32_t kBypassPacketField = kFieldBypass;

// A chunk record's name: its bytes up to the first zero, at most all of them.
std::string presetName(const AAX_SPlugInChunk& chunk) {
    const auto* name = reinterpret_cast<const char*>(chunk.fName);
    return std::string(name, strnlen(name, sizeof chunk.fName));
}

// The preset kind a chunk id stands for, or -1 (the state chunk among the rest).
int32_t presetKindOf(uint32_t chunkID) {
    switch (chunkID) {
        case BWAAXWrapperParameters::kGlobalPresetID: return kPresetKindGlobal;
        case BWAAXWrapperParameters::kSoundPresetID: return kPresetKindSound;
        case BWAAXWrapperParameters::kSequencePresetID: return kPresetKindSequence;
        default: return -1;
    }
}

// A core parameter's index from its identifier: decimal digits only, within
// the core's parameters.  Anything else is refused before it reaches the core.
bool parseParameterIndex(const char* id, int32_t count, int32_t* index) {
    if (!id || !*id) return false;
    const char* end = id + std::strlen(id);
    int32_t value = -1;
    const auto [stop, error] = std::from_chars(id, end, value);
    if (error != std::errc() || stop != end || value < 0 || value >= count) return false;
    *index = value;
    return true;
}

}  // namespace

IACFUnknown* BWAAXWrapperParameters::Create() {
    try {
        auto* instance = new BWAAXWrapperParameters();
        return instance->GetInnerUnknown();
    } catch (...) {
        return nullptr;
    }
}

BWAAXWrapperParameters::BWAAXWrapperParameters() {
    initFramework(defaultProductInfo(), 1, true);
    core = std::make_unique<BWUniClient>(&hostCallback, 1, false);
    effect = core->getAeffect();
    // From here on the core's requests reach this instance; those it made
    // while it was being built found none and were answered 0.
    effect->user = this;
    core->setBlockSize(maxBlockSize);
    core->resume();
    for (std::vector<float>& channel : monoScratch) channel.assign(size_t(maxBlockSize), 0.0f);
}

BWAAXWrapperParameters::~BWAAXWrapperParameters() { destroyCore(); }

void BWAAXWrapperParameters::destroyCore() {
    std::lock_guard lock(chunkLock);
    if (!core) return;
    core->close();
    // The back-pointer stays valid while the core shuts down: its last
    // requests still find this (living) instance.
    core.reset();
    effect = nullptr;
}

AAX_Result BWAAXWrapperParameters::Uninitialize() {
    destroyCore();
    return AAX_CEffectParameters::Uninitialize();
}

AAX_Result BWAAXWrapperParameters::EffectInit() {
    if (!core) return AAX_ERROR_NOT_INITIALIZED;
    if (!effectPacketRegistered) {
        mPacketDispatcher.RegisterPacket("effc", int32_t(kEffectPacketField),
                                         AAX_CPacketHandler<BWAAXWrapperParameters>(this, &BWAAXWrapperParameters::postEffectPointer));
        effectPacketRegistered = true;
    }
    createParameters();

    float rate = 0;
    if (!Controller() || Controller()->GetSampleRate(&rate) != AAX_SUCCESS || !(rate > 0)) rate = 44100.0f;
    timeInfo.sampleRate = rate;
    double tempo = 0;
    if (!Transport() || Transport()->GetCurrentTempo(&tempo) != AAX_SUCCESS || !(tempo > 0)) tempo = 120.0;
    timeInfo.tempo = tempo;
    timeInfo.barStartPos = 0;

    inSampleRateCall = true;
    effect->dispatcher(effect, EffectOpcode::SetSampleRate, 0, 0, nullptr, rate);
    inSampleRateCall = false;
    traceUnplayedRate(rate);
    return AAX_SUCCESS;
}

// The core keeps the rate it had when the host's is one it cannot play, and
// then sounds out of tune: the host hears why.
void BWAAXWrapperParameters::traceUnplayedRate(float rate) {
    if (BWSystemInfo::playsRate(rate)) return;
    hostTrace(kTracePriorityError,
              "the host's sample rate of %.0f Hz is outside the rates Zorvane plays (%.0f to %.0f Hz): it plays at "
              "%.0f Hz instead, out of tune",
              double(rate), double(BWSystemInfo::kMinSampleRate), double(BWSystemInfo::kMaxSampleRate),
              double(core->getSystemInfo()->sampleRate));
}

AAX_Result BWAAXWrapperParameters::TimerWakeup() {
    idle();
    return AAX_SUCCESS;
}

AAX_Result BWAAXWrapperParameters::GetCustomData(uint32_t blockID, uint32_t size, void* data, uint32_t* written) const {
    if (blockID != kRenderReadinessBlock || !core) return AAX_CEffectParameters::GetCustomData(blockID, size, data, written);
    if (!data || size < sizeof(uint32_t)) return AAX_ERROR_NULL_ARGUMENT;
    const uint32_t ready = core->readyToRender() ? 1 : 0;
    std::memcpy(data, &ready, sizeof ready);
    if (written) *written = sizeof ready;
    return AAX_SUCCESS;
}

void BWAAXWrapperParameters::idle() {
    ZORVANE_ASSERT_GUI_THREAD();
    if (!core) return;
    core->idle();
    if (rebuildParameters.exchange(false)) refreshParameters();
    followCoreValues();
}

// What a list made afresh would hold: the core's names, and its current
// values as the defaults.  In place, on the objects the host already has.
void BWAAXWrapperParameters::refreshParameters() {
    char id[32];
    for (int32_t i = 0; i < effect->numParams; ++i) {
        std::snprintf(id, sizeof(id), "%d", i);
        AAX_IParameter* parameter = mParameterManager.GetParameterByID(id);
        if (!parameter) continue;
        char name[128] = {};
        core->getParameterName(i, name);
        name[sizeof(name) - 1] = 0;
        if (parameter->Name() != AAX_CString(name)) parameter->SetName(AAX_CString(name));
        parameter->SetNormalizedDefaultValue(defaultOf(i));
    }
}

double BWAAXWrapperParameters::defaultOf(int32_t index) {
    VstParameterProperties properties{};
    core->getParameterProperties(index, &properties);
    const float current = core->getParameter(index);
    if (properties.flags & ParameterFlags::IsSwitch) return current >= 0.5f ? 1.0 : 0.0;
    return current;
}

// UpdateNormalizedValue changes the parameter's own value and posts it to
// the host as its current value, which the host shows and does not record;
// a value the parameter holds already posts nothing.  This runs on every
// view timer call: each parameter is taken by its place in the manager (the
// bypass first, then the core's in index order) and its identifier checked,
// and looked up by identifier only when that is not it.
void BWAAXWrapperParameters::followCoreValues() {
    char id[32];
    for (int32_t i = 0; i < effect->numParams; ++i) {
        *std::to_chars(id, id + sizeof(id) - 1, i).ptr = 0;
        AAX_IParameter* parameter = mParameterManager.GetParameter(i + 1);
        if (!parameter || std::strcmp(parameter->Identifier(), id) != 0) parameter = mParameterManager.GetParameterByID(id);
        if (parameter) parameter->UpdateNormalizedValue(core->getParameter(i));
    }
}

AAX_Result BWAAXWrapperParameters::postEffectPointer(AAX_CPacket& packet) {
    BWAAXWrapperParameters* self = this;
    packet.Set(self);
    return AAX_SUCCESS;
}

void BWAAXWrapperParameters::createParameters() {
    if (inSampleRateCall || !core) return;
    if (mParameterManager.GetParameterByID(kMasterBypassID)) return refreshParameters();

    auto* bypass = new AAX_CParameter<bool>(kMasterBypassID, "Master Bypass", false, AAX_CBinaryTaperDelegate<bool>(),
                                            AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
    bypass->SetNumberOfSteps(2);
    bypass->SetType(AAX_eParameterType_Discrete);
    if (!mParameterManager.AddParameter(bypass)) delete bypass;
    if (!bypassPacketRegistered) {
        mPacketDispatcher.RegisterPacket(kMasterBypassID, int32_t(kBypassPacketField),
                                         AAX_CPacketHandler<AAX_CPacketDispatcher>(&mPacketDispatcher, &AAX_CPacketDispatcher::GenerateSingleValuePacket));
        bypassPacketRegistered = true;
    }

    const int32_t count = effect->numParams;
    for (int32_t i = 0; i < count; ++i) {
        VstParameterProperties properties{};
        core->getParameterProperties(i, &properties);
        char name[128] = {};
        core->getParameterName(i, name);
        name[sizeof(name) - 1] = 0;
        char id[32];
        std::snprintf(id, sizeof(id), "%d", i);
        const float current = core->getParameter(i);
        AAX_IParameter* parameter = nullptr;
        // Defaults and values both start from the core's current values, so
        // a rebuilt list shows what the core holds.
        if (properties.flags & ParameterFlags::IsSwitch) {
            parameter = new AAX_CParameter<bool>(id, name, current >= 0.5f, AAX_CBinaryTaperDelegate<bool>(),
                                                 AAX_CBinaryDisplayDelegate<bool>("Off", "On"), true);
            parameter->SetNumberOfSteps(2);
        } else {
            parameter = new AAX_CParameter<float>(id, name, current, AAX_CLinearTaperDelegate<float, kFloatSteps>(0.0f, 1.0f),
                                                  AAX_CPercentDisplayDelegateDecorator<float>(AAX_CNumberDisplayDelegate<float, 2, 0>()), true);
            parameter->SetNumberOfSteps(uint32_t(kFloatSteps));
        }
        if (!mParameterManager.AddParameter(parameter)) delete parameter;
    }
}

AAX_Result BWAAXWrapperParameters::UpdateParameterNormalizedValue(const char* id, double value, int32_t source) {
    if (!id) return AAX_ERROR_NULL_ARGUMENT;
    if (!core) return AAX_ERROR_NOT_INITIALIZED;
    if (std::strcmp(id, kMasterBypassID) == 0 && mParameterManager.GetParameterByID(kMasterBypassID)) {
        core->setBypass(value > 0.0);
    } else {
        int32_t index = 0;
        if (!parseParameterIndex(id, effect->numParams, &index)) return AAX_ERROR_INVALID_PARAMETER_ID;
        effect->setParameter(effect, index, float(value));
    }
    return AAX_CEffectParameters::UpdateParameterNormalizedValue(id, value, source);
}

AAX_Result BWAAXWrapperParameters::GetChunkIDFromIndex(int32_t, uint32_t* chunkID) const {
    if (!chunkID) return AAX_ERROR_NULL_ARGUMENT;
    *chunkID = kChunkID;
    return AAX_SUCCESS;
}

AAX_Result BWAAXWrapperParameters::GetChunkSize(uint32_t chunkID, uint32_t* size) {
    if (chunkID != kChunkID) return AAX_CEffectParameters::GetChunkSize(chunkID, size);
    if (!size) return AAX_ERROR_NULL_ARGUMENT;
    try {
        std::lock_guard lock(chunkLock);
        if (!core) return AAX_ERROR_NOT_INITIALIZED;
        std::vector<uint8_t>& cached = chunkCache[std::this_thread::get_id()];
        cached.clear();
        void* data = nullptr;
        const intptr_t bytes = effect->dispatcher(effect, EffectOpcode::GetChunk, 0, 0, &data, 0.0f);
        *size = 0;
        // An instance always has a state: no bytes is a save that failed.
        if (bytes <= 0 || !data) return kStateBusy;
        const auto* first = static_cast<const uint8_t*>(data);
        cached.assign(first, first + bytes);
        *size = uint32_t(bytes);
        return AAX_SUCCESS;
    } catch (const std::bad_alloc&) {
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;
    }
}

AAX_Result BWAAXWrapperParameters::GetChunk(uint32_t chunkID, AAX_SPlugInChunk* chunk) {
    if (chunkID != kChunkID) return AAX_CEffectParameters::GetChunk(chunkID, chunk);
    if (!chunk) return AAX_ERROR_NULL_ARGUMENT;
    std::lock_guard lock(chunkLock);
    const auto found = chunkCache.find(std::this_thread::get_id());
    if (found == chunkCache.end() || found->second.empty()) return kNothingCached;
    // The host gives the room it made from the size it asked for; a record
    // with less room is refused rather than written past.
    if (chunk->fSize < 0 || size_t(chunk->fSize) < found->second.size()) return AAX_ERROR_INCORRECT_CHUNK_SIZE;
    chunk->fSize = int32_t(found->second.size());
    std::memcpy(chunkData(chunk), found->second.data(), found->second.size());
    found->second.clear();
    return AAX_SUCCESS;
}

// A state that names an instrument the instrument folder lacks, or one whose
// file cannot be loaded, still loads, with that layer silent; the host's
// trace says which and where it looked.
void BWAAXWrapperParameters::traceMissingInstruments() {
    for (int32_t layer = 0; layer < kSoundLayers; ++layer) {
        const auto [name, unreadable] = core->soundLayer(layer).takeMissingInstrument();
        if (name.empty()) continue;
        if (unreadable) {
            hostTrace(kTracePriorityCheckedResult,
                      "the state names the instrument \"%s\" for layer %d, whose file could not be loaded: the layer stays silent",
                      name.c_str(), int(layer + 1));
            continue;
        }
        std::string folder;
        getSettingString(SettingNames::kInstrumentsPath, folder);
        hostTrace(kTracePriorityCheckedResult, "the state names the instrument \"%s\" for layer %d, which the instrument folder %s lacks: the layer stays empty",
                  name.c_str(), int(layer + 1), folder.empty() ? "(none set)" : folder.c_str());
    }
}

AAX_Result BWAAXWrapperParameters::SetChunk(uint32_t chunkID, const AAX_SPlugInChunk* chunk) {
    const int32_t kind = presetKindOf(chunkID);
    const bool preset = kind >= 0;
    if (chunkID != kChunkID && !preset) return AAX_CEffectParameters::SetChunk(chunkID, chunk);
    if (!chunk) return AAX_ERROR_NULL_ARGUMENT;
    if (chunk->fSize <= 0) return AAX_ERROR_INCORRECT_CHUNK_SIZE;
    std::lock_guard lock(chunkLock);
    if (!core) return AAX_ERROR_NOT_INITIALIZED;
    // The core answers 0 for bytes it refused and kChunkBusy for bytes it
    // could not apply yet; either way it changed nothing.
    auto* data = const_cast<uint8_t*>(chunkData(chunk));
    const intptr_t applied =
        preset ? core->loadPresetBytes(data, chunk->fSize, kind, presetName(*chunk))
               : effect->dispatcher(effect, EffectOpcode::SetChunk, 0, chunk->fSize, data, 0.0f);
    if (applied == BWUniClient::kChunkBusy) return kStateBusy;
    if (applied <= 0) return AAX_ERROR_MALFORMED_CHUNK;
    traceMissingInstruments();
    return AAX_SUCCESS;
}
