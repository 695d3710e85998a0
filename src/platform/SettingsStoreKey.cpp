#include "platform/SettingsStoreKey.h"

#include <fcntl.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <set>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/ReadableFile.h"
#include "platform/SettingsWriteBatch.h"
#include "platform/UserFolders.h"

namespace platform {
namespace {

// Far beyond any real key; a larger file is not a key file of ours.
constexpr uint64_t kMaxKeyFileBytes = 16 * 1024 * 1024;
constexpr char kSetAsideSuffix[] = ".unreadable";
constexpr int kMaxSetAsideNames = 100;

bool keepsItsByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == ' ';
}

std::string fileNameOfComponent(std::string_view component) {
    std::string lowered(component);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string name;
    appendPercentEscaped(name, lowered, keepsItsByte);
    return name;
}

// The key's folder and file base name; empty components ("\\" twice, or at
// either end) are passed over as the registry does.
std::filesystem::path keyBasePath(const std::filesystem::path& root, std::string_view keyPath) {
    std::filesystem::path base = root;
    bool any = false;
    while (!keyPath.empty()) {
        const size_t end = std::min(keyPath.find('\\'), keyPath.size());
        if (end > 0) {
            base /= fileNameOfComponent(keyPath.substr(0, end));
            any = true;
        }
        keyPath.remove_prefix(std::min(end + 1, keyPath.size()));
    }
    return any ? base : std::filesystem::path();
}

// The names beside a key file that what cannot be used of it is kept in:
// "zorvane.key.unreadable", then "...unreadable-2" and on.  No key's file
// can have such a name: a component's file name never holds a ".".
std::filesystem::path setAsideName(const std::filesystem::path& keyFile, int attempt) {
    char suffix[32];
    if (attempt == 1)
        std::snprintf(suffix, sizeof suffix, "%s", kSetAsideSuffix);
    else
        std::snprintf(suffix, sizeof suffix, "%s-%d", kSetAsideSuffix, attempt);
    std::filesystem::path aside = keyFile;
    aside += suffix;
    return aside;
}

// Renames a file too large to be a key file to a name beside it that
// nothing holds yet.
bool setAside(const std::filesystem::path& keyFile, std::filesystem::path& aside) {
    for (int attempt = 1; attempt <= kMaxSetAsideNames; ++attempt) {
        aside = setAsideName(keyFile, attempt);
        // Never over a file set aside before: that one may be what a person
        // still means to mend.
        if (::renameat2(AT_FDCWD, keyFile.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// Says a sentence on the standard error once a process, however often the
// key is read: every read of a setting opens its key anew.
void sayOnce(const std::string& sentence) {
    static std::mutex guard;
    static std::set<std::string> said;
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (!said.insert(sentence).second) return;
    }
    std::fprintf(stderr, "%s\n", sentence.c_str());
}

std::string linesText(size_t count) { return count == 1 ? "1 line" : std::to_string(count) + " lines"; }

}  // namespace

std::optional<SettingsStoreKey> SettingsStoreKey::open(std::string_view keyPath) {
    const std::filesystem::path root = settingsRoot();
    if (root.empty()) return std::nullopt;
    return open(root, keyPath);
}

std::optional<SettingsStoreKey> SettingsStoreKey::open(const std::filesystem::path& root,
                                                       std::string_view keyPath) {
    const std::filesystem::path base = keyBasePath(root, keyPath);
    if (base.empty()) return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(base.parent_path(), error);
    if (error || !std::filesystem::is_directory(base.parent_path(), error)) return std::nullopt;
    std::filesystem::path keyFile = base;
    keyFile += ".key";
    std::filesystem::path lockFile = base;
    lockFile += ".lock";
    return SettingsStoreKey(std::move(keyFile), std::move(lockFile));
}

SettingsStoreKey::SettingsStoreKey(std::filesystem::path key, std::filesystem::path lock)
    : keyFile(std::move(key)), lockFile(std::move(lock)) {}

SettingsStoreKey::Loaded SettingsStoreKey::load(const std::filesystem::path& keyFile) {
    ReadableFile file(keyFile);
    if (file.missing()) return {LoadState::Read, {}, {}};
    const std::string named = "Zorvane: the settings file " + keyFile.string();
    std::string text;
    if (!file.isOpen() || !file.readRest(text, kMaxKeyFileBytes)) {
        const bool tooLarge = file.isOpen() && file.size() > kMaxKeyFileBytes;
        sayOnce(named + " cannot be read" + (tooLarge ? " as settings" : "") + " (" + file.problem() +
                "); the defaults are used in its place");
        return {tooLarge ? LoadState::TooLarge : LoadState::Unreadable, {}, file.problem()};
    }
    Loaded loaded{LoadState::Read, decodeKeyFileLines(text), {}};
    const DecodedKeyFile& contents = loaded.contents;
    const size_t stray = contents.strayLines.size();
    if (!stray && !contents.cutShort) return loaded;
    std::string faults = contents.cutShort ? " is cut short (its last line, \"end\", is missing)" : "";
    if (stray) faults += (contents.cutShort ? " and has " : " has ") + linesText(stray) + (stray == 1 ? " that is" : " that are") + " not settings";
    sayOnce(named + faults + "; every value in it that can be read is used");
    return loaded;
}

std::optional<DecodedKeyFile> SettingsStoreKey::loadForRewrite(std::string* problem) const {
    Loaded loaded = load(keyFile);
    if (loaded.state == LoadState::Read) return std::move(loaded.contents);
    std::filesystem::path aside;
    if (loaded.state == LoadState::TooLarge && setAside(keyFile, aside)) {
        std::fprintf(stderr, "Zorvane: the settings file %s could not be read as settings (%s); it is kept as %s\n",
                     keyFile.c_str(), loaded.problem.c_str(), aside.c_str());
        return DecodedKeyFile{};
    }
    if (problem) *problem = "cannot read " + keyFile.string() + ": " + (aside.empty() ? loaded.problem : "cannot keep it aside");
    return std::nullopt;
}

bool SettingsStoreKey::keepStrayLines(const std::vector<std::string>& lines, std::string* problem) const {
    std::string added;
    for (const std::string& line : lines) added += line + "\n";
    // Added to what was kept before; a file there that cannot take them (not
    // a file, too large to read) is passed for the next name.
    for (int attempt = 1; attempt <= kMaxSetAsideNames; ++attempt) {
        const std::filesystem::path aside = setAsideName(keyFile, attempt);
        std::string text;
        ReadableFile kept(aside);
        if (!kept.missing() && (!kept.isOpen() || !kept.readRest(text, kMaxKeyFileBytes))) continue;
        if (!text.empty() && text.back() != '\n') text += '\n';
        if (!writeFileAtomically(aside, text + added, problem)) return false;
        std::fprintf(stderr, "Zorvane: %s of the settings file %s that %s not settings %s kept in %s\n",
                     linesText(lines.size()).c_str(), keyFile.c_str(), lines.size() == 1 ? "is" : "are",
                     lines.size() == 1 ? "is" : "are", aside.c_str());
        return true;
    }
    if (problem) *problem = "cannot keep the lines of " + keyFile.string() + " that are not settings beside it";
    return false;
}

bool SettingsStoreKey::rewrite(const DecodedKeyFile& contents, std::string* problem) const {
    if (!contents.strayLines.empty() && !keepStrayLines(contents.strayLines, problem)) return false;
    return writeFileAtomically(keyFile, encodeKeyFile(contents.values), problem);
}

std::optional<std::vector<SettingsValue>> SettingsStoreKey::readKeyFile(const std::filesystem::path& keyFile) {
    Loaded loaded = load(keyFile);
    if (loaded.state != LoadState::Read) return std::nullopt;
    return std::move(loaded.contents.values);
}

std::optional<SettingsValue> SettingsStoreKey::read(std::string_view name) const {
    if (const SettingsWriteBatch* batch = SettingsWriteBatch::current())
        if (std::optional<SettingsValue> kept = batch->kept(*this, name)) return kept;
    for (SettingsValue& value : load(keyFile).contents.values)
        if (sameValueName(value.name, name)) return std::move(value);
    return std::nullopt;
}

namespace {

bool holds(const std::vector<SettingsValue>& values, const SettingsValue& value) {
    return std::ranges::any_of(values, [&](const SettingsValue& old) {
        return old.name == value.name && old.type == value.type && old.data == value.data;
    });
}

}  // namespace

bool SettingsStoreKey::write(const SettingsValue& value) { return write(std::span(&value, 1)); }

bool SettingsStoreKey::write(std::span<const SettingsValue> newValues, std::string* problem) {
    if (SettingsWriteBatch* batch = SettingsWriteBatch::current()) {
        for (const SettingsValue& value : newValues) batch->keep(*this, value);
        return true;
    }
    const FileLock lock(lockFile);
    if (!lock.held()) {
        if (problem) *problem = "cannot lock " + lockFile.string();
        return false;
    }
    std::optional<DecodedKeyFile> loaded = loadForRewrite(problem);
    if (!loaded) return false;
    std::vector<SettingsValue>& values = loaded->values;
    // Values the key already holds, to the byte and the name's case, need no
    // rewrite: every start of the plug-in stores its folders again, and each
    // rewrite costs two flushes to the disk.
    if (std::ranges::all_of(newValues, [&](const SettingsValue& value) { return holds(values, value); })) return true;
    for (const SettingsValue& value : newValues) {
        // The value is deleted first, so that one of another type is replaced.
        std::erase_if(values, [&](const SettingsValue& old) { return sameValueName(old.name, value.name); });
        values.push_back(value);
    }
    return rewrite(*loaded, problem);
}

bool SettingsStoreKey::remove(std::span<const std::string> names) {
    const FileLock lock(lockFile);
    if (!lock.held()) return false;
    std::optional<DecodedKeyFile> loaded = loadForRewrite(nullptr);
    if (!loaded) return false;
    for (const std::string& name : names)
        std::erase_if(loaded->values, [&](const SettingsValue& old) { return sameValueName(old.name, name); });
    return rewrite(*loaded, nullptr);
}

}  // namespace platform
