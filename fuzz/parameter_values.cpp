// Feeds the input, read as (index, value) pairs of little-endian 32-bit
// words, to one instance's setParameter: indices around and beyond 0..389,
// values of every float pattern (NaN, infinities, huge, negative).  Every
// eighth pair also moves the render routine's loop zone and the step cursor,
// and every 64th changes the tempo.  An input makes at most kMaxPairs
// changes: a copy edit clones a lane of 48 pages, and inputs of thousands of
// pairs would run at a few a second.  Beyond "no crash": every value that a
// binding points to stays within 0..1.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/LittleEndian.h"
#include "plugin/ParameterInbox.h"
#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/ReusedSubject.h"

namespace {

constexpr size_t kMaxPairs = 64;

float floatOf(uint32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return value;
}

// Most inputs only move plain values; those get their fresh values back
// through setParameter, the running state goes back, and the stored state is
// compared with the fresh one.  An input that moved any other index (one
// that may start an edit of the patterns: a range edit, a paste, a random
// fill), or whose plain values reached a pattern model, gets the fresh state
// loaded back whole.  Either way every input meets the fresh stored state;
// the check is part of the reset.
class ParameterValuesSubject {
public:
    ParameterValuesSubject()
        : client(makeFuzzInstance()),
          fresh(stateOf(*client)),
          freshTempo(client->getSystemInfo()->tempo),
          running(client->audioEngine().saveRunningState()) {
        check(running != nullptr, "a new instance is silent");
        for (int32_t index = 0; index < ParameterInbox::kSlots; ++index)
            freshValues[size_t(index)] = client->parameterInbox().value(index);
        for (const ParamBinding* binding : client->presetMembers(0))
            if (!binding->object && binding->value && binding->tag >= 0 && binding->tag < ParameterInbox::kSlots)
                plain[size_t(binding->tag)] = true;
    }

    void reset() {
        if (client->getSystemInfo()->tempo != freshTempo) {
            client->audioEngine().changeTempo(freshTempo);
            client->suspend();
        }
        const ParameterInbox& inbox = client->parameterInbox();
        std::vector<int32_t> moved;
        bool edited = false;
        for (int32_t index = 0; index < ParameterInbox::kSlots; ++index) {
            const float value = inbox.value(index);
            if (std::memcmp(&value, &freshValues[size_t(index)], sizeof(float)) == 0) continue;
            moved.push_back(index);
            edited = edited || !plain[size_t(index)];
        }
        if (!edited && restoreValues(moved)) return;
        check(client->setChunk(fresh.data(), int32_t(fresh.size()), false) == 1, "the fresh state loads");
        // Also after a load, which keeps a remembered value such as "Chord Select".
        check(restoreValues(moved), "the reset gives back the fresh state");
    }

    void run(const uint8_t* data, size_t size, Digest& digest) {
        for (size_t pair = 0; (pair + 1) * 8 <= size && pair < kMaxPairs; ++pair) {
            const uint32_t word = platform::littleWord(data + pair * 8);
            const float value = floatOf(platform::littleWord(data + pair * 8 + 4));
            // Mostly indices near the cases; now and then any index at all.
            const int32_t index = (word >> 31) ? static_cast<int32_t>(word) : static_cast<int32_t>(word % 420) - 10;
            if (pair % 8 == 7) {
                client->state().patterns.loopStart = value;
                client->state().patterns.loopEnd = floatOf(word);
                client->state().patterns.stepCursor = word;
                // The engine takes what was set, as at its next tick.
                check(client->deriveNow(), "the engine takes the values");
            } else if (pair % 64 == 63) {
                client->audioEngine().changeTempo(40.0 + (word % 400));
            } else {
                client->setParameter(index, value);
            }
        }
        check(client->deriveNow(), "the engine takes the values");
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
    bool restoreValues(const std::vector<int32_t>& moved) {
        for (int32_t index : moved)
            if (plain[size_t(index)]) client->setParameter(index, freshValues[size_t(index)]);
        check(client->deriveNow(), "the engine takes the fresh values");
        client->audioEngine().restoreRunningState(*running);
        return stateOf(*client) == fresh;
    }

    std::unique_ptr<BWUniClient> client;
    std::vector<uint8_t> fresh;
    std::array<float, ParameterInbox::kSlots> freshValues{};
    std::array<bool, ParameterInbox::kSlots> plain{};  // an index that only sets a value
    double freshTempo;
    std::shared_ptr<const Engine::RunningState> running;
};

}  // namespace

ZORVANE_REUSED_SUBJECT(ParameterValuesSubject)
