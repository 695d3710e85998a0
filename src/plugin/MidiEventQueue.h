#pragma once
// The time-ordered queue of MIDI events between processEvents and the render
// routine's 16-sample ticks.  Pending records form a chain of relative
// offsets: each record's deltaFrames counts from the record before it (the
// first from the last tick), so that a tick only spends frames from the
// front.  Events of equal time keep their order of arrival.
//
// Audio thread only: processEvents and the render routine run one after the
// other on it, so there is no lock; nothing here allocates.

#include <cstdint>

struct VstMidiEvent;

enum MidiEventCode : uint32_t {
    kEventNoteOn = 200,
    kEventNoteOff = 201,
    kEventAllNotesOff = 202,
    kEventController = 203,
    kEventPitchBend = 204,
    kEventProgramChange = 205,  // used by the handler only; never queued
    kEventChannelPressure = 206,
};

struct MidiEventRecord {
    uint32_t kind = 100;
    uint32_t count = 1;
    int32_t deltaFrames = 0;
    uint32_t code = uint32_t(-1);
    int32_t data1 = 0;
    int32_t data2 = 0;
    uint8_t reserved0 = 0;
    uint8_t channel = 0;
    uint32_t reserved1 = 0;
    uint64_t reserved2 = 0;
};

// What processEvents makes of one MIDI message.
struct MidiTranslation {
    enum class Action { Drop, Queue, ProgramChange } action = Action::Drop;
    MidiEventRecord record;  // for Queue; data1 holds the program for ProgramChange
};

// Translates a MIDI event by the intake rules: note-on with velocity 0 is a
// note-off, controller 123 on the first channel is all-notes-off,
// controllers and channel pressure are dropped while MIDI-learn assignments
// are being edited, other kinds are dropped.  Data bytes are masked to 7
// bits, so that nothing later can index with a negative value.
MidiTranslation translateMidiEvent(const VstMidiEvent& event, bool learnEditing);

class MidiEventQueue {
public:
    static constexpr int32_t kCapacity = 512;

    MidiEventQueue();

    // Inserts a record whose deltaFrames counts from the last tick.  When
    // the array is used up and 256 or more records wait, a record that
    // starts or changes something is dropped; one that ends notes (a
    // note-off, all notes off) never is: it takes the place of the latest
    // note-on or other waiting record, and when only releases wait, the
    // latest of them becomes an all-notes-off that ends every note.
    void queueEvent(MidiEventRecord record);
    // The same, after every record that waits: events that arrive while
    // the render stands still keep their order of arrival.
    void queueEventAfterPending(MidiEventRecord record);
    // Spends a tick's frames along the chain from the front.
    void spendFrames(int32_t frames);
    // Takes the next record that has fallen due into out; false when none.
    bool takeDue(MidiEventRecord& out);

    int32_t pending() const { return writeIndex - readIndex; }
    // Forgets every waiting record (the MIDI export starts on an empty queue).
    void clear() { readIndex = writeIndex = 0; }
    const MidiEventRecord& at(int32_t index) const { return records[index]; }
    int32_t getReadIndex() const { return readIndex; }
    int32_t getWriteIndex() const { return writeIndex; }

    // Records that end notes: never dropped.
    static bool endsNotes(const MidiEventRecord& record) {
        return record.code == kEventNoteOff || record.code == kEventAllNotesOff;
    }

private:
    // Pending records a compaction keeps room for before it drops what
    // arrives (unless that ends notes).
    static constexpr int32_t kCompactionLimit = 255;
    // The highest write index: the last place stays free for the shift.
    static constexpr int32_t kLastIndex = kCapacity - 1;

    void compact();
    // Makes one place free for a record that ends notes; false when the
    // record was folded into an all-notes-off instead.
    bool makeRoomForRelease();
    void removeAt(int32_t index);
    void insert(MidiEventRecord record);

    MidiEventRecord records[kCapacity];
    int32_t readIndex = 0;
    int32_t writeIndex = 0;
};
