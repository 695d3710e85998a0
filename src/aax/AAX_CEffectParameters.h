#pragma once
// The plug-in's answer to the host's effect-parameters interface: parameters
// by identifier, automation, coefficient packets and the controls-state chunk
// 'elck' ("Complete Controls State").  Subclasses register their parameters
// and packets in EffectInit.  No host call lets an exception out and a null
// output or unknown identifier is a result code.  Host threads: the
// parameter, chunk and life-cycle calls on the host's main thread,
// GenerateCoefficients on its coefficient thread (only the packet dispatcher
// is locked).

#include <atomic>
#include <memory>
#include <set>
#include <string>

#include "aax/AAX_CChunkDataParser.h"
#include "aax/AAX_CPacketDispatcher.h"
#include "aax/AAX_CParameterManager.h"
#include "aax/AAX_IEffectParameters.h"

class AAX_VAutomationDelegate;
class AAX_VController;
class AAX_VPageTable;
class AAX_VTransport;

inline constexpr const char* kMasterBypassID = "MasterBypassID";
inline constexpr const char* kPreviewID = "PreviewID";
inline constexpr uint32_t kNotificationPreviewState = fourCharID("ASPv");
inline constexpr uint32_t kControlsChunkID = fourCharID("elck");
inline constexpr const char* kControlsChunkName = "Complete Controls State";

class AAX_CEffectParameters : public AAX_IEffectParameters {
public:
    AAX_CEffectParameters();
    ~AAX_CEffectParameters() override;

    ACFRESULT InternalQueryInterface(const acfIID& iid, void** out) override;

    AAX_Result Initialize(IACFUnknown* host) override;
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) override;
    AAX_Result GetNumberOfParameters(int32_t* count) const override;
    AAX_Result GetMasterBypassParameter(AAX_IString* id) const override;
    AAX_Result GetParameterIsAutomatable(const char* id, bool* automatable) const override;
    AAX_Result GetParameterNumberOfSteps(const char* id, int32_t* steps) const override;
    AAX_Result GetParameterName(const char* id, AAX_IString* name) const override;
    AAX_Result GetParameterNameOfLength(const char* id, AAX_IString* name, int32_t length) const override;
    AAX_Result GetParameterDefaultNormalizedValue(const char* id, double* value) const override;
    AAX_Result SetParameterDefaultNormalizedValue(const char* id, double value) override;
    AAX_Result GetParameterType(const char* id, int32_t* type) const override;
    AAX_Result GetParameterOrientation(const char* id, int32_t* orientation) const override;
    AAX_Result GetParameter(const char* id, AAX_IParameter** parameter) override;
    AAX_Result GetParameterIndex(const char* id, int32_t* index) const override;
    AAX_Result GetParameterIDFromIndex(int32_t index, AAX_IString* id) const override;
    AAX_Result GetParameterValueInfo(const char* id, int32_t selector, int32_t* value) const override;
    AAX_Result GetParameterValueFromString(const char* id, double* value, const AAX_IString& text) const override;
    AAX_Result GetParameterStringFromValue(const char* id, double value, AAX_IString* text, int32_t maxLength) const override;
    AAX_Result GetParameterValueString(const char* id, AAX_IString* text, int32_t maxLength) const override;
    AAX_Result GetParameterNormalizedValue(const char* id, double* value) const override;
    AAX_Result SetParameterNormalizedValue(const char* id, double value) override;
    AAX_Result SetParameterNormalizedRelative(const char* id, double delta) override;
    AAX_Result TouchParameter(const char* id) override;
    AAX_Result ReleaseParameter(const char* id) override;
    AAX_Result UpdateParameterTouch(const char* id, bool touched) override;
    AAX_Result UpdateParameterNormalizedValue(const char* id, double value, int32_t source) override;
    AAX_Result UpdateParameterNormalizedRelative(const char* id, double delta) override;
    AAX_Result GenerateCoefficients() override;
    AAX_Result ResetFieldData(int32_t fieldIndex, void* block, uint32_t size) const override;
    AAX_Result GetNumberOfChunks(int32_t* count) const override;
    AAX_Result GetChunkIDFromIndex(int32_t index, uint32_t* chunkID) const override;
    AAX_Result GetChunkSize(uint32_t chunkID, uint32_t* size) override;
    AAX_Result GetChunk(uint32_t chunkID, AAX_SPlugInChunk* chunk) override;
    AAX_Result SetChunk(uint32_t chunkID, const AAX_SPlugInChunk* chunk) override;
    AAX_Result CompareActiveChunk(const AAX_SPlugInChunk* chunk, bool* isEqual) override;
    AAX_Result GetNumberOfChanges(int32_t* changes) const override;
    AAX_Result TimerWakeup() override;
    AAX_Result GetCurveData(int32_t curveType, const float* values, uint32_t count, float* out) const override;
    AAX_Result GetCustomData(uint32_t blockID, uint32_t size, void* data, uint32_t* written) const override;
    AAX_Result SetCustomData(uint32_t blockID, uint32_t size, const void* data) override;
    AAX_Result DoMIDITransfers() override;
    AAX_Result RenderAudio_Hybrid(void* info) override;
    AAX_Result UpdateMIDINodes(uint32_t fieldIndex, AAX_CMidiPacket& packet) override;
    AAX_Result UpdateControlMIDINodes(uint32_t nodeID, AAX_CMidiPacket& packet) override;
    AAX_Result GetCurveDataMeterIds(int32_t curveType, uint32_t* xMeter, uint32_t* yMeter) const override;
    AAX_Result GetCurveDataDisplayRange(int32_t curveType, float* xMin, float* xMax, float* yMin, float* yMax) const override;
    AAX_Result UpdatePageTable(uint32_t tableType, int32_t pageSize, IACFUnknown* pageTable) override;
    // Hook for subclasses that fill the host's page tables.
    virtual AAX_Result UpdatePageTable(uint32_t tableType, int32_t pageSize, AAX_VPageTable& table);
    // Subclasses register their parameters and packets here.
    virtual AAX_Result EffectInit() { return AAX_SUCCESS; }

    // Leaves an identifier out of the 'elck' chunk.
    void FilterParameterIDOnSave(const char* identifier);
    void BuildChunkData();
    AAX_VController* Controller() const { return controller.get(); }
    AAX_VTransport* Transport() const { return transport.get(); }

protected:
    std::atomic<int32_t> mNumPlugInChanges{0};  // values may arrive on any host thread
    int32_t mChunkSize = 0;
    AAX_CChunkDataParser mChunkParser;
    int32_t mNumChunkedParameters = 0;
    AAX_CPacketDispatcher mPacketDispatcher;
    AAX_CParameterManager mParameterManager;
    std::set<std::string> mFilteredParameters;

private:
    bool isFiltered(const AAX_IParameter& parameter) const { return mFilteredParameters.count(parameter.Identifier()) != 0; }
    void applyChunkValue(AAX_IParameter& parameter);
    bool chunkValueEquals(AAX_IParameter& parameter);

    std::unique_ptr<AAX_VController> controller;
    std::unique_ptr<AAX_VTransport> transport;
    std::unique_ptr<AAX_VAutomationDelegate> automationDelegate;
};
