#include "host/MidiFile.h"

#include <algorithm>

#include "host/FileBytes.h"

namespace {

class Reader {
public:
    Reader(const uint8_t* data_, size_t size_) : data(data_), size(size_) {}
    bool has(size_t n) const { return size - position >= n; }
    size_t left() const { return size - position; }
    uint8_t byte() { return data[position++]; }
    uint32_t word(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | byte();
        return value;
    }
    // A variable-length quantity of at most four bytes; false when cut short.
    bool quantity(uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (!has(1)) return false;
            const uint8_t b = byte();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool skip(size_t n) {
        if (!has(n)) return false;
        position += n;
        return true;
    }
    size_t position = 0;

private:
    const uint8_t* data;
    size_t size;
};

int dataBytes(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

constexpr uint8_t kSetTempo = 0x51;

bool readTrack(Reader& track, uint32_t division, std::vector<TimedMidi>& events, std::vector<TempoChange>& tempos,
               std::string& error) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (track.has(1)) {
        uint32_t delta = 0;
        if (!track.quantity(delta)) return error = "a track event's time is cut short", false;
        tick += delta;
        if (!track.has(1)) return error = "a track ends inside an event", false;
        uint8_t status = track.byte();
        if (status == 0xFF) {
            if (!track.has(1)) return error = "a meta event is cut short", false;
            const uint8_t type = track.byte();
            uint32_t length = 0;
            if (!track.quantity(length) || !track.has(length)) return error = "a meta event is longer than its track", false;
            if (type == kSetTempo && length == 3) {
                const uint32_t microsecondsPerQuarter = track.word(3);
                if (microsecondsPerQuarter > 0) tempos.push_back({double(tick) / division, 60e6 / microsecondsPerQuarter});
            } else {
                track.skip(length);
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            uint32_t length = 0;
            if (!track.quantity(length) || !track.skip(length)) return error = "a system-exclusive event is longer than its track", false;
            continue;
        }
        if (status < 0x80) {
            if (!running) return error = "a data byte without a status byte", false;
            --track.position;  // running status: this byte is data
            status = running;
        }
        if (status >= 0xF0) return error = "an unknown system message in a track", false;
        running = status;
        const int count = dataBytes(status);
        if (!track.has(size_t(count))) return error = "a channel message is cut short", false;
        TimedMidi event{double(tick) / division, {status, 0, 0}};
        for (int i = 0; i < count; ++i) event.bytes[1 + i] = track.byte() & 0x7F;
        events.push_back(event);
    }
    return true;
}

}  // namespace

bool parseMidiFile(const std::vector<uint8_t>& bytes, std::vector<TimedMidi>& events, std::string& error,
                   std::vector<TempoChange>* tempos) {
    events.clear();
    std::vector<TempoChange> changes;
    Reader file(bytes.data(), bytes.size());
    if (!file.has(14) || file.word(4) != 0x4D546864u) return error = "not a Standard MIDI File (no \"MThd\" header)", false;
    const uint32_t headerLength = file.word(4);
    if (headerLength < 6 || !file.has(headerLength)) return error = "the MIDI file's header is cut short", false;
    const uint32_t format = file.word(2);
    const uint32_t tracks = file.word(2);
    const uint32_t division = file.word(2);
    file.skip(headerLength - 6);
    if (format > 1) return error = "MIDI file format " + std::to_string(format) + " is not supported (0 or 1 only)", false;
    if (division == 0 || (division & 0x8000)) return error = "the MIDI file's time division is not in ticks per quarter note", false;
    for (uint32_t t = 0; t < tracks; ++t) {
        if (!file.has(8)) return error = "the MIDI file ends before track " + std::to_string(t + 1), false;
        const uint32_t tag = file.word(4);
        const uint32_t length = file.word(4);
        if (!file.has(length)) return error = "a track of the MIDI file is longer than the file", false;
        if (tag == 0x4D54726Bu) {
            Reader track(bytes.data() + file.position, length);
            if (!readTrack(track, division, events, changes, error)) return false;
        }
        file.skip(length);
    }
    std::stable_sort(events.begin(), events.end(), [](const TimedMidi& a, const TimedMidi& b) { return a.quarters < b.quarters; });
    std::stable_sort(changes.begin(), changes.end(), [](const TempoChange& a, const TempoChange& b) { return a.quarters < b.quarters; });
    if (tempos) *tempos = std::move(changes);
    return true;
}

bool readMidiFile(const std::string& path, std::vector<TimedMidi>& events, std::string& error, std::vector<TempoChange>* tempos) {
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, bytes, error)) return false;
    if (!parseMidiFile(bytes, events, error, tempos)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<TimedMidi> builtInPhrase() {
    // A bass note in the left hand under a close chord in the right, voiced
    // so that the right hand moves by step around E4: C, A minor, F, G.
    const uint8_t chords[4][4] = {{48, 64, 67, 72}, {45, 64, 69, 72}, {41, 65, 69, 72}, {43, 62, 67, 71}};
    std::vector<TimedMidi> phrase;
    for (int bar = 0; bar < 4; ++bar) {
        // Legato: each chord is let go on the beat that strikes the next,
        // so the keys are never all up and the phrase runs on.
        if (bar > 0)
            for (uint8_t note : chords[bar - 1]) phrase.push_back({bar * 4.0, {0x80, note, 0}});
        for (uint8_t note : chords[bar]) phrase.push_back({bar * 4.0, {0x90, note, 100}});
    }
    for (uint8_t note : chords[3]) phrase.push_back({16.0, {0x80, note, 0}});
    return phrase;
}
