// The native process procedures: one call runs one host buffer for a range
// of instances.  Audio thread: nothing here allocates, locks or waits.

#include <algorithm>
#include <cstring>

#include "aax/BWAAXWrapperParameters.h"
#include "core/AEffect.h"
#include "core/VstOpcodes.h"

namespace {

void zeroOutputs(const AlgorithmContext& context, bool stereo) {
    if (!context.outputs || !context.bufferLength || *context.bufferLength <= 0) return;
    const size_t frames = size_t(*context.bufferLength);
    for (int channel = 0; channel < (stereo ? 2 : 1); ++channel)
        if (float* out = context.outputs[channel]) std::memset(out, 0, frames * sizeof(float));
}

void processRange(void* const instancesBegin[], const void* instancesEnd, bool stereo) {
    if (!instancesBegin) return;
    for (void* const* walk = instancesBegin; walk != instancesEnd; ++walk) {
        const auto* context = static_cast<const AlgorithmContext*>(*walk);
        if (!context) continue;
        // An instance whose packet has not arrived yet is silent; the others
        // in the range still play.
        BWAAXWrapperParameters* instance = context->instance ? *context->instance : nullptr;
        if (!instance) {
            zeroOutputs(*context, stereo);
            continue;
        }
        instance->process(*context, stereo);
    }
}

}  // namespace

void AlgorithmProcess_Mono(void* const instancesBegin[], const void* instancesEnd) { processRange(instancesBegin, instancesEnd, false); }
void AlgorithmProcess_Stereo(void* const instancesBegin[], const void* instancesEnd) { processRange(instancesBegin, instancesEnd, true); }

void BWAAXWrapperParameters::process(const AlgorithmContext& context, bool stereo) {
    const AAX_CMidiStream* stream = context.midiIn ? context.midiIn->GetNodeBuffer() : nullptr;
    const int32_t frames = context.bufferLength ? *context.bufferLength : 0;
    // The MIDI goes on before the length is looked at: note-offs a host
    // sends with a buffer of no samples must still release their notes.
    if (frames <= 0) {
        if (core) passMidiIn(stream, 0, 0, true);
        return;
    }
    if (!context.outputs) return;
    float* out0 = context.outputs[0];
    float* out1 = stereo ? context.outputs[1] : nullptr;
    if (!core || !out0 || (stereo && !out1)) {
        zeroOutputs(context, stereo);
        return;
    }
    // The core was prepared for maxBlockSize frames off the audio thread; a
    // longer host buffer is run in slices of that size rather than
    // preparing the core again here.
    for (int32_t start = 0; start < frames; start += maxBlockSize) {
        const int32_t length = std::min(maxBlockSize, frames - start);
        const bool last = start + length >= frames;
        passMidiIn(stream, start, start + length, last);
        // Mono: the core renders into two channels of its own, summed into
        // the host's one afterwards, so that every stage of the core's
        // output runs once on each channel.
        float* channels[2] = {stereo ? out0 + start : monoScratch[0].data(), stereo ? out1 + start : monoScratch[1].data()};
        sliceOffset = start;
        effect->processReplacing(effect, channels, channels, length);
        if (!stereo)
            for (int32_t i = 0; i < length; ++i) out0[start + i] = monoScratch[0][size_t(i)] + monoScratch[1][size_t(i)];
        postMidiOut(context.midiOut, start);
    }
    sliceOffset = 0;
}

// The core takes 256 events a hand-off; a host buffer with more goes in
// several, in order, so that no note-off of a dense passage is left out.
void BWAAXWrapperParameters::passMidiIn(const AAX_CMidiStream* stream, int32_t from, int32_t to, bool last) {
    if (!stream || !stream->mBuffer || stream->mBufferSize == 0) return;
    for (uint32_t i = 0; i < stream->mBufferSize; ++i) {
        const AAX_CMidiPacket& packet = stream->mBuffer[i];
        const int64_t time = packet.mTimestamp;
        if (time < from || (time >= to && !last)) continue;
        if (inEvents.fillCount() == MidiEventBuffer::kCapacity)
            effect->dispatcher(effect, EffectOpcode::ProcessEvents, 0, 0, inEvents.take(), 0.0f);
        inEvents.append(int32_t(time - from), packet.mData);
    }
    if (inEvents.fillCount() == 0) return;
    effect->dispatcher(effect, EffectOpcode::ProcessEvents, 0, 0, inEvents.take(), 0.0f);
}

void BWAAXWrapperParameters::postMidiOut(AAX_IMIDINode* node, int32_t offset) {
    outEvents.drain([&](const MidiOutputRing::Event& event) {
        if (!node) return;
        AAX_CMidiPacket packet{};
        packet.mTimestamp = uint32_t(event.deltaFrames + offset);
        packet.mLength = 4;
        std::memcpy(packet.mData, event.bytes, 4);
        node->PostMIDIPacket(&packet);
    });
}
