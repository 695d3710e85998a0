#pragma once
// Reads a Standard MIDI File (format 0 or 1, ticks per quarter note) into
// channel messages placed in quarter notes, merged over all tracks.  Every
// length is checked against the bytes that are there; a malformed file is a
// clear error, never a read beyond its end.

#include <cstdint>
#include <string>
#include <vector>

struct TimedMidi {
    double quarters;  // position from the start
    uint8_t bytes[3];
};

// A tempo the file sets (a "set tempo" meta event), from a position on.
struct TempoChange {
    double quarters;
    double bpm;
};

// False with `error` set when the file cannot be read or is not a MIDI file.
// The file's tempo changes, of all tracks in order, go to `tempos` when given.
bool readMidiFile(const std::string& path, std::vector<TimedMidi>& events, std::string& error,
                  std::vector<TempoChange>* tempos = nullptr);
bool parseMidiFile(const std::vector<uint8_t>& bytes, std::vector<TimedMidi>& events, std::string& error,
                   std::vector<TempoChange>* tempos = nullptr);

// The built-in phrase: four chords of one bar each, C, A minor, F, G, each
// a bass note and a three-note chord, held legato from the first beat to
// the end of the fourth bar, so that the instrument's sequencer plays them.
std::vector<TimedMidi> builtInPhrase();
