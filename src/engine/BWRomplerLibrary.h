#pragma once
// The process-wide instrument library: which ".bwr" instrument files the
// instrument folder (the "InstrumentsPath" setting) and its direct
// sub-folders hold, and the instruments loaded from them, shared by name
// between every sound layer of every plug-in instance with a use count.
//
// An instrument whose count drops to 0 is deleted only when no voice is
// bound to one of its samples any more (the voices mark the samples they
// play).  Until then it waits in the pending list; acquire without deleteNow
// always parks the instrument there, so that the caller decides when to
// purge (after a state load, or from the editor).  A sound layer that swaps
// its instrument does so while holding the library (hold), so that a purge
// never sees an instrument that the layer's zone table still offers.
//
// One mutex guards every operation: the library is shared by every
// instance's program loader, the host thread and the editor.  The audio
// thread never calls it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BWRompler;

// One listed instrument file as the library shows it.
struct InstrumentEntry {
    std::string name;                 // the file's name without extension
    std::string path;                 // the sub-folder holding the file, "none" when directly in the folder
    BWRompler* instrument = nullptr;  // the library's, loaded while refCount > 0, else null
    int32_t refCount = 0;             // the layers using the instrument
    std::string file;                 // the file it loads from, as listed (the extension keeps its case)
};

class BWRomplerLibrary {
public:
    static constexpr char kNoSubFolder[] = "none";

    // settingName: the settings value that names the instrument folder.
    explicit BWRomplerLibrary(std::string settingName);
    // Deletes the instruments it still owns; no layer may outlive it.
    virtual ~BWRomplerLibrary() = default;
    BWRomplerLibrary(const BWRomplerLibrary&) = delete;
    BWRomplerLibrary& operator=(const BWRomplerLibrary&) = delete;

    // Rebuilds the entry list from the folder the setting names; without
    // force only when the setting changed since the last scan.  The files of
    // each sub-folder come first, then those of the folder itself, each in
    // name order (case folded), since the first entry of a name is the one
    // a lookup finds.  Entries in use are kept behind the fresh ones.  An
    // unset folder lists nothing.  Host/GUI thread or loader.
    void scan(bool force);

    // The instrument called name, loaded on first use and counted once more;
    // the previous instrument (may be null) loses one use unless it is the
    // one asked for.  Null when no entry has the name (previous is released
    // all the same).  A file that cannot be loaded leaves everything as it
    // was, answers previous and sets *unreadable (when given), so that the
    // caller may decide otherwise.  Host/GUI thread or loader.
    BWRompler* acquire(BWRompler* previous, const std::string& name, bool deleteNow, bool* unreadable = nullptr);

    // Drops one use; at 0 the instrument is deleted, or parked while a voice
    // still reads it.  Null and unknown instruments are ignored.
    // Host/GUI thread or loader.
    void release(BWRompler* instrument);

    // Deletes the parked instruments that no voice reads any more; the
    // others stay parked for a later purge.  Host/GUI thread or loader.
    void purgeReleased();

    // Keeps every other thread out of the library until the lock goes, for
    // a caller that must make several calls and its own switch look like
    // one step.  The mutex is recursive: the library's calls work inside.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> hold() const;

    // Views for the editor and for checks; any thread but audio.
    bool isEmpty() const;
    std::vector<InstrumentEntry> getEntries() const;  // a copy; the pointers stay the library's
    size_t pendingCount() const;
    std::string getFolder() const;
    const std::string& getSettingName() const { return settingName; }

private:
    // An entry as the library holds it: the listing and the instrument it owns.
    struct Slot {
        InstrumentEntry listing;  // its instrument field is filled in by getEntries
        std::unique_ptr<BWRompler> loaded;
    };
    using Instruments = std::vector<std::unique_ptr<BWRompler>>;

    Slot* findByName(const std::string& name);
    Slot* findByInstrument(const BWRompler* instrument);
    std::string readFolderSetting() const;
    // Appends an entry for every instrument file in `where` (ending in a
    // separator), labelled with the sub-folder's name.
    void listFolder(const std::string& where, const std::string& subFolder);
    std::unique_ptr<BWRompler> loadInstrument(const Slot& slot) const;
    void dropUse(Slot& slot, bool deleteNow);
    void retire(std::unique_ptr<BWRompler> instrument);

    mutable std::recursive_mutex mutex;
    const std::string settingName;
    std::string folder;  // of the last scan, ending in a separator (or empty)
    std::vector<Slot> entries;
    Instruments pending;
    std::string lastScanned = "none";
};

// The one library of the process, tied to "InstrumentsPath"; made on first
// use and destroyed when the module unloads.  Any thread but audio.
BWRomplerLibrary& globalRomplerLibrary();

// The text of a string setting of the product's key, or "error" when it
// cannot be read.  Host/GUI thread.
std::string readSettingString(const char* valueName);
