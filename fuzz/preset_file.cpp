// Loads arbitrary bytes as a preset file, as the preset menus and the
// default preset at start-up do.  The first byte picks the kind the file is
// loaded as (its low two bits: global, sound, sequence, name); the rest is
// the file.  A refused file changes nothing: the instance's whole state is
// the same before and after.  The file lives in memory, so inputs make no
// disk traffic.
#include <cstdint>
#include <memory>
#include <vector>

#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/MemoryFile.h"
#include "support/ReusedSubject.h"

namespace {

// One file for every subject of the run: its path is part of what a load
// remembers.
MemoryFile& presetFile() {
    static MemoryFile file("preset");
    return file;
}

class PresetFileSubject : public LoadedInstance {
public:
    void run(const uint8_t* data, size_t size, Digest& digest) {
        if (digest.wanted()) check(stateOf(*client) == fresh, "each input meets the fresh state");
        if (size == 0 || size > (1u << 20)) return;
        const int32_t kind = data[0] & 3;
        check(presetFile().fill(data + 1, size - 1), "the input becomes the file");
        const bool taken = client->loadPresetFromFile(presetFile().path().c_str(), kind);
        digest.add(taken);
        if (!taken) {
            check(stateOf(*client) == fresh, "a refused preset changes nothing");
            return;
        }
        markChanged();
        if (digest.wanted()) {
            const std::vector<uint8_t> loaded = stateOf(*client);
            digest.add(loaded.data(), loaded.size());
        }
    }
};

}  // namespace

ZORVANE_REUSED_SUBJECT(PresetFileSubject)
