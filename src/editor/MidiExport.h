#pragma once
// The MIDI export: the sequence as it plays now, written as a Standard MIDI
// File into the temporary folder and offered to the host by dragging it out.
// The engine is not duplicated: the host's process calls are stopped (they
// output silence meanwhile) and the export drives the render itself, one
// 16-sample tick per call, on its own transport, while the render hands its
// notes to the file writer.  The instance's state stays fixed meanwhile: the
// export parks the turn (core/StateTurn.h), the host's saves are answered
// with the state it began with, and the host's restores, program changes
// and rate changes are applied the moment the rendering ends.  GUI thread;
// the whole export runs inside the call.

#include <cstdint>
#include <string>

class BWUniClient;

struct MidiExportReport {
    enum class Outcome { Dragged, NotWritten, AudioBusy };
    Outcome outcome = Outcome::AudioBusy;
    int32_t renderCalls = 0;    // ticks rendered, the restart tick included
    uint32_t tempo = 0;         // beats per minute written into the file
    double lengthBeats = 0.0;   // quarter notes
    std::string path;           // the file (empty when busy)
};

// restartTag: the run switch that the export releases and presses again to
// start the sequence from its beginning; -1 (an editor never opened) starts
// without it.
MidiExportReport runMidiExport(BWUniClient& client, int32_t restartTag);

// The file name of the export for a program name: the name's separators,
// control characters and leading dots replaced, so it stays in the folder.
std::string midiExportFileName(const std::string& programName);
