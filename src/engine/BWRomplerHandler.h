#pragma once
// One sound layer's instrument holder: it names the layer's instrument,
// takes it from the instrument library, keeps the table of zones that the
// layer's voices start on, and saves the instrument's name in the state.
//
// Switching instruments while the audio thread plays: the audio thread
// looks zones up only through a ZoneAccess, held from the lookup until the
// voice has been started (and has marked the zone's sample).  The switch
// closes that access while it swaps the instrument and rebuilds the table,
// with the library held, so that once the library sees the old instrument
// parked, no voice can start on it any more; the voices still playing it
// keep it alive through their marks until the library purges it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/UseGate.h"
#include "engine/BWRompler.h"
#include "engine/BWRomplerLibrary.h"
#include "persistence/BWChunkableClass.h"

class BWChunk;

// What the layer handler needs of one of its voices; the sound engine's
// sample readers implement it.
class BWRomplerReaderBase {
public:
    virtual ~BWRomplerReaderBase() = default;
    // Silences the voice and unbinds it from its zone (and the zone's
    // sample).  Not while the audio thread renders the voice.
    virtual void reset() = 0;
};

class BWRomplerHandler : public BWChunkableClass {
public:
    static constexpr int32_t kChunkTag = 99887789;
    static constexpr int32_t kChunkVersion = 1;
    static constexpr int32_t kKeys = BWRompler::kTableSize;
    static constexpr int32_t kLayers = BWRompler::kTableSize;
    static constexpr char kNoInstrument[] = "Empty";

    // The audio thread's view of the zone table.  Open one around the voice
    // starts of a tick and keep it until the started voices have bound their
    // zones.  While the instrument is being switched the access is refused
    // (start no voice then).  Audio thread.
    class ZoneAccess {
    public:
        explicit ZoneAccess(const BWRomplerHandler& handler);
        explicit operator bool() const { return static_cast<bool>(use); }
        // The zone a voice starting on (key, layer) plays; null when there is
        // none, the key or layer is outside 0..127, or the access was refused.
        BWSampleZone* zoneFor(int32_t key, int32_t layer) const;

    private:
        const BWRomplerHandler& handler;
        UseGate::Use use;
    };

    // Holds no instrument until one is loaded from the library.
    explicit BWRomplerHandler(BWRomplerLibrary* library = &globalRomplerLibrary());
    // Releases the instrument; the voices it points to stay their owner's.
    ~BWRomplerHandler() override;
    BWRomplerHandler(const BWRomplerHandler&) = delete;
    BWRomplerHandler& operator=(const BWRomplerHandler&) = delete;

    // Makes the named instrument the layer's (the person's choice from the
    // instrument menus); true when the layer has an instrument afterwards.
    // A name the library does not know leaves the layer without one
    // ("Empty"); a file that cannot be loaded leaves the previous instrument
    // in place.  The previous instrument is parked in the library; with
    // deleteNow the library purges at once.  Host/GUI thread or program loader.
    bool loadInstrument(const std::string& name, bool deleteNow);

    // The handler's chunk: tag, version, instrument name.  A read with a name
    // loads that instrument and resets the voices; 1 when the layer has an
    // instrument afterwards, else 0.  A state names what the layer plays:
    // where the named instrument's file cannot be loaded, the layer is
    // silent, as for a name the library does not know, but keeps the name,
    // so that a save names it again.  Host/GUI thread or loader, with the
    // audio thread held.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;

    // Sets only the name that is saved; nothing is loaded.  Host/GUI thread.
    void setName(const char* name) override;
    // The instrument's name, "Empty" when there is none.  Host/GUI thread,
    // not while another thread switches the instrument.
    const char* getName() override;
    // The same as a copy; any thread but audio.
    std::string getInstrumentName() const;
    // The instrument the last chunk read named and the library could not
    // give (an empty name when it gave it), so that the user can be told;
    // taking it clears it.  Any thread but audio.
    struct MissingInstrument {
        std::string name;
        bool unreadable = false;  // listed, but its file could not be loaded
    };
    MissingInstrument takeMissingInstrument();

    // The core appends the layer's voices in voice order at construction.
    void addVoice(BWRomplerReaderBase* voice);
    const std::vector<BWRomplerReaderBase*>& getVoices() const { return voices; }
    // Resets every voice, in order.  Not while the audio thread renders.
    void resetVoices();

    // The layer's instrument (null for none).  Any thread but audio.
    BWRompler* getInstrument() const;
    // A cell of the zone table (null outside the table).  Any thread but audio.
    BWSampleZone* getTableZone(int32_t key, int32_t layer) const;
    bool getUseLayerTable() const { return useLayerTable; }
    // Builds the full key x layer table (instead of searching the instrument
    // with key and layer) from the next instrument load on.  Host/GUI thread.
    void setUseLayerTable(bool on) { useLayerTable = on; }
    BWRomplerLibrary* getLibrary() const { return library; }

private:
    // Row = key, column = layer; on the heap, as it is large.
    struct ZoneTable {
        BWRompler::ZoneTable cells;
    };

    enum class Outcome { Loaded, NotListed, Unreadable };
    // loadInstrument's switch; silenceUnreadable: a file that cannot be
    // loaded leaves the layer without an instrument, under the name asked for.
    Outcome switchInstrument(const std::string& name, bool deleteNow, bool silenceUnreadable);
    void rebuildTable();

    std::vector<BWRomplerReaderBase*> voices;
    std::unique_ptr<ZoneTable> zoneTable;
    BWRomplerLibrary* library;
    BWRompler* instrument = nullptr;
    std::string instrumentName = kNoInstrument;
    MissingInstrument missingInstrument;
    bool useLayerTable = false;
    bool tableHoldsLayers = false;   // how the current table was built; the audio thread reads it
    UseGate gate;                    // between the audio thread's lookups and a switch
    mutable std::mutex changeMutex;  // one switch at a time; guards the name too
};
