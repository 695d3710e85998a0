#include "plugin/MidiEventQueue.h"

#include <algorithm>

#include "core/VstTypes.h"

MidiTranslation translateMidiEvent(const VstMidiEvent& event, bool learnEditing) {
    MidiTranslation out;
    const uint8_t status = uint8_t(event.midiData[0]);
    const uint8_t kind = status & 0xF0;
    const uint8_t channel = status & 0x0F;
    const int32_t data1 = event.midiData[1] & 0x7F;
    const int32_t data2 = event.midiData[2] & 0x7F;
    uint32_t code = 0;
    if ((kind == 0x90 && data2 == 0) || kind == 0x80) {
        code = kEventNoteOff;
    } else if (kind == 0xB0 && data1 == 123 && channel == 0) {
        code = kEventAllNotesOff;
    } else if (kind == 0xB0) {
        if (learnEditing) return out;
        code = kEventController;
    } else if (kind == 0xC0) {
        if (learnEditing) return out;
        out.action = MidiTranslation::Action::ProgramChange;
        out.record.data1 = data1;
        return out;
    } else if (kind == 0xE0) {
        code = kEventPitchBend;
    } else if (kind == 0xD0) {
        if (learnEditing) return out;
        code = kEventChannelPressure;
    } else if (kind == 0x90) {
        code = kEventNoteOn;
    } else {
        return out;
    }
    out.action = MidiTranslation::Action::Queue;
    out.record.deltaFrames = event.deltaFrames;
    out.record.code = code;
    out.record.data1 = data1;
    out.record.data2 = data2;
    out.record.channel = channel;
    return out;
}

MidiEventQueue::MidiEventQueue() = default;

void MidiEventQueue::compact() {
    const int32_t n = writeIndex - readIndex;
    for (int32_t i = 0; i < n; ++i) records[i] = records[readIndex + i];
    readIndex = 0;
    writeIndex = n;
}

void MidiEventQueue::queueEvent(MidiEventRecord record) {
    if (writeIndex >= kLastIndex) {
        const bool release = endsNotes(record);
        if (pending() > kCompactionLimit && !release) return;
        compact();
        if (writeIndex >= kLastIndex && !makeRoomForRelease()) return;
    }
    insert(record);
}

void MidiEventQueue::queueEventAfterPending(MidiEventRecord record) {
    int32_t total = 0;
    for (int32_t i = readIndex; i < writeIndex; ++i) total += records[i].deltaFrames;
    record.deltaFrames = std::max(record.deltaFrames, total);
    queueEvent(record);
}

// A note-on dropped costs a note that never sounds; a note-off dropped would
// leave one sounding for ever.  So the latest note-on goes first, then the
// latest record of any other kind that does not end notes.
bool MidiEventQueue::makeRoomForRelease() {
    int32_t victim = -1;
    for (int32_t i = writeIndex - 1; i >= readIndex && victim < 0; --i)
        if (records[i].code == kEventNoteOn) victim = i;
    for (int32_t i = writeIndex - 1; i >= readIndex && victim < 0; --i)
        if (!endsNotes(records[i])) victim = i;
    if (victim >= 0) {
        removeAt(victim);
        return true;
    }
    // Nothing but releases wait: the latest one ends every note instead,
    // the note of the record that finds no place with them.
    MidiEventRecord& last = records[writeIndex - 1];
    last.code = kEventAllNotesOff;
    last.data1 = 0;
    last.data2 = 100;
    last.channel = 0;
    return false;
}

// The offsets are relative: the next record takes over the removed one's.
void MidiEventQueue::removeAt(int32_t index) {
    if (index + 1 < writeIndex) records[index + 1].deltaFrames += records[index].deltaFrames;
    for (int32_t j = index; j + 1 < writeIndex; ++j) records[j] = records[j + 1];
    --writeIndex;
}

void MidiEventQueue::insert(MidiEventRecord record) {
    int32_t i = readIndex;
    while (i < writeIndex && record.deltaFrames >= records[i].deltaFrames) {
        record.deltaFrames -= records[i].deltaFrames;
        ++i;
    }
    if (i == writeIndex) {
        records[writeIndex++] = record;
        return;
    }
    for (int32_t j = writeIndex; j > i; --j) records[j] = records[j - 1];
    records[i] = record;
    ++writeIndex;
    records[i + 1].deltaFrames -= record.deltaFrames;
}

void MidiEventQueue::spendFrames(int32_t frames) {
    for (int32_t i = readIndex; i < writeIndex && frames > 0; ++i) {
        if (records[i].deltaFrames >= frames) {
            records[i].deltaFrames -= frames;
            return;
        }
        frames -= records[i].deltaFrames;
        records[i].deltaFrames = 0;
    }
}

bool MidiEventQueue::takeDue(MidiEventRecord& out) {
    if (readIndex >= writeIndex || records[readIndex].deltaFrames > 0) return false;
    out = records[readIndex++];
    if (readIndex == writeIndex) readIndex = writeIndex = 0;
    return true;
}
