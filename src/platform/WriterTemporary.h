#pragma once
// The names of the temporary files that AtomicFile writes beside a target,
// and the sweep that removes those a dead writer left behind.
//
// A temporary of target "<folder>/<name>" is "<folder>/.<name>.zw<pid>-<serial>.tmp":
// hidden, so folder scans of content pass it over; ending in ".tmp", so no
// content scan takes it for an instrument, sample or preset; and carrying
// the process id of its writer, so that a writer killed in the middle of a
// save (which can never remove its own temporary) can be recognised as dead
// by the next writer in that folder.  The serial tells apart the writers of
// one process.  Long names are cut so the temporary's name stays within the
// 255 bytes a file name may have.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

// The temporary name for target written by process pid as its serial-th
// temporary.  Target must have a file name.
std::filesystem::path writerTemporaryFor(const std::filesystem::path& target, pid_t pid, unsigned serial);

// The process id in a file name of that form; nothing for any other name.
std::optional<pid_t> writerTemporaryOwner(std::string_view fileName);

// Removes from folder every regular file named as a temporary of a process
// that no longer exists; answers how many went.  A temporary of a live
// process (this one included) is never touched, nor is anything the sweep
// cannot examine.  Any thread but the audio thread.
size_t removeStaleWriterTemporaries(const std::filesystem::path& folder);

}  // namespace platform
