#pragma once
// Reading a file the user named on the command line (a preset, a state, a
// MIDI file) whole.  Whatever the path holds, the answer is the bytes or one
// clear sentence naming the path: a folder, a device, a socket, a missing or
// unreadable file and a read that fails part way are errors, never an
// exception.  Nothing is waited on (see platform/ReadableFile.h): a named
// pipe is read only from a writer that is there, as `--midi <(...)` gives
// one; a pipe nobody writes to is refused at once.

#include <cstdint>
#include <string>
#include <vector>

// More than any preset, state or MIDI file; a pipe that never ends stops here.
constexpr uint64_t kLargestInputFile = uint64_t(1) << 30;

// False with `error` set ("cannot read PATH: ...") when the bytes cannot be
// had; an empty file is an error too.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// The same for a file that may be empty, into text.
bool readFileText(const std::string& path, std::string& text, std::string& error);
