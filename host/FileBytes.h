#pragma once
// Reading a file the user named on the command line (a preset, a state, a
// MIDI file) whole.  Whatever the path holds, the answer is the bytes or one
// clear sentence naming the path: a folder, a device, a missing or unreadable
// file and a read that fails part way are errors, never an exception.

#include <cstdint>
#include <string>
#include <vector>

// More than any preset, state or MIDI file; a pipe that never ends stops here.
constexpr uint64_t kLargestInputFile = uint64_t(1) << 30;

// False with `error` set ("cannot read PATH: ...") when the bytes cannot be
// had; an empty file is an error too.  Regular files and pipes are read.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
