// Feeds arbitrary bytes to the WAV/AIFF reader as a file and reads whatever
// it accepts as float, as scaled 16-bit values and as the exact 16-bit values
// the sample importer takes.  The exact values are the float ones at 16-bit
// scale: equal for 16-bit data, within rounding for 24-bit data.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/AudioFile.h"
#include "support/Check.h"
#include "support/MemoryFile.h"

namespace {

void countProgress(float, void* calls) {
    ++*static_cast<int*>(calls);
}

bool closeAtInt16Scale(float value, int16_t exact, int32_t bits) {
    const float scaled = value * 32768.0f;
    if (bits == 16) return scaled == float(exact);
    return exact == 32767 ? scaled >= 32766.5f : std::fabs(scaled - float(exact)) <= 0.5f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file("audio_file");
    if (!file.fill(data, size)) return 0;
    int calls = 0;
    AudioFile reader(countProgress, &calls);
    if (reader.open(file.path().c_str()) != kAudioOpened) return 0;
    // An accepted file's frames all lie inside the input.
    if (static_cast<size_t>(reader.getFrames()) * reader.getChannels() * (reader.getBits() / 8) > size) __builtin_trap();
    std::vector<float> left(reader.getFrames()), right(reader.getFrames());
    const int32_t floats = reader.readFloat(left.data(), right.data());
    std::vector<int16_t> left16(reader.getFrames()), right16(reader.getFrames());
    const int32_t scaled = reader.readInt16(left16.data(), right16.data());
    const int32_t exact = reader.readExactInt16(left16.data(), right16.data());
    check(floats == scaled && floats == exact, "every form of read succeeds alike");
    if (exact != 1) return 0;
    for (int32_t i = 0; i < reader.getFrames(); ++i) {
        check(closeAtInt16Scale(left[i], left16[i], reader.getBits()) &&
                  closeAtInt16Scale(right[i], right16[i], reader.getBits()),
              "exact values are the float values at 16-bit scale");
        check(reader.getChannels() == 2 || left16[i] == right16[i], "a mono file fills both channels");
    }
    return 0;
}
