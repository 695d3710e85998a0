// The host stand-in's Standard MIDI File reader over any bytes: it answers
// with events or an error, reads nothing beyond the input, and every event
// it gives is a channel message with data bytes below 128 at a finite,
// non-negative position in order.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<TimedMidi> events;
    std::string error;
    if (!parseMidiFile(bytes, events, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    double last = 0;
    for (const TimedMidi& event : events) {
        if (!(event.quarters >= last) || !std::isfinite(event.quarters)) std::abort();
        if (event.bytes[0] < 0x80 || event.bytes[0] >= 0xF0 || event.bytes[1] > 127 || event.bytes[2] > 127) std::abort();
        last = event.quarters;
    }
    return 0;
}
