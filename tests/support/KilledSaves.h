#pragma once
// Saves killed at random moments: a child process saves version after
// version of a file and is killed with SIGKILL at a random moment, again and
// again, and after every kill the file must hold one whole version, no older
// than the last one seen.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// A version: its length, its number, then bytes that depend on both and on
// their place, so a file cut short or mixed from two versions is no version.
// Lengths run from 8 bytes to past 64 KiB, the atomic writer's buffer.
std::string versionBytes(uint32_t version);

// The version a file holds whole; nothing for a missing, short or mixed file.
std::optional<uint32_t> wholeVersion(const std::filesystem::path& file);

struct KilledSavesTally {
    int insideSave = 0;  // kills that left the child's temporary behind
    int advanced = 0;    // kills after which the file held a newer version
};

// Kills a child that calls save(version) for versions after the file's
// current one, `kills` times.  The file must hold a whole version beforehand;
// its folder may hold nothing but the file and the writers' temporaries, and
// each save sweeps up the temporaries of the children killed before it.
// Failures are reported as test failures.
KilledSavesTally killWhileSaving(const std::filesystem::path& file, int kills,
                                 const std::function<void(uint32_t version)>& save);
