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
// write keeps every value it does not change.  A missing or empty key file
// is an empty key.  Key files are read through ReadableFile, so that a
// named pipe or a device in a key file's place is never waited on.
//
// Nothing a person may want back is lost, and nothing is met in silence:
// what a read cannot use is said on the standard error (once a process for
// each file and fault), and the read goes on with what it can.
// - A key file that cannot be read (no permission, a folder, a named pipe, a
//   socket in its place) reads as empty and refuses writes, which would
//   lose its values.
// - A key file with lines that do not parse, or cut short (see
//   SettingsKeyFile.h), reads as every value that parses.  The next write
//   that changes the key appends the stray lines to "<name>.key.unreadable"
//   beside it before it replaces the key file without them.
// - A file too large to be a key file reads as empty; the next write
//   renames it to "<name>.key.unreadable" (or "...unreadable-2" and on,
//   never over one set aside before) and starts a new key file.

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

    // The values of any key file, as a read of its key takes them, with what
    // cannot be used said as a read says it; nothing when it cannot be read
    // at all (a missing file is an empty key).  For a copy of a store.  Any
    // thread but the audio thread.
    static std::optional<std::vector<SettingsValue>> readKeyFile(const std::filesystem::path& keyFile);

private:
    SettingsStoreKey(std::filesystem::path keyFile, std::filesystem::path lockFile);

    enum class LoadState { Read, Unreadable, TooLarge };
    struct Loaded {
        LoadState state;
        DecodedKeyFile contents;  // a missing key file is read and empty
        std::string problem;      // why it is not read
    };
    // Reads the key file and says on the standard error what of it cannot
    // be used.
    static Loaded load(const std::filesystem::path& keyFile);
    // The values a rewrite starts from, under the lock, with the stray
    // lines that are still to be set aside; nothing (and why in *problem)
    // when the key file cannot be read.  A file too large is set aside first.
    std::optional<DecodedKeyFile> loadForRewrite(std::string* problem) const;
    // Appends the stray lines to the file beside the key; false, with why
    // in *problem, when they cannot be kept there.
    bool keepStrayLines(const std::vector<std::string>& lines, std::string* problem) const;
    // Replaces the key file by these values, under the lock, once its
    // stray lines are kept.
    bool rewrite(const DecodedKeyFile& contents, std::string* problem) const;

    std::filesystem::path keyFile;
    std::filesystem::path lockFile;
};

}  // namespace platform
