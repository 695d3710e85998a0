#include "persistence/MidiFileWriter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "persistence/BWDropSource.h"
#include "persistence/BWFileio.h"

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

// 7 bits a byte, most significant group first, bit 7 set on all but the
// last.  A file can hold at most 28 bits.
void putVariableLength(std::vector<uint8_t>& out, uint32_t value) {
    value = std::min<uint32_t>(value, 0x0FFFFFFF);
    uint8_t groups[4];
    int n = 0;
    do {
        groups[n++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1) out.push_back(uint8_t(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

bool isNoteOff(const uint8_t* data) {
    const uint8_t kind = data[0] & 0xF0;
    return kind == 0x80 || (kind == 0x90 && data[2] == 0);
}

bool isNoteOn(const uint8_t* data) { return (data[0] & 0xF0) == 0x90 && data[2] > 0; }

// Program change and channel pressure carry one data byte.
int dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

MidiFileWriter::MidiFileWriter(uint32_t tempo, double length, uint32_t ticksPerQuarter)
    : ticksPerQuarter(ticksPerQuarter), tempo(std::max<uint32_t>(tempo, 1)) {
    for (ChannelList& channel : channels) {
        channel.ticksPerQuarter = ticksPerQuarter;
        channel.end = length;
    }
}

double MidiFileWriter::quantise(double position) {
    const double scaled = position * 240.0 + 0.5;
    if (!(std::fabs(scaled) < 9.2e18)) return 0.0;  // NaN or beyond any tick
    const int32_t n = int32_t(uint32_t(int64_t(scaled)));
    return n * (1.0 / 240.0);
}

int32_t MidiFileWriter::tickOf(double quantised, uint32_t ticks) {
    if (!(quantised > 0.0)) return 0;
    const double tick = ticks * quantised;
    return tick >= double(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                : int32_t(tick);
}

bool MidiFileWriter::addEvent(const uint8_t midiData[4], double position) {
    if (midiData[0] > 0xEF) return true;
    ChannelList& channel = channels[midiData[0] & 0x0F];
    const double q = quantise(position);
    if (q >= channel.end && !isNoteOff(midiData)) return true;
    Event event{tickOf(q, channel.ticksPerQuarter), {midiData[0], midiData[1], midiData[2], midiData[3]}};
    channel.events.push_back(event);
    return true;
}

void MidiFileWriter::releaseHangingNotes(double end) {
    const double q = quantise(end);
    for (int c = 0; c < kChannels; ++c) {
        ChannelList& channel = channels[c];
        int32_t sounding[128] = {};
        for (const Event& event : channel.events) {
            if (isNoteOn(event.data)) ++sounding[event.data[1] & 0x7F];
            else if (isNoteOff(event.data)) --sounding[event.data[1] & 0x7F];
        }
        const int32_t tick = tickOf(q, channel.ticksPerQuarter);
        for (int note = 0; note < 128; ++note)
            if (sounding[note] > 0) channel.events.push_back({tick, {uint8_t(0x80 | c), uint8_t(note), 0, 0}});
    }
}

int MidiFileWriter::countTracks() const {
    return int(std::count_if(std::begin(channels), std::end(channels),
                             [](const ChannelList& channel) { return !channel.events.empty(); }));
}

bool MidiFileWriter::writeHeader(std::vector<uint8_t>& out, int tracks) const {
    out.insert(out.end(), {'M', 'T', 'h', 'd', 0, 0, 0, 6});
    putBigEndian(out, tracks > 1 ? 1 : 0, 2);
    putBigEndian(out, uint32_t(std::max(tracks, 1)), 2);
    putBigEndian(out, ticksPerQuarter, 2);
    return true;
}

bool MidiFileWriter::writeTempo(std::vector<uint8_t>& out) const {
    out.insert(out.end(), {0x00, 0xFF, 0x51, 0x03});
    putBigEndian(out, 60000000u / tempo, 3);
    return true;
}

bool MidiFileWriter::writeTimeSignature(std::vector<uint8_t>& out) const {
    out.insert(out.end(), {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    return true;
}

void MidiFileWriter::writeTrack(std::vector<uint8_t>& out, const ChannelList& channel) {
    lastTick = 0;
    out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    const size_t lengthAt = out.size() - 4;
    writeTempo(out);
    writeTimeSignature(out);
    // Events arrive per render block and released notes come last; a stable
    // sort by tick keeps every delta non-negative and same-tick order intact.
    std::vector<Event> events = channel.events;
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
    for (const Event& event : events) {
        putVariableLength(out, uint32_t(std::max(event.tick - lastTick, 0)));
        lastTick = event.tick;
        out.push_back(event.data[0]);
        for (int i = 1; i <= dataBytesOf(event.data[0]); ++i) out.push_back(event.data[i]);
    }
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    const uint32_t length = uint32_t(out.size() - lengthAt - 4);
    for (int i = 0; i < 4; ++i) out[lengthAt + i] = uint8_t(length >> (24 - 8 * i));
}

bool MidiFileWriter::writeFile(const std::string& target) {
    path = target;
    const int tracks = countTracks();
    std::vector<uint8_t> file;
    writeHeader(file, tracks);
    for (int c = 0; c < kChannels; ++c)
        if (!channels[c].events.empty() || (c == 0 && tracks == 0)) writeTrack(file, channels[c]);
    return BWFileio::writeWhole(path.c_str(), file.data(), file.size());
}

void MidiFileWriter::dragFileOut() {
    if (path.empty()) return;
    auto* source = new BWDropSource();
    platform::dragFileOut({path, platform::kDropEffectCopy | platform::kDropEffectLink, source});
    source->Release();
}
