// A sound layer's chunk, read while the library folder holds the instrument
// "Pad" (made by the harness) and "Lead" (the input's bytes as the file).
// The layer starts on "Pad"; what it holds afterwards must follow from the
// name the chunk stores: "Pad" stays, "Lead" is taken when its file loads and
// otherwise the layer holds none under the name "Lead", any other name
// empties the layer, and a skipping, short or nameless chunk changes
// nothing.  The zone table must then offer the held instrument's zones.
//
// Input: one control byte c, then c & 127 bytes of the layer's chunk, then
// the "Lead" file.  With bit 7 of c the chunk is read skip-only.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/BWRompler.h"
#include "engine/BWRomplerHandler.h"
#include "engine/BWRomplerLibrary.h"
#include "engine/BWSampleZone.h"
#include "persistence/BWChunk.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "support/Check.h"
#include "support/QuietMessages.h"
#include "support/TempFolder.h"

namespace {

struct Library {
    TempFolder folder{"layer_handler"};
    std::string instruments = (folder / "Instruments").string();
    std::string lead = instruments + "/Lead.bwr";
    bool ready = false;

    Library() {
        quietMessages();
        if (!folder.exists()) return;
        // The settings this harness writes never reach anyone else's.
        setenv("ZORVANE_SETTINGS_DIR", (folder / "settings").c_str(), 1);
        std::filesystem::create_directories(instruments);
        BWRompler pad;
        BWSampleZone* zone = pad.addZone();
        zone->setKeyRange(20, 90);
        const int16_t values[] = {3, -3, 2, -2};
        zone->getSample().setData(values, nullptr, 4, 44100.0f);
        zone->getSample().setEmbedData(true);
        ready = setSettingString(SettingNames::kInstrumentsPath, instruments) &&
                pad.saveFile((instruments + "/Pad.bwr").c_str());
    }
};

// The name the chunk stores, as its reader takes it; false for a chunk too
// short to hold one.
bool storedName(const std::vector<uint32_t>& words, std::string& name) {
    if (words.size() < 3) return false;
    const uint32_t length = words[2];
    if (length == 0) return true;
    if (uint64_t(length) > uint64_t(words.size() - 3) * 4) return false;
    const char* text = reinterpret_cast<const char*>(words.data() + 3);
    name.assign(text, strnlen(text, length));
    return true;
}

bool leadLoads(const std::string& path) {
    BWRompler lead;
    return lead.loadFile(path.c_str());
}

void checkTable(const BWRomplerHandler& handler) {
    const BWRompler* instrument = handler.getInstrument();
    for (int32_t key = 0; key < BWRomplerHandler::kKeys; ++key)
        check(handler.getTableZone(key, 0) == (instrument ? instrument->findZoneByKey(key) : nullptr),
              "the zone table offers the instrument's zones");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Library library;
    if (!library.ready || size == 0 || size > (1u << 20)) return 0;
    const bool skipOnly = (data[0] & 0x80) != 0;
    const size_t chunkBytes = std::min<size_t>(data[0] & 0x7F, size - 1);
    std::vector<uint32_t> words((chunkBytes + 3) / 4, 0);
    if (chunkBytes > 0) std::memcpy(words.data(), data + 1, chunkBytes);
    {
        std::ofstream out(library.lead, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1 + chunkBytes), std::streamsize(size - 1 - chunkBytes));
        if (!out) return 0;
    }

    BWRomplerLibrary instruments(SettingNames::kInstrumentsPath);
    BWRomplerHandler handler(&instruments);
    check(handler.loadInstrument("Pad", false), "the harness's own instrument loads");
    BWRompler* pad = handler.getInstrument();

    BWChunk chunk(words.empty() ? nullptr : words.data(), uint32_t(words.size() * 4));
    const int32_t result = handler.readChunk(&chunk, skipOnly);
    std::string name;
    const bool named = storedName(words, name);
    check(named == !chunk.hasFailed(), "only a chunk too short for its name fails");

    std::string expected = "Pad";
    bool holds = true;
    if (!skipOnly && named && !name.empty() && name != "Pad") {
        expected = name != "Lead" ? BWRomplerHandler::kNoInstrument : "Lead";
        holds = name == "Lead" && leadLoads(library.lead);
    }
    check(handler.getInstrumentName() == expected, "the layer holds the instrument its chunk names");
    check((handler.getInstrument() != nullptr) == holds, "a layer whose file does not load holds none");
    check((expected == "Pad") == (handler.getInstrument() == pad), "a kept instrument is the same object");
    check(result == (handler.getInstrument() ? kChunkReadOk : kChunkReadFailed), "the read tells whether one is held");
    checkTable(handler);
    return 0;
}
