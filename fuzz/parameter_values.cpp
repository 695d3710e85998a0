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
#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/ReusedSubject.h"

namespace {

float floatOf(uint32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return value;
}

// Any index may start an edit of the patterns (a range edit, a paste, a
// random fill), so an input that changed the stored state gets the fresh
// one loaded back whole; the tempo and the running state go back too.
class ParameterValuesSubject {
public:
    ParameterValuesSubject()
        : client(makeFuzzInstance()),
          fresh(stateOf(*client)),
          freshTempo(client->getSystemInfo()->tempo),
          running(client->saveRunningState()) {
        check(running != nullptr, "a new instance is silent");
    }

    void reset() {
        if (client->getSystemInfo()->tempo != freshTempo) client->changeTempo(freshTempo);
        if (stateOf(*client) != fresh)
            check(client->setChunk(fresh.data(), int32_t(fresh.size()), false) == 1, "the fresh state loads");
        client->suspend();
        client->restoreRunningState(*running);
    }

    void run(const uint8_t* data, size_t size, Digest& digest) {
        if (digest.wanted()) check(stateOf(*client) == fresh, "each input meets the fresh state");
        for (size_t pair = 0; (pair + 1) * 8 <= size; ++pair) {
            const uint32_t word = platform::littleWord(data + pair * 8);
            const float value = floatOf(platform::littleWord(data + pair * 8 + 4));
            // Mostly indices near the cases; now and then any index at all.
            const int32_t index = (word >> 31) ? static_cast<int32_t>(word) : static_cast<int32_t>(word % 420) - 10;
            if (pair % 8 == 7) {
                client->state().patterns.loopStart = value;
                client->state().patterns.loopEnd = floatOf(word);
                client->state().patterns.stepCursor = word;
            } else if (pair % 64 == 63) {
                client->changeTempo(40.0 + (word % 400));
            } else {
                client->setParameter(index, value);
            }
        }
        for (const ParamBinding* binding : client->allBindings()) {
            if (!binding->value) continue;
            check(*binding->value >= 0.0f && *binding->value <= 1.0f, "every bound value stays within 0..1");
            digest.add(*binding->value);
        }
        if (digest.wanted()) {
            digest.add(client->state().raw);
            const std::vector<uint8_t> state = stateOf(*client);
            digest.add(state.data(), state.size());
        }
    }

private:
    std::unique_ptr<BWUniClient> client;
    std::vector<uint8_t> fresh;
    double freshTempo;
    std::shared_ptr<const BWUniClient::RunningState> running;
};

}  // namespace

ZORVANE_REUSED_SUBJECT(ParameterValuesSubject)
