#pragma once
// The effect-parameters interface the host calls on the plug-in's object for
// each instance, in its four versions.  Slot k of the object's table is the
// k-th operation below, counting QueryInterface, AddRef and Release as 0-2;
// the slot numbers are in the comments.

#include <cstdint>

#include "aax/AAXHostInterfaces.h"
#include "aax/AAX_SPlugInChunk.h"

class AAX_IParameter;

inline constexpr acfIID IID_IACFEffectParameters = {0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E}};
inline constexpr acfIID IID_IACFEffectParameters_V2 = {0xF1F47D06, 0x308F, 0x4CC5, {0x9C, 0x7C, 0x50, 0xA8, 0x3F, 0x8A, 0xB8, 0x13}};
inline constexpr acfIID IID_IACFEffectParameters_V3 = {0xD2540E9D, 0x9163, 0x42BB, {0xA6, 0xFD, 0x81, 0xE1, 0x0E, 0xA3, 0x24, 0x98}};
inline constexpr acfIID IID_IACFEffectParameters_V4 = {0x2E485536, 0x31A3, 0x4697, {0x9C, 0x16, 0xE5, 0x9B, 0xF6, 0xB2, 0x8A, 0x41}};

class AAX_IACFEffectParameters : public IACFUnknown {
public:
    virtual AAX_Result Initialize(IACFUnknown* host) = 0;                                                   // 3
    virtual AAX_Result Uninitialize() = 0;                                                                  // 4
    virtual AAX_Result NotificationReceived(uint32_t type, const void* data, uint32_t size) = 0;            // 5
    virtual AAX_Result GetNumberOfParameters(int32_t* count) const = 0;                                     // 6
    virtual AAX_Result GetMasterBypassParameter(AAX_IString* id) const = 0;                                 // 7
    virtual AAX_Result GetParameterIsAutomatable(const char* id, bool* automatable) const = 0;              // 8
    virtual AAX_Result GetParameterNumberOfSteps(const char* id, int32_t* steps) const = 0;                 // 9
    virtual AAX_Result GetParameterName(const char* id, AAX_IString* name) const = 0;                       // 10
    virtual AAX_Result GetParameterNameOfLength(const char* id, AAX_IString* name, int32_t length) const = 0;  // 11
    virtual AAX_Result GetParameterDefaultNormalizedValue(const char* id, double* value) const = 0;         // 12
    virtual AAX_Result SetParameterDefaultNormalizedValue(const char* id, double value) = 0;                // 13
    virtual AAX_Result GetParameterType(const char* id, int32_t* type) const = 0;                           // 14
    virtual AAX_Result GetParameterOrientation(const char* id, int32_t* orientation) const = 0;             // 15
    virtual AAX_Result GetParameter(const char* id, AAX_IParameter** parameter) = 0;                        // 16
    virtual AAX_Result GetParameterIndex(const char* id, int32_t* index) const = 0;                         // 17
    virtual AAX_Result GetParameterIDFromIndex(int32_t index, AAX_IString* id) const = 0;                   // 18
    virtual AAX_Result GetParameterValueInfo(const char* id, int32_t selector, int32_t* value) const = 0;   // 19
    virtual AAX_Result GetParameterValueFromString(const char* id, double* value, const AAX_IString& text) const = 0;  // 20
    virtual AAX_Result GetParameterStringFromValue(const char* id, double value, AAX_IString* text, int32_t maxLength) const = 0;  // 21
    virtual AAX_Result GetParameterValueString(const char* id, AAX_IString* text, int32_t maxLength) const = 0;  // 22
    virtual AAX_Result GetParameterNormalizedValue(const char* id, double* value) const = 0;                // 23
    virtual AAX_Result SetParameterNormalizedValue(const char* id, double value) = 0;                       // 24
    virtual AAX_Result SetParameterNormalizedRelative(const char* id, double delta) = 0;                    // 25
    virtual AAX_Result TouchParameter(const char* id) = 0;                                                  // 26
    virtual AAX_Result ReleaseParameter(const char* id) = 0;                                                // 27
    virtual AAX_Result UpdateParameterTouch(const char* id, bool touched) = 0;                              // 28
    virtual AAX_Result UpdateParameterNormalizedValue(const char* id, double value, int32_t source) = 0;    // 29
    virtual AAX_Result UpdateParameterNormalizedRelative(const char* id, double delta) = 0;                 // 30
    virtual AAX_Result GenerateCoefficients() = 0;                                                          // 31
    virtual AAX_Result ResetFieldData(int32_t fieldIndex, void* block, uint32_t size) const = 0;            // 32
    virtual AAX_Result GetNumberOfChunks(int32_t* count) const = 0;                                         // 33
    virtual AAX_Result GetChunkIDFromIndex(int32_t index, uint32_t* chunkID) const = 0;                     // 34
    virtual AAX_Result GetChunkSize(uint32_t chunkID, uint32_t* size) = 0;                                  // 35
    virtual AAX_Result GetChunk(uint32_t chunkID, AAX_SPlugInChunk* chunk) = 0;                             // 36
    virtual AAX_Result SetChunk(uint32_t chunkID, const AAX_SPlugInChunk* chunk) = 0;                       // 37
    virtual AAX_Result CompareActiveChunk(const AAX_SPlugInChunk* chunk, bool* isEqual) = 0;                // 38
    virtual AAX_Result GetNumberOfChanges(int32_t* changes) const = 0;                                      // 39
    virtual AAX_Result TimerWakeup() = 0;                                                                   // 40
    virtual AAX_Result GetCurveData(int32_t curveType, const float* values, uint32_t count, float* out) const = 0;  // 41
};

class AAX_IACFEffectParameters_V2 : public AAX_IACFEffectParameters {
public:
    virtual AAX_Result GetCustomData(uint32_t blockID, uint32_t size, void* data, uint32_t* written) const = 0;  // 42
    virtual AAX_Result SetCustomData(uint32_t blockID, uint32_t size, const void* data) = 0;                // 43
    virtual AAX_Result DoMIDITransfers() = 0;                                                               // 44
};

class AAX_IACFEffectParameters_V3 : public AAX_IACFEffectParameters_V2 {
public:
    virtual AAX_Result RenderAudio_Hybrid(void* info) = 0;                                                  // 45
    virtual AAX_Result UpdateMIDINodes(uint32_t fieldIndex, AAX_CMidiPacket& packet) = 0;                   // 46
    virtual AAX_Result UpdateControlMIDINodes(uint32_t nodeID, AAX_CMidiPacket& packet) = 0;                // 47
    virtual AAX_Result GetCurveDataMeterIds(int32_t curveType, uint32_t* xMeter, uint32_t* yMeter) const = 0;  // 48
    virtual AAX_Result GetCurveDataDisplayRange(int32_t curveType, float* xMin, float* xMax, float* yMin, float* yMax) const = 0;  // 49
};

class AAX_IACFEffectParameters_V4 : public AAX_IACFEffectParameters_V3 {
public:
    virtual AAX_Result UpdatePageTable(uint32_t tableType, int32_t pageSize, IACFUnknown* pageTable) = 0;   // 50
};
