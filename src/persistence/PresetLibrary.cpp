#include "persistence/PresetLibrary.h"

#include <algorithm>
#include <cstring>

#include "persistence/BWFileChooser.h"
#include "persistence/BWFileio.h"
#include "persistence/ContentEntryOrder.h"
#include "persistence/NaturalOrder.h"
#include "persistence/PathStrings.h"
#include "persistence/PresetInfo.h"
#include "platform/LittleEndian.h"

namespace {

std::string withSeparator(std::string path) {
    appendBackslash(path);
    return path;
}

// The five header words of a file, or nothing when fewer can be read.
bool readHeaderWords(const std::string& path, uint32_t words[BWChunk::kHeaderWords]) {
    unsigned char bytes[BWChunk::kHeaderWords * 4];
    if (!BWFileio::readWhole(path.c_str(), bytes, sizeof bytes)) return false;
    for (uint32_t i = 0; i < BWChunk::kHeaderWords; ++i)
        words[i] = platform::littleWord(bytes + 4 * i);
    return true;
}

// The whole file as the header describes it.  A file that holds fewer words
// than its header claims is refused rather than read short.
std::unique_ptr<PresetLibraryEntry> readEntry(const std::string& path, uint32_t wordCount) {
    if (BWFileio::fileSize(path.c_str()) < uint64_t(wordCount) * 4) return nullptr;
    std::unique_ptr<uint32_t[]> words(new (std::nothrow) uint32_t[wordCount]);
    if (!words || !BWFileio::readWhole(path.c_str(), words.get(), size_t(wordCount) * 4)) return nullptr;
    auto entry = std::make_unique<PresetLibraryEntry>();
    entry->chunk.adoptWords(std::move(words), wordCount);
    return entry;
}

// A private copy of every word, its position at 0, so that a check or a
// caller on another thread never moves the entry's own position.
std::unique_ptr<BWChunk> copyOfWords(const BWChunk& source) {
    const uint32_t count = source.getCapacityWords();
    std::unique_ptr<uint32_t[]> words(new (std::nothrow) uint32_t[count]);
    if (!words) return nullptr;
    std::memcpy(words.get(), source.getWords(), size_t(count) * 4);
    auto copy = std::make_unique<BWChunk>();
    copy->adoptWords(std::move(words), count);
    return copy;
}

// Whether the body of a new entry's chunk (in no bank yet, so no other
// thread reads it) starts with a version and marker the library accepts.
// A plain body is read in place, and the caller sets the position back; a
// compressed one is inflated into a scratch copy first, so that the words
// checked are the body's and the entry keeps its compressed words.
bool bodyIsAccepted(BWChunk& fresh, int32_t lowestVersion, int32_t marker) {
    if (!fresh.parseHeader(true)) return false;
    std::unique_ptr<BWChunk> scratch;
    if (BWChunk::isCompressedFormat(fresh.getFormatWord())) {
        scratch = copyOfWords(fresh);
        if (!scratch || !scratch->parseHeader(true)) return false;
    }
    BWChunk& chunk = scratch ? *scratch : fresh;
    const uint32_t format = chunk.getFormatWord();
    if (format == BWChunk::kFormatPlainWithInfo || format == BWChunk::kFormatCompressedWithInfo) {
        PresetInfo skipped;
        skipped.readChunk(&chunk, false);
    }
    if (BWChunk::isCompressedFormat(format) && !chunk.inflateCompressedBody(true)) return false;
    chunk.readInt();  // the head length
    const int32_t first = chunk.readInt();
    const int32_t version = chunk.readInt();
    const int32_t bodyMarker = chunk.readInt();
    if (chunk.hasFailed()) return false;
    return first >= lowestVersion && (version < 2 || bodyMarker == marker);
}

}  // namespace

void PresetBank::empty() {
    entries.clear();
    name = "empty";
}

PresetLibrary::PresetLibrary(std::string extension, int32_t lowestVersion, int32_t marker)
    : sort(sortDirEntries), extension(std::move(extension)), lowestVersion(lowestVersion), marker(marker) {}

PresetLibrary::~PresetLibrary() { clear(); }

void PresetLibrary::emptyAllBanks() {
    for (PresetBank& bank : banks) bank.empty();
    bankCount = 0;
}

void PresetLibrary::clear() {
    std::lock_guard<std::mutex> hold(scanLock);
    emptyAllBanks();
    extension.clear();
    root.clear();
    sort = nullptr;
}

void PresetLibrary::rescan(const std::string& folder, bool clearFirst) {
    std::lock_guard<std::mutex> hold(scanLock);
    root = folder;
    if (clearFirst) emptyAllBanks();
    std::vector<std::string> names;
    BWFileChooser::listFolder(root, names, BWFileChooser::kFoldersOnly);
    std::vector<BWDirHelper> folders;
    for (std::string& name : names) folders.push_back({root, std::move(name), true, 0});
    if (sort) sort(folders);
    for (const BWDirHelper& entry : folders) {
        if (bankCount >= kMaxBanks) break;
        const int32_t bank = static_cast<int32_t>(bankCount);
        scanFolderLocked(bank, withSeparator(root) + entry.name, extension, lowestVersion, marker);
        if (toUpperCopy(banks[bank].name) == "MIDI PROGRAMS") currentBank = bank;
        ++bankCount;
    }
}

void PresetLibrary::rescanBank(int32_t bank) {
    std::lock_guard<std::mutex> hold(scanLock);
    if (bank < 0 || uint32_t(bank) >= bankCount) return;
    const std::string folder = withSeparator(root) + banks[bank].name;
    scanFolderLocked(bank, folder, extension, lowestVersion, marker);
}

void PresetLibrary::scanFolder(int32_t bank, const std::string& folder, const std::string& ext,
                               int32_t lowest, int32_t bodyMarker) {
    std::lock_guard<std::mutex> hold(scanLock);
    scanFolderLocked(bank, folder, ext, lowest, bodyMarker);
}

void PresetLibrary::scanFolderLocked(int32_t bankIndex, const std::string& folder, const std::string& ext,
                                     int32_t lowest, int32_t bodyMarker) {
    if (bankIndex < 0 || uint32_t(bankIndex) >= kMaxBanks) return;
    PresetBank& bank = banks[bankIndex];
    const std::string path = withSeparator(folder);
    bank.empty();
    bank.name = getFolderName(path);

    std::vector<std::string> files;
    BWFileChooser::listFolder(path, files, BWFileChooser::kFilesOnly);
    sortStrings(files);
    for (const std::string& file : files) {
        if (bank.entries.size() >= kMaxEntries) break;
        if (!hasSuffix(file, ext)) continue;
        uint32_t header[BWChunk::kHeaderWords];
        if (!readHeaderWords(path + file, header)) continue;
        if (!BWChunk::isAcceptedFormat(header[4])) continue;
        // One damaged file is passed over; it no longer hides the files
        // that follow it in the folder.
        if (header[0] < kMinWords || header[0] > kMaxWords) continue;
        std::unique_ptr<PresetLibraryEntry> entry = readEntry(path + file, header[0]);
        if (!entry || !bodyIsAccepted(entry->chunk, lowest, bodyMarker)) continue;
        entry->name = getBaseName(file);
        entry->chunk.parseHeader(true);
        entry->chunk.setPosition(0);
        bank.entries.push_back(std::move(entry));
    }
}

int32_t PresetLibrary::findBank(std::string_view name) const {
    for (uint32_t i = 0; i < bankCount; ++i)
        if (banks[i].name == name) return static_cast<int32_t>(i);
    return -1;
}

int32_t PresetLibrary::findPresetInBank(int32_t bank, std::string_view name) const {
    if (bank < 0 || uint32_t(bank) >= bankCount) return -1;
    const auto& entries = banks[bank].entries;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i]->name == name) return static_cast<int32_t>(i);
    return -1;
}

bool PresetLibrary::findPresetByName(std::string_view, int32_t&, int32_t&) const { return false; }

const PresetLibraryEntry* PresetLibrary::entryAt(int32_t bank, int32_t index) const {
    if (bank < 0 || uint32_t(bank) >= bankCount || index < 0) return nullptr;
    const auto& entries = banks[bank].entries;
    return size_t(index) < entries.size() ? entries[index].get() : nullptr;
}

void PresetLibrary::getPresetName(int32_t bank, int32_t index, char* out) const {
    if (!out) return;
    const PresetLibraryEntry* entry = entryAt(bank, index);
    const std::string& name = entry ? entry->name : std::string("empty");
    const size_t n = std::min(name.size(), kNameChars);
    std::memcpy(out, name.data(), n);
    out[n] = '\0';
}

PresetLibraryEntry* PresetLibrary::getPreset(int32_t bank, int32_t index) {
    return const_cast<PresetLibraryEntry*>(entryAt(bank, index));
}

PresetLibraryEntry* PresetLibrary::getPresetInCurrentBank(int32_t index) { return getPreset(currentBank, index); }

std::unique_ptr<BWChunk> PresetLibrary::copyPresetInCurrentBank(int32_t index, std::string* name) const {
    std::lock_guard<std::mutex> hold(scanLock);  // a rescan also moves the current bank
    return copyLocked(currentBank, index, name);
}

std::unique_ptr<BWChunk> PresetLibrary::copyPreset(int32_t bank, int32_t index, std::string* name) const {
    std::lock_guard<std::mutex> hold(scanLock);
    return copyLocked(bank, index, name);
}

std::unique_ptr<BWChunk> PresetLibrary::copyLocked(int32_t bank, int32_t index, std::string* name) const {
    const PresetLibraryEntry* entry = entryAt(bank, index);
    if (!entry) return nullptr;
    if (name) *name = entry->name;
    return copyOfWords(entry->chunk);
}
