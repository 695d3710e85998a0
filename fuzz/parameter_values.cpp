// Feeds the input, read as (index, value) pairs of little-endian 32-bit
// words, to one instance's setParameter: indices around and beyond 0..389,
// values of every float pattern (NaN, infinities, huge, negative).  Every
// eighth pair also moves the render routine's loop zone and the step cursor,
// and every 64th changes the tempo.  Beyond "no crash": every value that a
// binding points to stays within 0..1.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/LittleEndian.h"
#include "support/FuzzInstance.h"

namespace {

float floatOf(uint32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BWUniClient& client = fuzzInstance();
    for (size_t pair = 0; (pair + 1) * 8 <= size; ++pair) {
        const uint32_t word = platform::littleWord(data + pair * 8);
        const float value = floatOf(platform::littleWord(data + pair * 8 + 4));
        // Mostly indices near the cases; now and then any index at all.
        const int32_t index = (word >> 31) ? static_cast<int32_t>(word) : static_cast<int32_t>(word % 420) - 10;
        if (pair % 8 == 7) {
            client.state().patterns.loopStart = value;
            client.state().patterns.loopEnd = floatOf(word);
            client.state().patterns.stepCursor = word;
        } else if (pair % 64 == 63) {
            client.audioEngine().changeTempo(40.0 + (word % 400));
        } else {
            client.setParameter(index, value);
        }
    }
    for (const ParamBinding* binding : client.allBindings()) {
        if (binding->value && !(*binding->value >= 0.0f && *binding->value <= 1.0f)) std::abort();
    }
    return 0;
}
