#pragma once
// An instrument: a named list of sample zones, loaded from and saved to an
// instrument file (".bwr"): the five-word chunk header with the plain format
// word, then the zone count and every zone's chunk.
//
// Reading takes a whole zone list apart before it replaces the current one,
// so a malformed file or chunk leaves the instrument as it was.  The zone
// list may only be replaced while no voice can reach the instrument (the
// library loads an instrument before it hands it out); the lookups run on the
// audio thread.  The owner deletes an instrument only when isInUse is false.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/BWSampleZone.h"
#include "persistence/BWChunkableClass.h"

class BWChunk;

class BWRompler : public BWChunkableClass {
public:
    static constexpr int32_t kTableSize = 128;
    using ZoneTable = BWSampleZone* [kTableSize][kTableSize];

    explicit BWRompler(const char* name = "Default");
    ~BWRompler() override;
    BWRompler(const BWRompler&) = delete;
    BWRompler& operator=(const BWRompler&) = delete;

    // The zone count, then each zone.  1 on success (a zone whose audio file
    // is missing shows "TODO CHUNK ERROR" and stays, empty); kChunkReadAbandon
    // for a malformed list, which leaves the zones as they were.  Host/GUI
    // thread or loader.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;
    void setName(const char* text) override;
    const char* getName() override { return name.c_str(); }

    // Loads an instrument file and names the instrument after it.  On any
    // failure shows "loading ROM file from %s failed" and keeps the zones and
    // name.  Host/GUI thread or loader.
    bool loadFile(const char* path);
    // Reads a whole instrument chunk (header and zone list) without messages
    // of its own; the header's may show.  Host/GUI thread or loader.
    bool readFile(BWChunk& chunk);
    // Writes the instrument file through a temporary file renamed over the
    // target; false leaves the target as it was.  Host/GUI thread or tools.
    bool saveFile(const char* path);

    // Appends an empty zone that the instrument owns.  Not while voices can
    // reach the instrument.
    BWSampleZone* addZone();

    // Audio thread or any: the first zone in list order that holds the key
    // and layer, or the key whatever the layers; null when none does.
    BWSampleZone* findZone(int32_t key, int32_t layer) const;
    BWSampleZone* findZoneByKey(int32_t key) const;
    // Sets the table's cells for every zone's keys and layers; where zones
    // overlap the later one wins.  Host/GUI thread or loader.
    void buildZoneTable(ZoneTable& table) const;
    // True while any voice is bound to or reading one of the zones' samples.
    bool isInUse() const;

    const std::vector<std::unique_ptr<BWSampleZone>>& getZones() const { return zones; }
    bool getHeaderTempoIsOne() const { return headerTempoIsOne; }

private:
    using ZoneList = std::vector<std::unique_ptr<BWSampleZone>>;
    static int32_t readZones(BWChunk& chunk, bool skipOnly, ZoneList& out);

    bool headerTempoIsOne = false;
    ZoneList zones;
    std::string name;
};
