#pragma once
// Bringing back a plug-in instance that inputs played: MIDI, host blocks and
// the pattern values a harness writes.  Loading the whole fresh state chunk
// would do, but costs more than the input itself; this puts back exactly
// what such an input can change:
//   - the pattern models the harness writes: their fresh chunk words are
//     read back in, as a state load reads them;
//   - parameters the engine set while it played (step lanes, the run state,
//     the chord selection): each that moved gets its fresh value again
//     through setParameter, the one road values take;
//   - the delay lines and effect memories: cleared, as a suspend does;
//   - the running state (render frame, sequencer, voices, queues, derived
//     values): put back from its copy.
// That this is all is checked: the stored state must be the fresh one again
// after every reset in a replay and after every 64th in a fuzzing run, and a
// replay compares every input with a fresh instance (ReusedSubject.h).

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"
#include "plugin/BWUniClient.h"
#include "plugin/ParameterInbox.h"
#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/SavedWords.h"

// A program change in the input's MIDI starts the instance's program
// loader, and the engine stays silent until the loader is done; waiting for
// it keeps what an input renders from depending on thread timing.
inline void awaitProgramLoader(BWUniClient& client) {
    while (client.isLoaderBusy()) std::this_thread::yield();
}

class PlayedInstance {
public:
    // Takes the fresh state of client and of the models a harness writes;
    // client must be new and silent.
    PlayedInstance(BWUniClient& client, std::vector<BWChunkableClass*> written)
        : client(client), fresh(stateOf(client)), running(client.audioEngine().saveRunningState()) {
        check(running != nullptr, "a new instance is silent");
        for (int32_t index = 0; index < ParameterInbox::kSlots; ++index)
            freshValues[size_t(index)] = client.parameterInbox().value(index);
        for (BWChunkableClass* model : written) models.push_back({model, wordsOf(*model)});
    }

    void reset(bool verify) {
        for (Model& model : models) {
            BWChunk chunk(model.words.data(), uint32_t(model.words.size() * 4));
            check(model.object->readChunk(&chunk, false) == 1, "a model reads its fresh words");
        }
        ParameterInbox& inbox = client.parameterInbox();
        for (int32_t index = 0; index < ParameterInbox::kSlots; ++index) {
            const float value = inbox.value(index);
            if (std::memcmp(&value, &freshValues[size_t(index)], sizeof(float)) != 0)
                client.setParameter(index, freshValues[size_t(index)]);
        }
        check(client.deriveNow(), "the engine takes the fresh values");
        client.suspend();
        client.audioEngine().restoreRunningState(*running);
        if (verify || ++resets % 64 == 0) check(stateOf(client) == fresh, "the reset gives back the fresh state");
    }

    const std::vector<uint8_t>& freshState() const { return fresh; }

private:
    struct Model {
        BWChunkableClass* object;
        std::vector<uint32_t> words;
    };
    BWUniClient& client;
    const std::vector<uint8_t> fresh;
    std::array<float, ParameterInbox::kSlots> freshValues{};
    const std::shared_ptr<const Engine::RunningState> running;
    std::vector<Model> models;
    uint64_t resets = 0;
};
