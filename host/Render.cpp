#include "host/Render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/AtomicFile.h"

TempoMap::TempoMap(double bpm, const std::vector<TempoChange>& changes) {
    segments.push_back({0.0, 0.0, bpm});
    for (const TempoChange& change : changes) {
        if (!(change.bpm > 0) || !std::isfinite(change.bpm) || !(change.quarters >= 0)) continue;
        const Segment& last = segments.back();
        const double quarters = std::max(change.quarters, last.quarters);
        segments.push_back({quarters, last.seconds + (quarters - last.quarters) * 60.0 / last.bpm, change.bpm});
    }
}

double TempoMap::secondsAt(double quarters) const {
    const Segment* in = &segments.front();
    for (const Segment& segment : segments)
        if (segment.quarters <= quarters) in = &segment;
    return in->seconds + (quarters - in->quarters) * 60.0 / in->bpm;
}

double TempoMap::tempoAtSeconds(double seconds) const {
    double bpm = segments.front().bpm;
    for (const Segment& segment : segments)
        if (segment.seconds <= seconds) bpm = segment.bpm;
    return bpm;
}

void renderEvents(HostInstance& instance, const std::vector<TimedMidi>& events, const RenderSettings& settings, RenderResult& result,
                  const std::function<void(double)>& progress) {
    const int64_t total = int64_t(settings.seconds * settings.rate);
    const int32_t block = std::max(settings.block, 1);
    const int channels = instance.channels();
    result.channels.assign(size_t(channels), std::vector<float>(size_t(std::max<int64_t>(total, 0)), 0.0f));
    instance.midiOut.timeline.clear();
    std::vector<std::vector<float>> buffers(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(block)));
    float* outputs[2] = {buffers[0].data(), buffers[channels - 1].data()};
    size_t next = 0;
    const int64_t start = instance.samplePosition;
    const TempoMap tempo(settings.tempo, settings.tempoChanges);
    double reported = -1;
    for (int64_t done = 0; done < total; done += block) {
        const int32_t frames = int32_t(std::min<int64_t>(block, total - done));
        // The host's tempo for this block: where the block starts in the map.
        if (!settings.tempoChanges.empty()) instance.transport.tempo = tempo.tempoAtSeconds(double(done) / settings.rate);
        while (next < events.size()) {
            const int64_t at = std::llround(tempo.secondsAt(events[next].quarters) * settings.rate);
            if (at >= done + frames) break;
            const TimedMidi& event = events[next++];
            instance.queueMidi(uint32_t(std::max<int64_t>(at - done, 0)), event.bytes[0], event.bytes[1], event.bytes[2]);
        }
        for (auto& buffer : buffers) std::fill_n(buffer.begin(), frames, settings.nanFill ? std::numeric_limits<float>::quiet_NaN() : 0.0f);
        instance.runBlock(outputs, frames);
        for (int c = 0; c < channels; ++c) std::copy_n(buffers[size_t(c)].begin(), frames, result.channels[size_t(c)].begin() + done);
        if (progress && double(done) / total - reported >= 0.01) {
            reported = double(done) / total;
            progress(reported);
        }
    }
    for (const auto& [sample, packet] : instance.midiOut.timeline) result.midiOut.emplace_back(sample - start, packet);
    if (progress) progress(1.0);
}

std::vector<uint8_t> wavFile(const std::vector<std::vector<float>>& channels, float rate) {
    const uint32_t frames = channels.empty() ? 0 : uint32_t(channels[0].size());
    const uint16_t count = uint16_t(channels.size());
    const uint32_t dataBytes = frames * count * 4;
    std::vector<uint8_t> bytes;
    bytes.reserve(58 + dataBytes);
    auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
    };
    auto tag = [&](const char* text) { bytes.insert(bytes.end(), text, text + 4); };
    tag("RIFF");
    put(4 + 26 + 12 + 8 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(18, 4);
    put(3, 2);  // IEEE float
    put(count, 2);
    put(uint32_t(rate), 4);
    put(uint32_t(rate) * count * 4, 4);
    put(count * 4u, 2);
    put(32, 2);
    put(0, 2);  // no extension: readers of float files expect the field
    tag("fact");
    put(4, 4);
    put(frames, 4);
    tag("data");
    put(dataBytes, 4);
    for (uint32_t i = 0; i < frames; ++i)
        for (const auto& channel : channels) {
            uint32_t word = 0;
            std::memcpy(&word, &channel[i], 4);
            put(word, 4);
        }
    return bytes;
}

bool writeWav(const std::string& path, const std::vector<std::vector<float>>& channels, float rate, std::string& error) {
    if (channels.empty()) return error = "nothing to write", false;
    const std::vector<uint8_t> bytes = wavFile(channels, rate);
    if (path == "-") {
        // The standard output is a pipe or a file the shell opened: it is
        // written as it stands, not replaced.
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
            return error = "cannot write the standard output", false;
        return true;
    }
    if (!platform::writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return error = "cannot write " + path, false;
    return true;
}
