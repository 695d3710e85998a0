#include "platform/SettingsStoreKey.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/SettingsWriteBatch.h"
#include "platform/UserFolders.h"

namespace platform {
namespace {

// Far beyond any real key; a larger file is not a key file of ours.
constexpr std::uintmax_t kMaxKeyFileBytes = 16 * 1024 * 1024;
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

std::optional<std::string> readSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char block[4096];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<size_t>(in.gcount()));
        if (bytes.size() > kMaxKeyFileBytes) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

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

std::vector<SettingsValue> SettingsStoreKey::load() const {
    const std::optional<std::string> text = readSmallFile(keyFile);
    if (!text) return {};
    std::optional<std::vector<SettingsValue>> values = decodeKeyFile(*text);
    return values ? std::move(*values) : std::vector<SettingsValue>{};
}

std::optional<SettingsValue> SettingsStoreKey::read(std::string_view name) const {
    if (const SettingsWriteBatch* batch = SettingsWriteBatch::current())
        if (std::optional<SettingsValue> kept = batch->kept(*this, name)) return kept;
    for (SettingsValue& value : load())
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

bool SettingsStoreKey::write(std::span<const SettingsValue> newValues) {
    if (SettingsWriteBatch* batch = SettingsWriteBatch::current()) {
        for (const SettingsValue& value : newValues) batch->keep(*this, value);
        return true;
    }
    const FileLock lock(lockFile);
    if (!lock.held()) return false;
    std::vector<SettingsValue> values = load();
    // Values the key already holds, to the byte and the name's case, need no
    // rewrite: every start of the plug-in stores its folders again, and each
    // rewrite costs two flushes to the disk.
    if (std::ranges::all_of(newValues, [&](const SettingsValue& value) { return holds(values, value); })) return true;
    for (const SettingsValue& value : newValues) {
        // The value is deleted first, so that one of another type is replaced.
        std::erase_if(values, [&](const SettingsValue& old) { return sameValueName(old.name, value.name); });
        values.push_back(value);
    }
    return writeFileAtomically(keyFile, encodeKeyFile(values));
}

bool SettingsStoreKey::remove(std::span<const std::string> names) {
    const FileLock lock(lockFile);
    if (!lock.held()) return false;
    std::vector<SettingsValue> values = load();
    for (const std::string& name : names)
        std::erase_if(values, [&](const SettingsValue& old) { return sameValueName(old.name, name); });
    return writeFileAtomically(keyFile, encodeKeyFile(values));
}

}  // namespace platform
