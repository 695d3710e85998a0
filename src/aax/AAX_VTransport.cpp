#include "aax/AAX_VTransport.h"

AAX_VTransport::AAX_VTransport(IACFUnknown* host)
    : v1(acfQuery<AAX_IACFTransport>(host, IID_IACFTransport)),
      v2(acfQuery<AAX_IACFTransport_V2>(host, IID_IACFTransport_V2)),
      v3(acfQuery<AAX_IACFTransport_V3>(host, IID_IACFTransport_V3)) {}

AAX_VTransport::~AAX_VTransport() {
    acfRelease(v3);
    acfRelease(v2);
    acfRelease(v1);
}

AAX_Result AAX_VTransport::GetCurrentTempo(double* bpm) const { return v1 ? v1->GetCurrentTempo(bpm) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VTransport::GetCurrentMeter(int32_t* numerator, int32_t* denominator) const {
    return v1 ? v1->GetCurrentMeter(numerator, denominator) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::IsTransportPlaying(bool* playing) const { return v1 ? v1->IsTransportPlaying(playing) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VTransport::GetCurrentTickPosition(int64_t* ticks) const { return v1 ? v1->GetCurrentTickPosition(ticks) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VTransport::GetCurrentLoopPosition(bool* looping, int64_t* startTick, int64_t* endTick) const {
    return v1 ? v1->GetCurrentLoopPosition(looping, startTick, endTick) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetCurrentNativeSampleLocation(int64_t* sample) const {
    return v1 ? v1->GetCurrentNativeSampleLocation(sample) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetCustomTickPosition(int64_t* ticks, int64_t sample) const {
    return v1 ? v1->GetCustomTickPosition(ticks, sample) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetBarBeatPosition(int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t sample) const {
    return v1 ? v1->GetBarBeatPosition(bars, beats, displayTicks, sample) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VTransport::GetTicksPerQuarter(uint32_t* ticks) const { return v1 ? v1->GetTicksPerQuarter(ticks) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VTransport::GetCurrentTicksPerBeat(uint32_t* ticks) const { return v1 ? v1->GetCurrentTicksPerBeat(ticks) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VTransport::GetTimelineSelectionStartPosition(int64_t* sample) const {
    return v2 ? v2->GetTimelineSelectionStartPosition(sample) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VTransport::GetTimeCodeInfo(int32_t* frameRate, int32_t* offset) const {
    return v2 ? v2->GetTimeCodeInfo(frameRate, offset) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VTransport::IsMetronomeEnabled(int32_t* enabled) const { return v3 ? v3->IsMetronomeEnabled(enabled) : AAX_ERROR_UNIMPLEMENTED; }
