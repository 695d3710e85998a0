#pragma once
// The in-memory index of the global presets on disk: one bank per sub-folder
// of the global preset folder, one entry per preset file, each entry holding
// the whole file ready to be applied, so that a program change never touches
// the disk.
//
// Threads: scans and lookups run on the host/GUI thread.  The program loader
// never reads an entry in place (the GUI may rescan under it); it takes its
// own copy through copyPresetInCurrentBank, which is serialised with scans.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "persistence/BWChunk.h"
#include "persistence/BWDirHelper.h"

struct PresetLibraryEntry {
    BWChunk chunk;     // every word of the file, header included; position 0
    std::string name;  // the file name without folder and extension
};

struct PresetBank {
    std::string name = "empty";
    std::vector<std::unique_ptr<PresetLibraryEntry>> entries;

    void empty();
};

class PresetLibrary {
public:
    static constexpr uint32_t kMaxBanks = 128;
    static constexpr size_t kMaxEntries = 128;
    static constexpr uint32_t kMinWords = 10;
    static constexpr uint32_t kMaxWords = 500000;
    static constexpr size_t kNameChars = 64;

    using SortCallback = std::function<void(std::vector<BWDirHelper>&)>;

    // The core passes "zvp", 1 and 290908.
    PresetLibrary(std::string extension, int32_t lowestVersion, int32_t marker);
    virtual ~PresetLibrary();
    PresetLibrary(const PresetLibrary&) = delete;
    PresetLibrary& operator=(const PresetLibrary&) = delete;

    // Empties every bank and drops the extension, the root and the sort.
    void clear();
    // Rebuilds the banks from the sub-folders of root (at most 128, in the
    // sort callback's order).  With clearFirst every bank is emptied first.
    void rescan(const std::string& root, bool clearFirst);
    // Rescans one bank in use from its folder under the root.
    void rescanBank(int32_t bank);
    // Fills one bank from a folder: the files that end in the extension,
    // whose header is accepted and whose body has the version and marker
    // asked for, in natural order, at most 128.
    void scanFolder(int32_t bank, const std::string& folder, const std::string& extension,
                    int32_t lowestVersion, int32_t marker);

    int32_t findBank(std::string_view name) const;
    int32_t findPresetInBank(int32_t bank, std::string_view name) const;
    // The library offers no lookup by name across banks: always false.
    bool findPresetByName(std::string_view name, int32_t& bank, int32_t& index) const;
    // At most 64 characters and a terminating zero; "empty" for a bank or
    // entry that does not exist; nothing when out is null.
    void getPresetName(int32_t bank, int32_t index, char* out) const;
    PresetLibraryEntry* getPreset(int32_t bank, int32_t index);
    PresetLibraryEntry* getPresetInCurrentBank(int32_t index);
    // A private copy of an entry, its position at 0, and its name when name
    // is given; null when there is none.  Any thread but the audio thread.
    std::unique_ptr<BWChunk> copyPreset(int32_t bank, int32_t index, std::string* name = nullptr) const;
    // The same for an entry of the current bank.  Program loader thread.
    std::unique_ptr<BWChunk> copyPresetInCurrentBank(int32_t index, std::string* name = nullptr) const;

    int32_t getCurrentBank() const { return currentBank; }
    uint32_t getBankCount() const { return bankCount; }
    // An empty bank for an index beyond the 128.
    const PresetBank& getBank(uint32_t index) const {
        static const PresetBank none;
        return index < kMaxBanks ? banks[index] : none;
    }
    const std::string& getRoot() const { return root; }
    void setSortCallback(SortCallback callback) { sort = std::move(callback); }

private:
    void emptyAllBanks();
    void scanFolderLocked(int32_t bank, const std::string& folder, const std::string& extension,
                          int32_t lowestVersion, int32_t marker);
    const PresetLibraryEntry* entryAt(int32_t bank, int32_t index) const;
    std::unique_ptr<BWChunk> copyLocked(int32_t bank, int32_t index, std::string* name) const;

    SortCallback sort;
    std::string root;
    PresetBank banks[kMaxBanks];
    std::string extension;
    int32_t lowestVersion;
    int32_t marker;
    int32_t currentBank = -1;
    uint32_t bankCount = 0;
    mutable std::mutex scanLock;
};
