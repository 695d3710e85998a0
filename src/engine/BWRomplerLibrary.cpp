#include "engine/BWRomplerLibrary.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <utility>

#include "engine/BWRompler.h"
#include "persistence/PathStrings.h"
#include "persistence/SettingNames.h"
#include "persistence/Settings.h"
#include "platform/FolderListing.h"

namespace {

constexpr std::string_view kExtension = ".bwr";

// Windows matches extensions without regard to case, and instrument folders
// are copied between the two systems.
bool isInstrumentFile(const std::string& fileName) {
    if (fileName.size() <= kExtension.size()) return false;
    const std::string_view tail = std::string_view(fileName).substr(fileName.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

bool lessCaseFolded(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// The names of a folder's files or sub-folders.  Sorted, because the order
// decides which of two instruments of the same name a lookup finds, and the
// Linux file systems give no stable order of their own.
std::vector<std::string> listNames(const std::string& folder, bool folders) {
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : platform::listFolderEntries(folder))
        if (entry.isFolder == folders) names.push_back(entry.name);
    std::stable_sort(names.begin(), names.end(), lessCaseFolded);
    return names;
}

}  // namespace

BWRomplerLibrary::BWRomplerLibrary(std::string settingName) : settingName(std::move(settingName)) {}

std::unique_lock<std::recursive_mutex> BWRomplerLibrary::hold() const {
    return std::unique_lock<std::recursive_mutex>(mutex);
}

void BWRomplerLibrary::scan(bool force) {
    auto lock = hold();
    const std::string value = readFolderSetting();
    if (!force && value == lastScanned) return;

    std::vector<Slot> kept;
    for (Slot& slot : entries)
        if (slot.listing.refCount != 0) kept.push_back(std::move(slot));
    entries.clear();
    folder = value;
    // An unset folder lists nothing rather than the process's working folder.
    if (!folder.empty()) {
        for (const std::string& subFolder : listNames(folder, true)) listFolder(folder + subFolder + "/", subFolder);
        listFolder(folder, kNoSubFolder);
    }
    lastScanned = value;
    std::move(kept.begin(), kept.end(), std::back_inserter(entries));
}

std::string BWRomplerLibrary::readFolderSetting() const {
    std::string value;
    if (!getSettingString(settingName, value)) value.clear();
    appendBackslash(value);
    return value;
}

void BWRomplerLibrary::listFolder(const std::string& where, const std::string& subFolder) {
    for (const std::string& fileName : listNames(where, false)) {
        if (!isInstrumentFile(fileName)) continue;
        entries.push_back({{getBaseName(fileName), subFolder, nullptr, 0, where + fileName}, nullptr});
    }
}

BWRompler* BWRomplerLibrary::acquire(BWRompler* previous, const std::string& name, bool deleteNow, bool* unreadable) {
    auto lock = hold();
    if (unreadable) *unreadable = false;
    if (previous && entries.empty()) return previous;
    Slot* previousSlot = previous ? findByInstrument(previous) : nullptr;
    Slot* slot = findByName(name);
    if (slot == previousSlot) return previous;

    if (!slot) {
        if (previousSlot) dropUse(*previousSlot, deleteNow);
        return nullptr;
    }
    if (slot->loaded) {
        ++slot->listing.refCount;
    } else {
        // A file that cannot be loaded must not take the layer's sound away.
        std::unique_ptr<BWRompler> loaded = loadInstrument(*slot);
        if (!loaded) {
            if (unreadable) *unreadable = true;
            return previous;
        }
        slot->loaded = std::move(loaded);
        slot->listing.refCount = 1;
    }
    BWRompler* result = slot->loaded.get();
    if (previousSlot) dropUse(*previousSlot, deleteNow);
    return result;
}

std::unique_ptr<BWRompler> BWRomplerLibrary::loadInstrument(const Slot& slot) const {
    auto instrument = std::make_unique<BWRompler>();
    if (!instrument->loadFile(slot.listing.file.c_str())) return nullptr;
    return instrument;
}

void BWRomplerLibrary::release(BWRompler* instrument) {
    auto lock = hold();
    if (!instrument) return;
    if (Slot* slot = findByInstrument(instrument)) dropUse(*slot, true);
}

void BWRomplerLibrary::dropUse(Slot& slot, bool deleteNow) {
    if (--slot.listing.refCount > 0) return;
    slot.listing.refCount = 0;
    if (deleteNow)
        retire(std::move(slot.loaded));
    else
        pending.push_back(std::move(slot.loaded));
}

void BWRomplerLibrary::retire(std::unique_ptr<BWRompler> instrument) {
    if (instrument->isInUse()) pending.push_back(std::move(instrument));
}

void BWRomplerLibrary::purgeReleased() {
    auto lock = hold();
    Instruments parked = std::exchange(pending, {});
    for (auto& instrument : parked) retire(std::move(instrument));
}

BWRomplerLibrary::Slot* BWRomplerLibrary::findByName(const std::string& name) {
    for (Slot& slot : entries)
        if (slot.listing.name == name) return &slot;
    return nullptr;
}

BWRomplerLibrary::Slot* BWRomplerLibrary::findByInstrument(const BWRompler* instrument) {
    for (Slot& slot : entries)
        if (slot.loaded.get() == instrument) return &slot;
    return nullptr;
}

bool BWRomplerLibrary::isEmpty() const {
    auto lock = hold();
    return entries.empty();
}

std::vector<InstrumentEntry> BWRomplerLibrary::getEntries() const {
    auto lock = hold();
    std::vector<InstrumentEntry> listings;
    listings.reserve(entries.size());
    for (const Slot& slot : entries) {
        listings.push_back(slot.listing);
        listings.back().instrument = slot.loaded.get();
    }
    return listings;
}

size_t BWRomplerLibrary::pendingCount() const {
    auto lock = hold();
    return pending.size();
}

std::string BWRomplerLibrary::getFolder() const {
    auto lock = hold();
    return folder;
}

BWRomplerLibrary& globalRomplerLibrary() {
    static BWRomplerLibrary library(SettingNames::kInstrumentsPath);
    return library;
}

std::string readSettingString(const char* valueName) {
    std::string value;
    if (!valueName || !getSettingString(valueName, value)) return "error";
    return value;
}
