#include "host/Render.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

#include "platform/DenormalGuard.h"

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

int64_t TempoMap::nextChangeSample(int64_t from, double rate) const {
    const double now = tempoAtSeconds(double(from) / rate);
    for (const Segment& segment : segments) {
        if (double(from) / rate >= segment.seconds) continue;
        // A sample or two on where the division rounds down; a change that a
        // later one at the same time undoes is none.
        const int64_t first = std::max<int64_t>(int64_t(std::ceil(segment.seconds * rate)), from + 1);
        for (int64_t at = first; at < first + 3; ++at)
            if (tempoAtSeconds(double(at) / rate) != now) return at;
    }
    return -1;
}

int64_t renderFrames(const RenderSettings& settings) { return std::max<int64_t>(int64_t(settings.seconds * settings.rate), 0); }

bool waitUntil(const std::function<bool()>& ready, double seconds) {
    // Almost always ready: then no clock is read (the render asks before
    // every block).
    if (ready()) return true;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    // A load takes milliseconds: look again often, without spinning a core.
    constexpr auto kLookAgain = std::chrono::microseconds(200);
    while (!ready()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kLookAgain);
    }
    return true;
}

namespace {

bool isProgramChange(const TimedMidi& event) { return (event.bytes[0] & 0xF0) == 0xC0; }

std::string loadTimeText(double seconds, double at) {
    char text[160];
    std::snprintf(text, sizeof text, "the plug-in was still loading (a program or a state) after %g s of waiting, at %.3f s of the render", seconds, at);
    return text;
}

}  // namespace

bool renderBlocks(HostInstance& instance, const std::vector<TimedMidi>& events, const RenderSettings& settings, const BlockSink& sink,
                  const std::function<void(double)>& progress, std::string* failure) {
    const int64_t total = renderFrames(settings);
    const int32_t block = std::max(settings.block, 1);
    const int channels = instance.channels();
    std::vector<std::vector<float>> buffers(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(block)));
    float* outputs[2] = {buffers[0].data(), buffers[channels - 1].data()};
    size_t next = 0;
    const TempoMap tempo(settings.tempo, settings.tempoChanges);
    // The sample of the next event, worked out once for it rather than at
    // every block it is still ahead of.
    size_t timedEvent = events.size();
    int64_t timedAt = 0;
    const auto sampleOf = [&](size_t event) {
        if (event != timedEvent) {
            timedEvent = event;
            timedAt = std::llround(tempo.secondsAt(events[event].quarters) * settings.rate);
        }
        return timedAt;
    };
    double reported = -1;
    // Hosts run their audio threads with denormals flushed; so does this
    // one, and the plug-in's own guard then has nothing to change.
    const platform::DenormalGuard audioThreadMode;
    for (int64_t done = 0; done < total;) {
        int32_t frames = int32_t(std::min<int64_t>(block, total - done));
        // The host's tempo for this block: where the block starts in the map.
        // A block ends where the tempo changes, so that the change comes at
        // its own sample whatever the block size.
        if (!settings.tempoChanges.empty()) {
            instance.transport.tempo = tempo.tempoAtSeconds(double(done) / settings.rate);
            const int64_t change = tempo.nextChangeSample(done, settings.rate);
            if (change > done) frames = int32_t(std::min<int64_t>(frames, change - done));
        }
        bool programChange = false;
        while (next < events.size()) {
            const int64_t at = sampleOf(next);
            if (at >= done + frames) break;
            // The block ends where a program change acts; the change opens
            // the next one.
            if (isProgramChange(events[next]) && at > done) {
                frames = int32_t(at - done);
                break;
            }
            const TimedMidi& event = events[next++];
            instance.queueMidi(uint32_t(std::max<int64_t>(at - done, 0)), event.bytes[0], event.bytes[1], event.bytes[2]);
            if (isProgramChange(event)) {
                programChange = true;
                break;
            }
        }
        // The change, and what came before it at its sample, without audio:
        // the load starts, and the next block waits for it.
        if (programChange) frames = 0;
        // Asked directly first: the waiting machinery is for the rare block
        // after a load, not for every block.
        if (!instance.readyToRender() && !waitUntil([&] { return instance.readyToRender(); }, settings.loadWaitSeconds)) {
            if (failure) *failure = loadTimeText(settings.loadWaitSeconds, double(done) / settings.rate);
            return false;
        }
        for (auto& buffer : buffers) std::fill_n(buffer.begin(), frames, settings.nanFill ? std::numeric_limits<float>::quiet_NaN() : 0.0f);
        instance.runBlock(outputs, frames);
        if (frames == 0) continue;
        if (!sink(outputs, frames)) return false;
        done += frames;
        if (progress && double(done) / total - reported >= 0.01) {
            reported = double(done) / total;
            progress(reported);
        }
    }
    if (progress) progress(1.0);
    return true;
}

void renderEvents(HostInstance& instance, const std::vector<TimedMidi>& events, const RenderSettings& settings, RenderResult& result,
                  const std::function<void(double)>& progress) {
    const int channels = instance.channels();
    result.channels.assign(size_t(channels), {});
    for (auto& channel : result.channels) channel.reserve(size_t(renderFrames(settings)));
    instance.midiOut.timeline.clear();
    const int64_t start = instance.samplePosition;
    renderBlocks(
        instance, events, settings,
        [&](const float* const* outputs, int32_t frames) {
            for (int c = 0; c < channels; ++c) result.channels[size_t(c)].insert(result.channels[size_t(c)].end(), outputs[c], outputs[c] + frames);
            return true;
        },
        progress, &result.failure);
    for (const auto& [sample, packet] : instance.midiOut.timeline) result.midiOut.emplace_back(sample - start, packet);
}
