#pragma once
// One key of the settings store, our stand-in for the current user's branch
// of the registry.
//
// A key path such as "Software\Brindlewick\Zorvane" (components separated by
// "\") names one key file under the store's root (platform::settingsRoot()):
// <root>/software/brindlewick/zorvane.key.  Components are lower-cased, since
// key names ignore case, and every byte other than a-z, 0-9, "_", "-" and
// blank is written as "%XX"; so "." never occurs in a component and the
// suffixes below cannot clash with a key's name.  Beside the key file lie
// zorvane.lock, which serialises the writers of the key across threads and
// processes, and, for a moment during a write, a temporary file.
//
// Reads take no lock: a write replaces the key file by rename, so a reader
// sees the old or the new file whole.  A write is a locked read-modify-write
// of the key file, so two writers never lose each other's values, and a
// write keeps every value it does not change.  A missing key file is an
// empty key.  Key files are read through ReadableFile, so that a named pipe
// or a device in a key file's place is never waited on.  A key file that
// cannot be read (no permission, not a regular file) reads as empty and
// refuses writes, which would lose its values.  A key file that is read but
// is not valid (see SettingsKeyFile.h) reads as empty too; the next write
// renames it to "<name>.key.unreadable" beside it (or "...unreadable-2" and
// on, never over one set aside before), says so on the standard error, and
// starts a new key file, so that what a person wrote there can be mended.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SettingsKeyFile.h"

namespace platform {

class SettingsStoreKey {
public:
    // Opens the key under the store's root, creating its folders; nothing when
    // the root is unknown, the path has no component or the folders cannot be
    // made.  Any thread but the audio thread.
    static std::optional<SettingsStoreKey> open(std::string_view keyPath);
    static std::optional<SettingsStoreKey> open(const std::filesystem::path& root,
                                                std::string_view keyPath);

    // The value of that name (case ignored); nothing when it is missing.
    // Any thread but the audio thread.
    std::optional<SettingsValue> read(std::string_view name) const;

    // Replaces any value of the same name (case ignored), whatever its type,
    // by this one.  False when the store could not be written, or its key
    // file could not be read; it is then unchanged.  Inside a SettingsWriteBatch the write waits for the batch.
    // Any thread but the audio thread.
    bool write(const SettingsValue& value);
    // The same for several values, in order, in one locked rewrite of the
    // key file; *problem (when given) says why it failed.
    bool write(std::span<const SettingsValue> values, std::string* problem = nullptr);
    // Deletes the named values (case ignored) in one locked rewrite; names
    // that are missing are no fault.  Not inside a SettingsWriteBatch.  Any
    // thread but the audio thread.
    bool remove(std::span<const std::string> names);

    const std::filesystem::path& file() const { return keyFile; }

private:
    SettingsStoreKey(std::filesystem::path keyFile, std::filesystem::path lockFile);

    enum class LoadState { Read, Unreadable, NotAKey };
    struct Loaded {
        LoadState state;
        std::vector<SettingsValue> values;  // a missing key file is read and empty
        std::string problem;                // why it is not read
    };
    Loaded load() const;
    // The values a rewrite starts from, under the lock: nothing (and why in
    // *problem) when the key file cannot be read; a key file that is not
    // valid is set aside first.
    std::optional<std::vector<SettingsValue>> loadForRewrite(std::string* problem) const;

    std::filesystem::path keyFile;
    std::filesystem::path lockFile;
};

}  // namespace platform
