#pragma once
// Plug-in instances for harnesses, and their state as the host would save it.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "plugin/BWUniClient.h"
#include "support/Check.h"
#include "support/QuietMessages.h"
#include "support/TempFolder.h"

// Settings and documents of the harness's own, removed when the process ends:
// no run writes the user's settings or shares a store with tests beside it.
// The instrument library lists one placeholder file, as a user's library
// lists instruments; an empty one would be scanned again, reading the
// settings, for every instrument a state names.
inline const TempFolder& fuzzHome() {
    static TempFolder home("fuzz-home");
    return home;
}

inline void prepareFuzzHome() {
    static const bool prepared = [] {
        const TempFolder& home = fuzzHome();
        setenv("ZORVANE_SETTINGS_DIR", (home / "settings").c_str(), 1);
        setenv("ZORVANE_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
        const std::filesystem::path instruments = home / "Documents" / "Brindlewick" / "Zorvane Library" / "Instrument";
        std::filesystem::create_directories(instruments);
        std::ofstream(instruments / "Placeholder.bwr") << "not an instrument";
        quietMessages();
        return true;
    }();
    (void)prepared;
}

// The noise generator starts from the clock's seconds; a harness starts it
// from one seed, so that an input renders the same every time it runs.
inline void seedNoise(BWUniClient& client) { client.getSystemInfo()->randomState = 20260511u; }

// An instance writes its remembered values ("Chord Select") to the settings
// when it ends, and the next one starts from them; every instance of a run
// starts from an empty store instead, as the first one did.
inline void emptyFuzzSettings() {
    prepareFuzzHome();
    std::error_code ignored;
    std::filesystem::remove_all(fuzzHome() / "settings", ignored);
}

inline std::unique_ptr<BWUniClient> makeFuzzInstance(audioMasterCallback host = nullptr) {
    emptyFuzzSettings();
    auto client = std::make_unique<BWUniClient>(host, 1, false);
    seedNoise(*client);
    return client;
}

inline std::vector<uint8_t> stateOf(BWUniClient& client) {
    void* data = nullptr;
    const int32_t bytes = client.getChunk(&data, false);
    if (bytes <= 0 || !data) __builtin_trap();
    const auto* begin = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(begin, begin + bytes);
}

// An instance that inputs change only by loading states and presets into it:
// it goes back by loading its fresh state, and its engine's running state
// (the memories of switch margins and the like, which no load resets), only
// after an input applied something (markChanged).
class LoadedInstance {
public:
    LoadedInstance()
        : client(makeFuzzInstance()), fresh(stateOf(*client)), running(client->audioEngine().saveRunningState()) {
        check(running != nullptr, "a new instance is silent");
    }

    void reset() {
        if (!changed) return;
        check(client->setChunk(fresh.data(), int32_t(fresh.size()), false) == 1, "the fresh state loads");
        client->audioEngine().restoreRunningState(*running);
        changed = false;
    }

protected:
    void markChanged() { changed = true; }

    std::unique_ptr<BWUniClient> client;
    std::vector<uint8_t> fresh;  // not const: setChunk takes bytes it could change

private:
    const std::shared_ptr<const Engine::RunningState> running;
    bool changed = false;
};
