// The core's requests to its host, answered with AAX operations so that the
// core never sees the AAX host.

#include <cstdio>
#include <cstring>

#include "aax/AAX_VController.h"
#include "aax/AAX_VTransport.h"
#include "aax/AAX_VViewContainer.h"
#include "aax/BWAAXWrapperCustomView.h"
#include "aax/BWAAXWrapperParameters.h"
#include "core/AEffect.h"
#include "core/VstOpcodes.h"

namespace {

constexpr double kLoopTickScale = 1.0416666666666667e-6;  // 1 / 960000 ticks per quarter

// What the core is told about its host: the identity it recognises.
constexpr const char* kHostVendor = "Avid";
constexpr const char* kHostProduct = "Pro Tools";
constexpr const char* kHostCanDo[] = {"sendVstMidiEvent", "receiveVstMidiEvent", "sizeWindow"};

void writeIdentifier(char (&id)[32], int32_t index) { std::snprintf(id, sizeof(id), "%d", index); }

intptr_t copyText(void* out, const char* text) {
    if (!out) return 0;
    std::memcpy(out, text, std::strlen(text) + 1);
    return 1;
}

}  // namespace

intptr_t hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (!effect) return 0;
    auto* instance = static_cast<BWAAXWrapperParameters*>(effect->user);
    if (!instance || instance->getEffect() != effect) return 0;
    return instance->answerHost(opcode, index, value, ptr, opt);
}

intptr_t BWAAXWrapperParameters::answerHost(int32_t opcode, int32_t index, intptr_t, void* ptr, float opt) {
    char id[32];
    switch (opcode) {
    case HostOpcode::Automate:
        writeIdentifier(id, index);
        SetParameterNormalizedValue(id, double(opt));
        return 0;
    case HostOpcode::Version: return 2;
    case HostOpcode::GetTime: return reinterpret_cast<intptr_t>(updateTimeInfo());
    case HostOpcode::ProcessEvents: return copyEventsToHost(static_cast<const VstEvents*>(ptr));
    case HostOpcode::SizeWindow: return sizeWindow();
    case HostOpcode::GetSampleRate: {
        // What the host last told us stands when it cannot answer now.
        float rate = timeInfo.sampleRate > 0 ? float(timeInfo.sampleRate) : 44100.0f;
        if (Controller()) Controller()->GetSampleRate(&rate);
        return intptr_t(rate);
    }
    case HostOpcode::GetVendorString: return copyText(ptr, kHostVendor);
    case HostOpcode::GetProductString: return copyText(ptr, kHostProduct);
    case HostOpcode::CanDo:
        if (!ptr) return 0;
        for (const char* text : kHostCanDo)
            if (std::strcmp(static_cast<const char*>(ptr), text) == 0) return 1;
        return 0;
    case HostOpcode::UpdateDisplay: rebuildParameters.store(true); return 0;
    case HostOpcode::BeginEdit:
        writeIdentifier(id, index);
        TouchParameter(id);
        return 0;
    case HostOpcode::EndEdit:
        writeIdentifier(id, index);
        ReleaseParameter(id);
        return 0;
    default: return 0;
    }
}

intptr_t BWAAXWrapperParameters::copyEventsToHost(const VstEvents* events) {
    if (!events || events->numEvents < 1) return 0;
    intptr_t sawMidi = 0;
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        MidiOutputRing::Event record{midi->deltaFrames, {}};
        std::memcpy(record.bytes, midi->midiData, 4);
        outEvents.push(record);  // a full ring drops the event
        sawMidi = 1;
    }
    return sawMidi;
}

intptr_t BWAAXWrapperParameters::sizeWindow() {
    if (!view || !view->GetViewContainer()) return 0;
    AAX_Point size;
    view->GetViewSize(&size);
    return view->GetViewContainer()->SetViewSize(size) == AAX_SUCCESS ? 1 : 0;
}

VstTimeInfo* BWAAXWrapperParameters::updateTimeInfo() {
    AAX_VTransport* transport = Transport();
    if (!transport) return &timeInfo;
    double tempo = 120.0;
    int32_t numerator = 4;
    int32_t denominator = 4;
    int64_t tick = 0;
    uint32_t ticksPerQuarter = 0;
    bool playing = false;
    transport->GetCurrentTempo(&tempo);
    transport->IsTransportPlaying(&playing);
    transport->GetCurrentMeter(&numerator, &denominator);
    transport->GetCurrentTickPosition(&tick);
    transport->GetTicksPerQuarter(&ticksPerQuarter);
    bool looping = false;
    int64_t loopStart = 0;
    int64_t loopEnd = 0;
    transport->GetCurrentLoopPosition(&looping, &loopStart, &loopEnd);

    timeInfo.cycleStartPos = double(loopStart) * kLoopTickScale;
    timeInfo.cycleEndPos = double(loopEnd) * kLoopTickScale;
    int32_t flags = timeInfo.flags & ~(TimeInfoFlags::CycleActive | TimeInfoFlags::TransportPlaying);
    flags |= TimeInfoFlags::CyclePositionsValid;
    if (looping) flags |= TimeInfoFlags::CycleActive;
    if (playing) flags |= TimeInfoFlags::TransportPlaying;
    timeInfo.flags = flags;
    timeInfo.tempo = tempo;
    timeInfo.timeSigNumerator = numerator;
    timeInfo.timeSigDenominator = denominator;
    // No ticks per quarter from the host: the position is unknown, not infinite.
    timeInfo.ppqPos = tick >= 1 && ticksPerQuarter > 0 ? double(tick) / double(ticksPerQuarter) : 0.0;
    // A later slice of a long host buffer starts that much further on.
    if (sliceOffset > 0 && playing && timeInfo.sampleRate > 0)
        timeInfo.ppqPos += double(sliceOffset) / timeInfo.sampleRate * tempo / 60.0;
    return &timeInfo;
}
