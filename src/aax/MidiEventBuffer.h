#pragma once
// A VST2 event list with 256 preset MIDI records (type 1, 32 bytes, real
// time), filled in place: only the delta frames and the first three MIDI
// bytes of a record are ever written, so filling allocates nothing.  Owned
// by one adapter instance; the audio thread fills and hands it to the core.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/VstTypes.h"

class MidiEventBuffer {
public:
    static constexpr int32_t kCapacity = 256;

    MidiEventBuffer();
    MidiEventBuffer(const MidiEventBuffer&) = delete;
    MidiEventBuffer& operator=(const MidiEventBuffer&) = delete;

    // False (and nothing written) when the buffer is full.
    bool append(int32_t deltaFrames, const uint8_t* bytes);
    int32_t fillCount() const { return fill; }
    // Publishes the fill count as the list's event count and empties the
    // buffer for the next round; the records stay readable until then.
    VstEvents* take();
    const VstMidiEvent& record(int32_t index) const { return records[size_t(index)]; }

private:
    VstEvents& list() { return *reinterpret_cast<VstEvents*>(listBytes); }

    // The list header followed by its pointer table, as the core reads it.
    alignas(VstEvents) unsigned char listBytes[sizeof(VstEvents) + kCapacity * sizeof(VstEvent*)] = {};
    std::array<VstMidiEvent, kCapacity> records{};
    int32_t fill = 0;
};
