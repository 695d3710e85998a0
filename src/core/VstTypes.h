#pragma once
// The records that travel through the VST2-style interface between the
// plug-in object, its host adapter and its editor.  Layouts are those of the
// 64-bit VST 2.4 interface; the sizes are pinned because the adapter and the
// core build and read these records in raw memory.

#include <cstdint>

// One event of an event list.  `type` says which record it really is.
struct VstEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;  // sample offset within the block
    int32_t flags;
    char data[16];
};

constexpr int32_t kVstMidiType = 1;
constexpr int32_t kVstMidiEventRealtime = 1;  // VstMidiEvent::flags

struct VstMidiEvent {
    int32_t type;      // kVstMidiType
    int32_t byteSize;  // sizeof(VstMidiEvent)
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4];  // status, two data bytes, one spare
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

// A list of event pointers.  Its owner allocates room for as many pointers
// as it needs behind the header (often followed by the events themselves).
struct VstEvents {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[];
};

// Transport state that the host fills in for getTimeInfo.
struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;  // position in quarter notes
    double tempo;   // beats per minute
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    int32_t smpteOffset;
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags;
};

// Bits of VstTimeInfo::flags.
namespace TimeInfoFlags {
enum : int32_t {
    TransportPlaying = 0x2,
    CycleActive = 0x4,
    CyclePositionsValid = 0x1000,
};
}

// The editor's rectangle in pixels.
struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VstKeyCode {
    int32_t character;
    uint8_t virt;  // virtual key
    uint8_t modifier;
};

struct VstPinProperties {
    char label[64];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
};

// Bits of VstPinProperties::flags.
namespace PinFlags {
enum : int32_t { IsActive = 0x1, IsStereo = 0x2 };
}

struct VstParameterProperties {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[64];
    int32_t flags;
    int32_t minInteger;
    int32_t maxInteger;
    int32_t stepInteger;
    int32_t largeStepInteger;
    char shortLabel[8];
    int16_t displayIndex;
    int16_t category;
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[24];
    char future[16];
};

// Bits of VstParameterProperties::flags.
namespace ParameterFlags {
enum : int32_t { IsSwitch = 0x1 };
}

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
};

// An arrangement is allocated with room for numChannels speakers.
struct VstSpeakerArrangement {
    int32_t type;
    int32_t numChannels;
    VstSpeakerProperties speakers[];
};

static_assert(sizeof(VstEvent) == 32);
static_assert(sizeof(VstMidiEvent) == 32);
static_assert(sizeof(VstEvents) == 16);
static_assert(sizeof(VstTimeInfo) == 88);
static_assert(sizeof(VstPinProperties) == 128);
static_assert(sizeof(VstParameterProperties) == 152);
static_assert(sizeof(VstSpeakerProperties) == 112);
static_assert(sizeof(VstSpeakerArrangement) == 8);
