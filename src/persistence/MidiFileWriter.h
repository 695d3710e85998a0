#pragma once
// Writes the notes of an offline render as a Standard MIDI File: one track
// per MIDI channel that carries events, each with its own tempo and 4/4 time
// signature, positions quantised to 1/240 of a quarter note.  Then offers
// the file to the host by dragging it out.  GUI thread only: the export
// command fills the writer while it runs the render offline on that thread.

#include <cstdint>
#include <string>
#include <vector>

class MidiFileWriter {
public:
    static constexpr int kChannels = 16;

    // tempo in whole beats per minute (raised to 1: it is a divisor), length
    // of the export in quarter notes, ticks per quarter note (the export
    // command passes 960).
    MidiFileWriter(uint32_t tempo, double length, uint32_t ticksPerQuarter);
    virtual ~MidiFileWriter() = default;

    // Stores a copy of a channel message (status, two data bytes, a spare
    // byte) generated at the given position in quarter notes.  System
    // messages are ignored; at or past the end only note-offs are kept.
    bool addEvent(const uint8_t midiData[4], double position);
    // A note-off at the end for every note still sounding, per channel.
    void releaseHangingNotes(double end);
    // Channels that hold at least one event.
    int countTracks() const;
    // Writes the whole file, through a temporary file that replaces the
    // target only when complete; false when it could not be written.
    bool writeFile(const std::string& path);
    // Offers the file last written to the host; returns when the drag ended.
    void dragFileOut();

    // A position rounded to the nearest 1/240 of a quarter note, and the
    // tick of such a position.
    static double quantise(double position);
    static int32_t tickOf(double quantised, uint32_t ticksPerQuarter);

private:
    struct Event {
        int32_t tick;
        uint8_t data[4];
    };
    struct ChannelList {
        std::vector<Event> events;  // in the order added
        uint32_t ticksPerQuarter;
        double end;
    };

    bool writeHeader(std::vector<uint8_t>& out, int tracks) const;
    bool writeTempo(std::vector<uint8_t>& out) const;
    bool writeTimeSignature(std::vector<uint8_t>& out) const;
    void writeTrack(std::vector<uint8_t>& out, const ChannelList& channel);

    ChannelList channels[kChannels];
    uint32_t ticksPerQuarter;
    uint32_t tempo;
    int32_t lastTick = 0;
    std::string path;
};
