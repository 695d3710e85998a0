#include "aax/MidiEventBuffer.h"

MidiEventBuffer::MidiEventBuffer() {
    for (int32_t i = 0; i < kCapacity; ++i) {
        VstMidiEvent& event = records[size_t(i)];
        event.type = kVstMidiType;
        event.byteSize = int32_t(sizeof(VstMidiEvent));
        event.flags = kVstMidiEventRealtime;
        list().events[i] = reinterpret_cast<VstEvent*>(&event);
    }
}

bool MidiEventBuffer::append(int32_t deltaFrames, const uint8_t* bytes) {
    if (fill >= kCapacity) return false;
    VstMidiEvent& event = records[size_t(fill++)];
    event.deltaFrames = deltaFrames;
    for (int i = 0; i < 3; ++i) event.midiData[i] = char(bytes[i]);
    return true;
}

VstEvents* MidiEventBuffer::take() {
    list().numEvents = fill;
    fill = 0;
    return &list();
}
