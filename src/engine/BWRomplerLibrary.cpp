#include "engine/BWRomplerLibrary.h"

#include <algorithm>
#include <cctype>
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

BWRomplerLibrary::~BWRomplerLibrary() {
    for (BWRompler* instrument : pending) delete instrument;
    for (InstrumentEntry& entry : entries) delete entry.instrument;
}

std::unique_lock<std::recursive_mutex> BWRomplerLibrary::hold() const {
    return std::unique_lock<std::recursive_mutex>(mutex);
}

void BWRomplerLibrary::scan(bool force) {
    auto lock = hold();
    std::vector<InstrumentEntry> kept;
    for (const InstrumentEntry& entry : entries)
        if (entry.refCount != 0) kept.push_back(entry);

    const std::string value = readFolderSetting();
    if (!force && value == lastScanned) return;

    entries.clear();
    folder = value;
    // An unset folder lists nothing rather than the process's working folder.
    if (!folder.empty()) {
        for (const std::string& subFolder : listNames(folder, true)) listFolder(folder + subFolder + "/", subFolder);
        listFolder(folder, kNoSubFolder);
    }
    lastScanned = value;
    entries.insert(entries.end(), kept.begin(), kept.end());
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
        entries.push_back({getBaseName(fileName), subFolder, nullptr, 0, where + fileName});
    }
}

BWRompler* BWRomplerLibrary::acquire(BWRompler* previous, const std::string& name, bool deleteNow) {
    auto lock = hold();
    if (previous && entries.empty()) return previous;
    InstrumentEntry* previousEntry = previous ? findByInstrument(previous) : nullptr;
    InstrumentEntry* entry = findByName(name);
    if (entry == previousEntry) return previous;

    if (!entry) {
        if (previousEntry) dropUse(*previousEntry, deleteNow);
        return nullptr;
    }
    if (entry->instrument) {
        ++entry->refCount;
    } else {
        // A file that cannot be loaded must not take the layer's sound away.
        BWRompler* loaded = loadInstrument(*entry);
        if (!loaded) return previous;
        entry->instrument = loaded;
        entry->refCount = 1;
    }
    BWRompler* result = entry->instrument;
    if (previousEntry) dropUse(*previousEntry, deleteNow);
    return result;
}

BWRompler* BWRomplerLibrary::loadInstrument(const InstrumentEntry& entry) const {
    auto instrument = std::make_unique<BWRompler>();
    if (!instrument->loadFile(entry.file.c_str())) return nullptr;
    return instrument.release();
}

void BWRomplerLibrary::release(BWRompler* instrument) {
    auto lock = hold();
    if (!instrument) return;
    if (InstrumentEntry* entry = findByInstrument(instrument)) dropUse(*entry, true);
}

void BWRomplerLibrary::dropUse(InstrumentEntry& entry, bool deleteNow) {
    if (--entry.refCount > 0) return;
    entry.refCount = 0;
    BWRompler* instrument = std::exchange(entry.instrument, nullptr);
    if (deleteNow)
        retire(instrument);
    else
        pending.push_back(instrument);
}

void BWRomplerLibrary::retire(BWRompler* instrument) {
    if (instrument->isInUse())
        pending.push_back(instrument);
    else
        delete instrument;
}

void BWRomplerLibrary::purgeReleased() {
    auto lock = hold();
    std::vector<BWRompler*> parked = std::exchange(pending, {});
    for (BWRompler* instrument : parked) retire(instrument);
}

InstrumentEntry* BWRomplerLibrary::findByName(const std::string& name) {
    for (InstrumentEntry& entry : entries)
        if (entry.name == name) return &entry;
    return nullptr;
}

InstrumentEntry* BWRomplerLibrary::findByInstrument(const BWRompler* instrument) {
    for (InstrumentEntry& entry : entries)
        if (entry.instrument == instrument) return &entry;
    return nullptr;
}

bool BWRomplerLibrary::isEmpty() const {
    auto lock = hold();
    return entries.empty();
}

std::vector<InstrumentEntry> BWRomplerLibrary::getEntries() const {
    auto lock = hold();
    return entries;
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
