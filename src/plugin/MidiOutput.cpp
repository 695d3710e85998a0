#include "plugin/MidiOutput.h"

#include <cstddef>

MidiOutput::MidiOutput() {
    // The host reads the record as a VstEvents list.
    static_assert(offsetof(MidiOutput, reserved) == offsetof(VstEvents, reserved));
    static_assert(offsetof(MidiOutput, pointers) == offsetof(VstEvents, events));
    for (int32_t i = 0; i < kCapacity; ++i) {
        records[i].type = kVstMidiType;
        records[i].byteSize = sizeof(VstMidiEvent);
        records[i].flags = kVstMidiEventRealtime;
        pointers[i] = reinterpret_cast<VstEvent*>(&records[i]);
    }
}

bool MidiOutput::write(uint8_t status, int32_t note, int32_t velocity, int32_t offset) {
    if (count >= kCapacity) return false;
    VstMidiEvent& e = records[count++];
    e.deltaFrames = offset;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(note);
    e.midiData[2] = static_cast<char>(velocity);
    e.midiData[3] = 0;
    return true;
}

bool MidiOutput::noteOn(int32_t channel, int32_t note, int32_t velocity, int32_t offset) {
    return write(static_cast<uint8_t>(0x90 | (channel & 0x0F)), note, velocity, offset);
}

bool MidiOutput::noteOff(int32_t channel, int32_t note, int32_t offset) {
    const uint8_t status = static_cast<uint8_t>(0x80 | (channel & 0x0F));
    if (write(status, note, 0, offset)) return true;
    if (carryCount < kCarryCapacity) carry[carryCount++] = {status, static_cast<uint8_t>(note)};
    return false;
}

void MidiOutput::sendCarried() {
    int32_t kept = 0;
    for (int32_t i = 0; i < carryCount; ++i) {
        if (!write(carry[i].status, carry[i].note, 0, 0)) carry[kept++] = carry[i];
    }
    carryCount = kept;
}

VstEvents* MidiOutput::takeBlock() {
    numEvents = count;
    count = 0;
    return reinterpret_cast<VstEvents*>(&numEvents);
}
