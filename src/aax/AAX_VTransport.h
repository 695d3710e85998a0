#pragma once
// Wrapper of the host's transport.  The first version's ten operations answer
// -20004 without a host transport, the later versions' -20009; outputs are
// then left as the caller set them.

#include "aax/AAXHostInterfaces.h"

class AAX_VTransport {
public:
    explicit AAX_VTransport(IACFUnknown* host);
    virtual ~AAX_VTransport();
    AAX_VTransport(const AAX_VTransport&) = delete;
    AAX_VTransport& operator=(const AAX_VTransport&) = delete;

    virtual AAX_Result GetCurrentTempo(double* bpm) const;
    virtual AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const;
    virtual AAX_Result IsTransportPlaying(bool* playing) const;
    virtual AAX_Result GetCurrentTickPosition(int64_t* ticks) const;
    virtual AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* startTick, int64_t* endTick) const;
    virtual AAX_Result GetCurrentNativeSampleLocation(int64_t* sample) const;
    virtual AAX_Result GetCustomTickPosition(int64_t* ticks, int64_t sample) const;
    virtual AAX_Result GetBarBeatPosition(int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t sample) const;
    virtual AAX_Result GetTicksPerQuarter(uint32_t* ticks) const;
    virtual AAX_Result GetCurrentTicksPerBeat(uint32_t* ticks) const;
    virtual AAX_Result GetTimelineSelectionStartPosition(int64_t* sample) const;
    virtual AAX_Result GetTimeCodeInfo(int32_t* frameRate, int32_t* offset) const;
    virtual AAX_Result IsMetronomeEnabled(int32_t* enabled) const;

private:
    AAX_IACFTransport* v1 = nullptr;
    AAX_IACFTransport_V2* v2 = nullptr;
    AAX_IACFTransport_V3* v3 = nullptr;
};
