#pragma once
// The per-instance record the host fills before each call of a process
// procedure, one pointer-sized field per context field of the component
// description, in field order.  Shared by the plug-in and the host stand-in.

#include <cstdint>

#include "aax/AAXHostInterfaces.h"

class BWAAXWrapperParameters;

// Context field indices as the component description declares them.
enum AlgorithmField : uint32_t {
    kFieldBypass = 0,
    kFieldAudioIn = 1,
    kFieldAudioOut = 2,
    kFieldBufferLength = 3,
    kFieldMidiIn = 4,
    kFieldMidiOut = 5,
    kFieldInstance = 6,
    kAlgorithmFieldCount = 7,
};

struct AlgorithmContext {
    const int32_t* bypass;                          // the 4-byte bypass packet
    float* const* inputs;
    float* const* outputs;
    const int32_t* bufferLength;
    AAX_IMIDINode* midiIn;
    AAX_IMIDINode* midiOut;
    BWAAXWrapperParameters* const* instance;        // the 8-byte "effc" packet; null until posted
};
static_assert(sizeof(AlgorithmContext) == kAlgorithmFieldCount * sizeof(void*));
