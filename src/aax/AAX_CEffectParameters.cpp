#include "aax/AAX_CEffectParameters.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "aax/AAX_CString.h"
#include "aax/AAX_IParameter.h"
#include "aax/AAX_VAutomationDelegate.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VPageTable.h"
#include "aax/AAX_VTransport.h"
#include "aax/HostServices.h"

namespace {

const char* const kEffectParametersSource = "..\\..\\source\\AAX_CEffectParameters";

// Host calls answer a code whatever happens inside.
template <typename Call>
AAX_Result guarded(Call&& call) noexcept {
    try {
        return call();
    } catch (...) {
        return AAX_ERROR_UNKNOWN_EXCEPTION;
    }
}

// Every per-identifier call answers an unknown identifier the same way.
template <typename Call>
AAX_Result withParameter(const AAX_CParameterManager& manager, const char* id, Call&& call) {
    AAX_IParameter* parameter = manager.GetParameterByID(id);
    return parameter ? call(*parameter) : AAX_ERROR_INVALID_PARAMETER_ID;
}

template <typename Out, typename Read>
AAX_Result readParameter(const AAX_CParameterManager& manager, const char* id, Out* out, Read&& read) {
    if (!out) return AAX_ERROR_NULL_ARGUMENT;
    return withParameter(manager, id, [&](AAX_IParameter& parameter) -> AAX_Result {
        *out = read(parameter);
        return AAX_SUCCESS;
    });
}

template <typename Act>
AAX_Result actOnParameter(const AAX_CParameterManager& manager, const char* id, Act&& act) {
    return withParameter(manager, id, [&](AAX_IParameter& parameter) -> AAX_Result {
        act(parameter);
        return AAX_SUCCESS;
    });
}

// The first typed getter a parameter answers decides how its value is kept in
// the chunk: float and double as doubles, int and bool as 32-bit words.
struct TypedValue {
    enum Kind { None, Float, Int32, Bool, Double, String } kind = None;
    float asFloat = 0;
    int32_t asInt = 0;
    bool asBool = false;
    double asDouble = 0;
    AAX_CString asString;
};

TypedValue typedValue(const AAX_IParameter& parameter) {
    TypedValue value;
    if (parameter.GetValueAsFloat(&value.asFloat)) value.kind = TypedValue::Float;
    else if (parameter.GetValueAsInt32(&value.asInt)) value.kind = TypedValue::Int32;
    else if (parameter.GetValueAsBool(&value.asBool)) value.kind = TypedValue::Bool;
    else if (parameter.GetValueAsDouble(&value.asDouble)) value.kind = TypedValue::Double;
    else if (parameter.GetValueAsString(&value.asString)) value.kind = TypedValue::String;
    return value;
}

}  // namespace

AAX_CEffectParameters::AAX_CEffectParameters() = default;

AAX_CEffectParameters::~AAX_CEffectParameters() {
    // Parameters unregister through the automation wrapper, so they go first.
    mParameterManager.RemoveAllParameters();
    mPacketDispatcher.Initialize(nullptr, nullptr);
}

ACFRESULT AAX_CEffectParameters::InternalQueryInterface(const acfIID& iid, void** out) {
    if (!out) return ACF_E_POINTER;
    if (iid == IID_IACFEffectParameters || iid == IID_IACFEffectParameters_V2 || iid == IID_IACFEffectParameters_V3 ||
        iid == IID_IACFEffectParameters_V4) {
        *out = static_cast<AAX_IACFEffectParameters_V4*>(this);
        AddRef();
        return ACF_OK;
    }
    return CACFUnknown::InternalQueryInterface(iid, out);
}

AAX_Result AAX_CEffectParameters::Initialize(IACFUnknown* host) {
    return guarded([&]() -> AAX_Result {
        // A second Initialize: the parameters would keep the old delegate.
        mParameterManager.RemoveAllParameters();
        controller = std::make_unique<AAX_VController>(host);
        automationDelegate = std::make_unique<AAX_VAutomationDelegate>(host);
        transport = std::make_unique<AAX_VTransport>(host);
        mParameterManager.Initialize(automationDelegate.get());
        mPacketDispatcher.Initialize(controller.get(), this);

        const AAX_Result result = EffectInit();
        if (result != AAX_SUCCESS) return result;

        AAX_CString bypass;
        GetMasterBypassParameter(&bypass);
        FilterParameterIDOnSave(bypass.Get());
        int32_t count = 0;
        GetNumberOfParameters(&count);
        if (count > 0) {
            mNumChunkedParameters = count - int32_t(mFilteredParameters.size());
            if (mNumChunkedParameters < 0) hostAssert(kEffectParametersSource, 128, "mNumChunkedParameters >= 0");
        }
        return result;
    });
}

AAX_Result AAX_CEffectParameters::Uninitialize() {
    mParameterManager.RemoveAllParameters();
    mParameterManager.Initialize(nullptr);
    mPacketDispatcher.Initialize(nullptr, this);
    controller.reset();
    automationDelegate.reset();
    transport.reset();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::NotificationReceived(uint32_t type, const void* data, uint32_t size) {
    if (type != kNotificationPreviewState || !data || size < sizeof(int32_t)) return AAX_SUCCESS;
    if (AAX_IParameter* preview = mParameterManager.GetParameterByID(kPreviewID)) {
        int32_t state = 0;
        std::memcpy(&state, data, sizeof(state));
        return guarded([&]() -> AAX_Result {
            preview->SetValueWithBool(state != 0);
            return AAX_SUCCESS;
        });
    }
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfParameters(int32_t* count) const {
    if (!count) return AAX_ERROR_NULL_ARGUMENT;
    *count = mParameterManager.NumParameters();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetMasterBypassParameter(AAX_IString* id) const {
    if (!id) return AAX_ERROR_NULL_ARGUMENT;
    return guarded([&]() -> AAX_Result {
        id->Set(mParameterManager.GetParameterByID(kMasterBypassID) ? kMasterBypassID : "");
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterIsAutomatable(const char* id, bool* automatable) const {
    if (automatable) *automatable = false;
    return readParameter(mParameterManager, id, automatable, [](const AAX_IParameter& parameter) { return parameter.Automatable(); });
}

AAX_Result AAX_CEffectParameters::GetParameterNumberOfSteps(const char* id, int32_t* steps) const {
    if (!steps) return AAX_ERROR_NULL_ARGUMENT;
    return withParameter(mParameterManager, id, [&](AAX_IParameter& parameter) -> AAX_Result {
        const int32_t count = int32_t(parameter.GetNumberOfSteps());
        if (count < 0) return AAX_ERROR_SIGNED_INT_OVERFLOW;
        *steps = count;
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterName(const char* id, AAX_IString* name) const {
    if (!name) return AAX_ERROR_NULL_ARGUMENT;
    return guarded([&]() -> AAX_Result {
        const AAX_IParameter* parameter = mParameterManager.GetParameterByID(id);
        name->Set(parameter ? parameter->Name().Get() : "");
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterNameOfLength(const char* id, AAX_IString* name, int32_t length) const {
    if (!name) return AAX_ERROR_INVALID_STRING_CONVERSION;
    return guarded([&]() -> AAX_Result {
        const AAX_IParameter* parameter = mParameterManager.GetParameterByID(id);
        if (!parameter) {
            name->Set("");
            return AAX_SUCCESS;
        }
        const std::string text = parameter->ShortenedName(length).StdString().substr(0, 255);
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            const size_t end = std::min(text.find('\n', start), text.size());
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (lines.empty()) return AAX_SUCCESS;
        const std::string* chosen = nullptr;
        for (const std::string& line : lines)
            if (!line.empty() && int64_t(line.size()) <= length && (!chosen || line.size() > chosen->size())) chosen = &line;
        if (chosen) name->Set(chosen->c_str());
        else name->Set(length < 1 ? "" : text.substr(0, size_t(length)).c_str());
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue(const char* id, double* value) const {
    return readParameter(mParameterManager, id, value, [](const AAX_IParameter& parameter) { return parameter.GetNormalizedDefaultValue(); });
}

AAX_Result AAX_CEffectParameters::SetParameterDefaultNormalizedValue(const char* id, double value) {
    return actOnParameter(mParameterManager, id, [&](AAX_IParameter& parameter) { parameter.SetNormalizedDefaultValue(value); });
}

AAX_Result AAX_CEffectParameters::GetParameterType(const char* id, int32_t* type) const {
    return readParameter(mParameterManager, id, type, [](const AAX_IParameter& parameter) { return parameter.GetType(); });
}

AAX_Result AAX_CEffectParameters::GetParameterOrientation(const char* id, int32_t* orientation) const {
    return readParameter(mParameterManager, id, orientation, [](const AAX_IParameter& parameter) { return parameter.GetOrientation(); });
}

AAX_Result AAX_CEffectParameters::GetParameter(const char* id, AAX_IParameter** parameter) {
    if (!parameter) return AAX_ERROR_NULL_ARGUMENT;
    *parameter = mParameterManager.GetParameterByID(id);
    return *parameter ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
}

AAX_Result AAX_CEffectParameters::GetParameterIndex(const char* id, int32_t* index) const {
    if (!index) return AAX_ERROR_NULL_ARGUMENT;
    *index = mParameterManager.GetParameterIndex(id);
    return *index < 0 ? AAX_ERROR_INVALID_PARAMETER_ID : AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterIDFromIndex(int32_t index, AAX_IString* id) const {
    if (!id) return AAX_ERROR_NULL_ARGUMENT;
    return guarded([&]() -> AAX_Result {
        const AAX_IParameter* parameter = mParameterManager.GetParameter(index);
        id->Set(parameter ? parameter->Identifier() : "");
        return parameter ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterValueInfo(const char*, int32_t, int32_t* value) const {
    if (value) *value = 0;
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetParameterValueFromString(const char* id, double* value, const AAX_IString& text) const {
    if (!value) return AAX_ERROR_NULL_ARGUMENT;
    const AAX_IParameter* parameter = mParameterManager.GetParameterByID(id);
    if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
    return guarded([&]() -> AAX_Result {
        const AAX_CString copy(text);
        return parameter->GetNormalizedValueFromString(copy, value) ? AAX_SUCCESS : AAX_ERROR_INVALID_STRING_CONVERSION;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterStringFromValue(const char* id, double value, AAX_IString* text, int32_t maxLength) const {
    if (!text) return AAX_ERROR_NULL_ARGUMENT;
    const AAX_IParameter* parameter = mParameterManager.GetParameterByID(id);
    if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
    return guarded([&]() -> AAX_Result {
        AAX_CString temporary;
        if (!parameter->GetStringFromNormalizedValue(value, maxLength, &temporary)) return AAX_ERROR_INVALID_STRING_CONVERSION;
        text->Set(temporary.Get());
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterValueString(const char* id, AAX_IString* text, int32_t maxLength) const {
    if (!text) return AAX_ERROR_NULL_ARGUMENT;
    const AAX_IParameter* parameter = mParameterManager.GetParameterByID(id);
    if (!parameter) return AAX_ERROR_INVALID_PARAMETER_ID;
    return guarded([&]() -> AAX_Result {
        AAX_CString temporary;
        parameter->GetValueString(maxLength, &temporary);
        text->Set(temporary.Get());
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterNormalizedValue(const char* id, double* value) const {
    return readParameter(mParameterManager, id, value, [](const AAX_IParameter& parameter) { return parameter.GetNormalizedValue(); });
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedValue(const char* id, double value) {
    return actOnParameter(mParameterManager, id, [&](AAX_IParameter& parameter) { parameter.SetNormalizedValue(value); });
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedRelative(const char* id, double delta) {
    double current = 0;
    const AAX_Result result = GetParameterNormalizedValue(id, &current);
    if (result != AAX_SUCCESS) return result;
    return SetParameterNormalizedValue(id, std::clamp(current + delta, 0.0, 1.0));
}

AAX_Result AAX_CEffectParameters::TouchParameter(const char* id) {
    return actOnParameter(mParameterManager, id, [&](AAX_IParameter& parameter) { parameter.Touch(); });
}

AAX_Result AAX_CEffectParameters::ReleaseParameter(const char* id) {
    return actOnParameter(mParameterManager, id, [&](AAX_IParameter& parameter) { parameter.Release(); });
}

AAX_Result AAX_CEffectParameters::UpdateParameterTouch(const char*, bool) { return AAX_SUCCESS; }

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedValue(const char* id, double value, int32_t) {
    return withParameter(mParameterManager, id, [&](AAX_IParameter& parameter) -> AAX_Result {
        const double old = parameter.GetNormalizedValue();
        parameter.UpdateNormalizedValue(value);
        const AAX_Result result = mPacketDispatcher.SetDirty(id, true);
        if (old != value) ++mNumPlugInChanges;
        return result;
    });
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedRelative(const char* id, double delta) {
    double current = 0;
    const AAX_Result result = GetParameterNormalizedValue(id, &current);
    if (result != AAX_SUCCESS) return result;
    return UpdateParameterNormalizedValue(id, std::clamp(current + delta, 0.0, 1.0), 0);
}

AAX_Result AAX_CEffectParameters::GenerateCoefficients() {
    return guarded([&]() -> AAX_Result { return mPacketDispatcher.Dispatch(); });
}

AAX_Result AAX_CEffectParameters::ResetFieldData(int32_t, void* block, uint32_t size) const {
    if (block) std::memset(block, 0, size);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetNumberOfChunks(int32_t* count) const {
    if (!count) return AAX_ERROR_NULL_ARGUMENT;
    *count = 1;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetChunkIDFromIndex(int32_t index, uint32_t* chunkID) const {
    if (!chunkID) return AAX_ERROR_NULL_ARGUMENT;
    *chunkID = index == 0 ? kControlsChunkID : 0;
    return index == 0 ? AAX_SUCCESS : AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result AAX_CEffectParameters::GetChunkSize(uint32_t chunkID, uint32_t* size) {
    if (!size) return AAX_ERROR_NULL_ARGUMENT;
    if (chunkID != kControlsChunkID) {
        *size = 0;
        return AAX_ERROR_INVALID_CHUNK_ID;
    }
    return guarded([&]() -> AAX_Result {
        BuildChunkData();
        mChunkSize = mChunkParser.GetChunkDataSize();
        if (mChunkSize < 0) return AAX_ERROR_INCORRECT_CHUNK_SIZE;
        *size = uint32_t(mChunkSize);
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetChunk(uint32_t chunkID, AAX_SPlugInChunk* chunk) {
    if (chunkID != kControlsChunkID) return AAX_ERROR_INVALID_CHUNK_ID;
    if (!chunk) return AAX_ERROR_NULL_ARGUMENT;
    return guarded([&]() -> AAX_Result {
        BuildChunkData();
        const int32_t size = mChunkParser.GetChunkDataSize();
        if (size != mChunkSize || size == 0) return AAX_ERROR_INCORRECT_CHUNK_SIZE;
        chunk->fVersion = mChunkParser.GetChunkVersion();
        std::memset(chunk->fName, 0, sizeof(chunk->fName));
        std::memcpy(chunk->fName, kControlsChunkName, std::strlen(kControlsChunkName));
        return AAX_Result(mChunkParser.GetChunkData(chunk));
    });
}

AAX_Result AAX_CEffectParameters::SetChunk(uint32_t chunkID, const AAX_SPlugInChunk* chunk) {
    if (chunkID != kControlsChunkID) return AAX_ERROR_INVALID_CHUNK_ID;
    return guarded([&]() -> AAX_Result {
        // A chunk that does not parse changes no parameter.
        const AAX_Result loaded = mChunkParser.LoadChunk(chunk);
        if (loaded != AAX_SUCCESS) return loaded;
        const int32_t count = mParameterManager.NumParameters();
        for (int32_t i = 0; i < count; ++i) {
            AAX_IParameter* parameter = mParameterManager.GetParameter(i);
            if (parameter && !isFiltered(*parameter)) applyChunkValue(*parameter);
        }
        return AAX_SUCCESS;
    });
}

void AAX_CEffectParameters::applyChunkValue(AAX_IParameter& parameter) {
    const char* id = parameter.Identifier();
    double stored = 0;
    int32_t storedInt = 0;
    AAX_CString storedText;
    switch (typedValue(parameter).kind) {
    case TypedValue::Float: if (mChunkParser.FindDouble(id, &stored)) parameter.SetValueWithFloat(float(stored)); break;
    case TypedValue::Int32: if (mChunkParser.FindInt32(id, &storedInt)) parameter.SetValueWithInt32(storedInt); break;
    case TypedValue::Bool: if (mChunkParser.FindInt32(id, &storedInt)) parameter.SetValueWithBool(storedInt != 0); break;
    case TypedValue::Double: if (mChunkParser.FindDouble(id, &stored)) parameter.SetValueWithDouble(stored); break;
    case TypedValue::String: if (mChunkParser.FindString(id, &storedText)) parameter.SetValueWithString(storedText); break;
    case TypedValue::None: break;
    }
}

bool AAX_CEffectParameters::chunkValueEquals(AAX_IParameter& parameter) {
    const char* id = parameter.Identifier();
    const TypedValue value = typedValue(parameter);
    double stored = 0;
    int32_t storedInt = 0;
    AAX_CString storedText;
    switch (value.kind) {
    case TypedValue::Float: return mChunkParser.FindDouble(id, &stored) && float(stored) == value.asFloat;
    case TypedValue::Int32: return mChunkParser.FindInt32(id, &storedInt) && storedInt == value.asInt;
    case TypedValue::Bool: return mChunkParser.FindInt32(id, &storedInt) && (storedInt != 0) == value.asBool;
    case TypedValue::Double: return mChunkParser.FindDouble(id, &stored) && float(stored) == float(value.asDouble);
    case TypedValue::String: return mChunkParser.FindString(id, &storedText) && storedText == value.asString;
    case TypedValue::None: break;
    }
    return true;
}

AAX_Result AAX_CEffectParameters::CompareActiveChunk(const AAX_SPlugInChunk* chunk, bool* isEqual) {
    if (!chunk || !isEqual) return AAX_ERROR_NULL_ARGUMENT;
    if (chunk->fChunkID != kControlsChunkID) {
        *isEqual = true;
        return AAX_SUCCESS;
    }
    *isEqual = false;
    return guarded([&]() -> AAX_Result {
        const AAX_Result loaded = mChunkParser.LoadChunk(chunk);
        if (loaded != AAX_SUCCESS) return loaded;
        const int32_t count = mParameterManager.NumParameters();
        if (count < 1) {
            *isEqual = true;
            return AAX_SUCCESS;
        }
        for (int32_t i = 0; i < count; ++i) {
            AAX_IParameter* parameter = mParameterManager.GetParameter(i);
            if (!parameter) {
                hostAssert(kEffectParametersSource, 667, "NULL != parameter");
                continue;
            }
            if (!isFiltered(*parameter) && !chunkValueEquals(*parameter)) return AAX_SUCCESS;
        }
        *isEqual = true;
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetNumberOfChanges(int32_t* changes) const {
    if (!changes) return AAX_ERROR_NULL_ARGUMENT;
    const int32_t counted = mNumPlugInChanges.load();
    if (counted >= 0) *changes = counted;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::TimerWakeup() { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::GetCurveData(int32_t, const float*, uint32_t, float*) const { return AAX_ERROR_UNIMPLEMENTED; }

AAX_Result AAX_CEffectParameters::GetCustomData(uint32_t, uint32_t, void*, uint32_t* written) const {
    if (written) *written = 0;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetCustomData(uint32_t, uint32_t, const void*) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::DoMIDITransfers() { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::RenderAudio_Hybrid(void*) { return AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_CEffectParameters::UpdateMIDINodes(uint32_t, AAX_CMidiPacket&) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::UpdateControlMIDINodes(uint32_t, AAX_CMidiPacket&) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::GetCurveDataMeterIds(int32_t, uint32_t*, uint32_t*) const { return AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_CEffectParameters::GetCurveDataDisplayRange(int32_t, float*, float*, float*, float*) const { return AAX_ERROR_UNIMPLEMENTED; }

AAX_Result AAX_CEffectParameters::UpdatePageTable(uint32_t tableType, int32_t pageSize, IACFUnknown* pageTable) {
    return guarded([&]() -> AAX_Result {
        AAX_VPageTable table(pageTable);
        return table.IsSupported() ? UpdatePageTable(tableType, pageSize, table) : AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::UpdatePageTable(uint32_t, int32_t, AAX_VPageTable&) { return AAX_ERROR_UNIMPLEMENTED; }

void AAX_CEffectParameters::FilterParameterIDOnSave(const char* identifier) {
    if (identifier) mFilteredParameters.insert(identifier);
}

void AAX_CEffectParameters::BuildChunkData() {
    mChunkParser.Clear();
    const int32_t count = mParameterManager.NumParameters();
    for (int32_t i = 0; i < count; ++i) {
        AAX_IParameter* parameter = mParameterManager.GetParameter(i);
        if (!parameter) {
            hostAssert(kEffectParametersSource, 815, "NULL != parameter");
            continue;
        }
        if (isFiltered(*parameter)) continue;
        const char* id = parameter->Identifier();
        const TypedValue value = typedValue(*parameter);
        switch (value.kind) {
        case TypedValue::Float: mChunkParser.AddDouble(id, double(value.asFloat)); break;
        case TypedValue::Int32: mChunkParser.AddInt32(id, value.asInt); break;
        case TypedValue::Bool: mChunkParser.AddInt32(id, value.asBool ? 1 : 0); break;
        case TypedValue::Double: mChunkParser.AddDouble(id, value.asDouble); break;
        case TypedValue::String: mChunkParser.AddString(id, value.asString); break;
        case TypedValue::None: break;
        }
    }
}
