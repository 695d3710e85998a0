#pragma once
// The host side of the AAX layer: the interfaces the host offers, version by
// version, as the plug-in's wrappers (AAX_V...) call them and as the host
// stand-in implements them.  Each version extends the one before, and the
// operations of each stand in the order the wrappers list them.  The ids,
// operation lists and records that the plug-in's callers do not fix are our
// own choice; the host-services ids are the ones the framework publishes.

#include <cstdint>

#include "aax/AAXResults.h"
#include "aax/ACFUnknown.h"

class AAX_IString;

struct AAX_Point {
    float vert = 0;
    float horz = 0;
};

struct AAX_Rect {
    float top = 0;
    float left = 0;
    float width = 0;
    float height = 0;
};

// Ids of host interfaces and host classes that the framework leaves to us.
constexpr acfIID zorvaneHostID(uint8_t n) {
    return {0x5A4E0000u + n, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, n}};
}

// ---- host services (assertions and traces) -------------------------------
inline constexpr acfIID IID_IACFHostServices = {0x96D42C2D, 0xEBBC, 0x41EF, {0xB0, 0xAB, 0x99, 0x91, 0xA0, 0xED, 0x0C, 0xCA}};
inline constexpr acfIID IID_IACFHostServices_V2 = {0xA207EE9E, 0xB442, 0x11E4, {0xA7, 0x1E, 0x12, 0xE3, 0xF5, 0x12, 0xA3, 0x38}};
inline constexpr acfIID IID_IACFHostServices_V3 = {0x12BEA399, 0x9A4F, 0x4353, {0x80, 0x98, 0x39, 0x16, 0xFA, 0x71, 0x89, 0x8D}};
inline constexpr acfIID CLSID_HostServices = zorvaneHostID(1);

class AAX_IACFHostServices : public IACFUnknown {
public:
    virtual AAX_Result HandleAssertFailure(const char* file, int32_t line, const char* expression, int32_t type) = 0;
    virtual AAX_Result Trace(int32_t priority, const char* text) = 0;
};
class AAX_IACFHostServices_V2 : public AAX_IACFHostServices {
public:
    virtual AAX_Result StackTrace(int32_t tracePriority, int32_t stackPriority, const char* text) = 0;
};
class AAX_IACFHostServices_V3 : public AAX_IACFHostServices_V2 {
public:
    virtual AAX_Result TraceWithStack(int32_t priority, const char* text, int32_t depth) = 0;
};

// ---- controller (sample rate, packets) and its page tables ----------------
inline constexpr acfIID IID_IACFController = zorvaneHostID(10);
inline constexpr acfIID IID_IACFController_V2 = zorvaneHostID(11);
inline constexpr acfIID IID_IACFController_V3 = zorvaneHostID(12);
inline constexpr acfIID IID_IACFPageTableController = zorvaneHostID(13);
inline constexpr acfIID IID_IACFPageTableController_V2 = zorvaneHostID(14);

class AAX_IACFController : public IACFUnknown {
public:
    virtual AAX_Result GetEffectID(AAX_IString* id) const = 0;
    virtual AAX_Result GetSampleRate(float* rate) const = 0;
    virtual AAX_Result GetInputStemFormat(int32_t* format) const = 0;
    virtual AAX_Result GetOutputStemFormat(int32_t* format) const = 0;
    virtual AAX_Result GetSignalLatency(int32_t* samples) const = 0;
    virtual AAX_Result SetSignalLatency(int32_t samples) = 0;
    virtual AAX_Result PostPacket(uint32_t fieldIndex, const void* data, uint32_t size) = 0;
    virtual AAX_Result GetCurrentMeterValue(uint32_t meterID, float* value) const = 0;
};
class AAX_IACFController_V2 : public AAX_IACFController {
public:
    virtual AAX_Result SendNotification(uint32_t type, const void* data, uint32_t size) = 0;
    virtual AAX_Result GetHybridSignalLatency(int32_t* samples) const = 0;
};
class AAX_IACFController_V3 : public AAX_IACFController_V2 {
public:
    // Hands out a host object; the wrapper's default clears `out`.
    virtual AAX_Result CreateTaskAgent(IACFUnknown** out) = 0;
};

inline constexpr acfIID IID_IACFPageTable = zorvaneHostID(20);
inline constexpr acfIID IID_IACFPageTable_V2 = zorvaneHostID(21);
inline constexpr acfIID CLSID_PageTable = zorvaneHostID(22);

// Fills a page table that the plug-in made through the component factory.
class AAX_IACFPageTableController : public IACFUnknown {
public:
    virtual AAX_Result CopyTableForEffect(const char* effectID, const char* layoutName, uint32_t tableType, int32_t pageSize, IACFUnknown* table) const = 0;
    virtual AAX_Result CopyTableForLayout(const char* effectID, const char* layoutName, uint32_t tableType, int32_t pageSize, IACFUnknown* table) const = 0;
};
class AAX_IACFPageTableController_V2 : public AAX_IACFPageTableController {
public:
    virtual AAX_Result CopyTableForEffectFromFile(const char* path, const char* layoutName, uint32_t tableType, int32_t pageSize, IACFUnknown* table) const = 0;
    virtual AAX_Result CopyTableForLayoutFromFile(const char* path, const char* layoutName, uint32_t tableType, int32_t pageSize, IACFUnknown* table) const = 0;
};

class AAX_IACFPageTable : public IACFUnknown {
public:
    virtual AAX_Result Clear() = 0;
    virtual AAX_Result GetNumPages(int32_t* pages) const = 0;
    virtual AAX_Result InsertPage(int32_t page) = 0;
    virtual AAX_Result RemovePage(int32_t page) = 0;
    virtual AAX_Result GetMappedParameterID(int32_t page, int32_t slot, AAX_IString* id) const = 0;
    virtual AAX_Result MapParameterID(const char* id, int32_t page, int32_t slot) = 0;
};
class AAX_IACFPageTable_V2 : public AAX_IACFPageTable {
public:
    virtual AAX_Result GetNumNameVariations(const char* id, int32_t* count) const = 0;
};

// ---- transport ------------------------------------------------------------
inline constexpr acfIID IID_IACFTransport = zorvaneHostID(30);
inline constexpr acfIID IID_IACFTransport_V2 = zorvaneHostID(31);
inline constexpr acfIID IID_IACFTransport_V3 = zorvaneHostID(32);

class AAX_IACFTransport : public IACFUnknown {
public:
    virtual AAX_Result GetCurrentTempo(double* bpm) const = 0;
    virtual AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const = 0;
    virtual AAX_Result IsTransportPlaying(bool* playing) const = 0;
    virtual AAX_Result GetCurrentTickPosition(int64_t* ticks) const = 0;
    virtual AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* startTick, int64_t* endTick) const = 0;
    virtual AAX_Result GetCurrentNativeSampleLocation(int64_t* sample) const = 0;
    virtual AAX_Result GetCustomTickPosition(int64_t* ticks, int64_t sample) const = 0;
    virtual AAX_Result GetBarBeatPosition(int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t sample) const = 0;
    virtual AAX_Result GetTicksPerQuarter(uint32_t* ticks) const = 0;
    virtual AAX_Result GetCurrentTicksPerBeat(uint32_t* ticks) const = 0;
};
class AAX_IACFTransport_V2 : public AAX_IACFTransport {
public:
    virtual AAX_Result GetTimelineSelectionStartPosition(int64_t* sample) const = 0;
    virtual AAX_Result GetTimeCodeInfo(int32_t* frameRate, int32_t* offset) const = 0;
};
class AAX_IACFTransport_V3 : public AAX_IACFTransport_V2 {
public:
    virtual AAX_Result IsMetronomeEnabled(int32_t* enabled) const = 0;
};

// ---- view container -------------------------------------------------------
inline constexpr acfIID IID_IACFViewContainer = zorvaneHostID(40);
inline constexpr acfIID IID_IACFViewContainer_V2 = zorvaneHostID(41);

class AAX_IACFViewContainer : public IACFUnknown {
public:
    virtual int32_t GetType() = 0;
    virtual void* GetPtr() = 0;
    virtual AAX_Result GetModifiers(uint32_t* modifiers) = 0;
    virtual AAX_Result SetViewSize(AAX_Point& size) = 0;
};
class AAX_IACFViewContainer_V2 : public AAX_IACFViewContainer {
public:
    virtual AAX_Result HandleParameterMouseDown(const char* id, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseDrag(const char* id, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseUp(const char* id, uint32_t modifiers) = 0;
};

// ---- automation -----------------------------------------------------------
inline constexpr acfIID IID_IACFAutomationDelegate = zorvaneHostID(50);

class AAX_IACFAutomationDelegate : public IACFUnknown {
public:
    virtual AAX_Result RegisterParameter(const char* id) = 0;
    virtual AAX_Result UnregisterParameter(const char* id) = 0;
    virtual AAX_Result PostSetValueRequest(const char* id, double normalized) const = 0;
    virtual AAX_Result PostCurrentValue(const char* id, double normalized) const = 0;
    virtual AAX_Result PostTouchRequest(const char* id) = 0;
    virtual AAX_Result PostReleaseRequest(const char* id) = 0;
    virtual AAX_Result GetTouchState(const char* id, bool* touched) = 0;
};

// ---- description: collection, descriptors, property maps ------------------
inline constexpr acfIID IID_IACFCollection = zorvaneHostID(60);
inline constexpr acfIID IID_IACFDescriptionHost = zorvaneHostID(61);
inline constexpr acfIID IID_IACFDescriptionHost_V2 = zorvaneHostID(62);
inline constexpr acfIID IID_IACFFeatureInfo = zorvaneHostID(63);
inline constexpr acfIID IID_IACFEffectDescriptor = zorvaneHostID(64);
inline constexpr acfIID IID_IACFEffectDescriptor_V2 = zorvaneHostID(65);
inline constexpr acfIID IID_IACFComponentDescriptor = zorvaneHostID(66);
inline constexpr acfIID IID_IACFComponentDescriptor_V2 = zorvaneHostID(67);
inline constexpr acfIID IID_IACFComponentDescriptor_V3 = zorvaneHostID(68);
inline constexpr acfIID IID_IACFPropertyMap = zorvaneHostID(69);
inline constexpr acfIID IID_IACFPropertyMap_V2 = zorvaneHostID(70);
inline constexpr acfIID IID_IACFPropertyMap_V3 = zorvaneHostID(71);
inline constexpr acfIID CLSID_EffectDescriptor = zorvaneHostID(72);
inline constexpr acfIID CLSID_ComponentDescriptor = zorvaneHostID(73);
inline constexpr acfIID CLSID_PropertyMap = zorvaneHostID(74);

class AAX_IACFCollection : public IACFUnknown {
public:
    virtual AAX_Result AddEffect(const char* effectID, IACFUnknown* descriptor) = 0;
    virtual AAX_Result SetManufacturerName(const char* name) = 0;
    virtual AAX_Result AddPackageName(const char* name) = 0;
    virtual AAX_Result SetPackageVersion(uint32_t version) = 0;
    virtual AAX_Result SetProperties(IACFUnknown* properties) = 0;
    // The object that the registration hands back to the host.
    virtual IACFUnknown* GetPlugInDefinition() = 0;
};

class AAX_IACFDescriptionHost : public IACFUnknown {
public:
    virtual AAX_Result AcquireFeatureProperties(const acfIID& feature, IACFUnknown** featureInfo) const = 0;
};
class AAX_IACFDescriptionHost_V2 : public AAX_IACFDescriptionHost {
public:
    virtual AAX_Result GetHostVersion(uint32_t* version) const = 0;
};

class AAX_IACFFeatureInfo : public IACFUnknown {
public:
    virtual AAX_Result SupportLevel(int32_t* level) const = 0;
    virtual AAX_Result AcquireProperties(IACFUnknown** properties) = 0;
};

class AAX_IACFEffectDescriptor : public IACFUnknown {
public:
    virtual AAX_Result AddComponent(IACFUnknown* component) = 0;
    virtual AAX_Result AddName(const char* name) = 0;
    virtual AAX_Result AddCategory(uint32_t category) = 0;
    virtual AAX_Result AddCategoryBypassParameter(uint32_t category, const char* id) = 0;
    virtual AAX_Result AddProcPtr(void* procedure, int32_t procID) = 0;
    virtual AAX_Result SetProperties(IACFUnknown* properties) = 0;
    virtual AAX_Result AddResourceInfo(int32_t type, const char* path) = 0;
};
class AAX_IACFEffectDescriptor_V2 : public AAX_IACFEffectDescriptor {
public:
    virtual AAX_Result AddControlMIDINode(uint32_t nodeID, int32_t type, const char* name, uint32_t channelMask) = 0;
};

// A property value is a 32-bit word; the pointer operations carry pointer-
// sized values.
class AAX_IACFPropertyMap : public IACFUnknown {
public:
    virtual int32_t GetProperty(int32_t property, int32_t* value) const = 0;  // 1 when present
    virtual AAX_Result AddProperty(int32_t property, int32_t value) = 0;
    virtual AAX_Result RemoveProperty(int32_t property) = 0;
};
class AAX_IACFPropertyMap_V2 : public AAX_IACFPropertyMap {
public:
    virtual int32_t GetPointerProperty(int32_t property, intptr_t* value) const = 0;  // 1 when present
    virtual AAX_Result AddPointerProperty(int32_t property, intptr_t value) = 0;
};
class AAX_IACFPropertyMap_V3 : public AAX_IACFPropertyMap_V2 {
public:
    virtual AAX_Result RemovePointerProperty(int32_t property) = 0;
};

using AAX_ProcessProc = void (*)(void* const instancesBegin[], const void* instancesEnd);
using AAX_InitProc = int32_t (*)(const void* instance, int32_t action);
using AAX_BackgroundProc = int32_t (*)();

class AAX_IACFComponentDescriptor : public IACFUnknown {
public:
    virtual AAX_Result Clear() = 0;
    virtual AAX_Result AddAudioIn(uint32_t field) = 0;
    virtual AAX_Result AddAudioOut(uint32_t field) = 0;
    virtual AAX_Result AddAudioBufferLength(uint32_t field) = 0;
    virtual AAX_Result AddSampleRate(uint32_t field) = 0;
    virtual AAX_Result AddDataInPort(uint32_t field, uint32_t size, int32_t portType) = 0;
    virtual AAX_Result AddPrivateData(uint32_t field, int32_t size, int32_t options) = 0;
    virtual AAX_Result AddMIDINode(uint32_t field, int32_t nodeType, const char* name, uint32_t channelMask) = 0;
    virtual AAX_Result AddProcessProc_Native(AAX_ProcessProc proc, IACFUnknown* properties, AAX_InitProc init, AAX_BackgroundProc background, int32_t* selector) = 0;
    virtual AAX_Result AddProcessProc_TI(const char* dllFile, const char* procName, IACFUnknown* properties, const char* initName, const char* backgroundName, int32_t* selector) = 0;
};
class AAX_IACFComponentDescriptor_V2 : public AAX_IACFComponentDescriptor {
public:
    virtual AAX_Result AddTemporaryData(uint32_t field, uint32_t size) = 0;
};
class AAX_IACFComponentDescriptor_V3 : public AAX_IACFComponentDescriptor_V2 {
public:
    virtual AAX_Result AddProcessProc(IACFUnknown* properties, int32_t* selectors, int32_t count, int32_t* added) = 0;
};

// Property ids the descriptor wrapper reads when it adds procedures itself.
enum : int32_t {
    AAX_eProperty_NativeProcessProc = 36,
    AAX_eProperty_NativeInstanceInitProc = 37,
    AAX_eProperty_NativeBackgroundProc = 38,
    AAX_eProperty_TIDLLFileName = 39,
    AAX_eProperty_TIProcessProc = 40,
    AAX_eProperty_TIInstanceInitProc = 41,
    AAX_eProperty_TIBackgroundProc = 42,
    AAX_eProperty_InputStemFormat = 51,
    AAX_eProperty_OutputStemFormat = 52,
};

// ---- MIDI nodes -----------------------------------------------------------
// 16 bytes: timestamp (sample offset), length, four data bytes, immediate flag.
struct AAX_CMidiPacket {
    uint32_t mTimestamp;
    uint32_t mLength;
    uint8_t mData[4];
    uint8_t mIsImmediate;
    uint8_t padding[3];
};
static_assert(sizeof(AAX_CMidiPacket) == 16);

struct AAX_CMidiStream {
    uint32_t mBufferSize;  // number of packets
    AAX_CMidiPacket* mBuffer;
};

class AAX_IMIDINode {
public:
    virtual AAX_CMidiStream* GetNodeBuffer() = 0;
    virtual AAX_Result PostMIDIPacket(AAX_CMidiPacket* packet) = 0;

protected:
    ~AAX_IMIDINode() = default;
};
