#pragma once
// The notes the engine generates in one block, on their way to the host (or
// to the MIDI export's file writer).  The record starts like a VstEvents list
// so that the host callback takes it as one; its 256 events are linked once
// at construction, so the render routine fills them without allocating.
//
// A note-off that finds the block full is not forgotten: it waits in a small
// carry list and goes out first in the next block, so that the host never
// keeps a note hanging because the engine was busy.
//
// Audio thread only.

#include <array>
#include <cstdint>

#include "core/VstTypes.h"

class MidiOutput {
public:
    static constexpr int32_t kCapacity = 256;
    // Every voice of every layer can owe one note-off.
    static constexpr int32_t kCarryCapacity = 24;

    MidiOutput();
    MidiOutput(const MidiOutput&) = delete;
    MidiOutput& operator=(const MidiOutput&) = delete;

    // Status byte, note and velocity at a sample of the block; false when
    // the block is full (a note-off is then carried to the next block).
    bool noteOn(int32_t channel, int32_t note, int32_t velocity, int32_t offset);
    bool noteOff(int32_t channel, int32_t note, int32_t offset);
    // Writes the carried note-offs at the start of a new block.
    void sendCarried();

    // The block's list for the host: the pending events become its count and
    // the pending count starts again at 0.
    VstEvents* takeBlock();
    int32_t pending() const { return count; }
    const VstMidiEvent& event(int32_t i) const { return records[i]; }
    int32_t carried() const { return carryCount; }

private:
    bool write(uint8_t status, int32_t note, int32_t velocity, int32_t offset);

    // The VstEvents layout: count, reserved word, event pointers.
    int32_t numEvents = 0;
    [[maybe_unused]] intptr_t reserved = 0;
    VstEvent* pointers[kCapacity];
    std::array<VstMidiEvent, kCapacity> records{};
    int32_t count = 0;
    struct Carried {
        uint8_t status;
        uint8_t note;
    };
    std::array<Carried, kCarryCapacity> carry{};
    int32_t carryCount = 0;
};
