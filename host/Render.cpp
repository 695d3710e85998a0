#include "host/Render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/AtomicFile.h"

int64_t sampleOf(double quarters, double tempo, float rate) { return int64_t(std::llround(quarters * 60.0 / tempo * rate)); }

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
    double reported = -1;
    for (int64_t done = 0; done < total; done += block) {
        const int32_t frames = int32_t(std::min<int64_t>(block, total - done));
        while (next < events.size()) {
            const int64_t at = sampleOf(events[next].quarters, settings.tempo, settings.rate);
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

bool writeWav(const std::string& path, const std::vector<std::vector<float>>& channels, float rate, std::string& error) {
    if (channels.empty()) return error = "nothing to write", false;
    const uint32_t frames = uint32_t(channels[0].size());
    const uint16_t count = uint16_t(channels.size());
    const uint32_t dataBytes = frames * count * 4;
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
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
    if (!platform::writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return error = "cannot write " + path, false;
    return true;
}
