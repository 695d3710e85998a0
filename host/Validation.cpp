#include "host/Validation.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/AllocationWatch.h"
#include "host/PluginModule.h"
#include "host/Render.h"
#include "platform/DenormalGuard.h"

namespace {

struct Battery {
    PluginModule& module;
    const ValidationSettings& settings;
    std::ostream& out;
    bool allPassed = true;

    void report(const std::string& name, bool passed, const std::string& detail = {}) {
        out << (passed ? "PASS " : "FAIL ") << name << (detail.empty() ? "" : ": " + detail) << "\n";
        allPassed = allPassed && passed;
    }

    std::unique_ptr<HostInstance> instance(int channels = 2, float rate = 44100.0f) {
        auto made = std::make_unique<HostInstance>(module.effect(), channels, rate);
        if (!made->ok()) return nullptr;
        // Whole ticks per sample, so that the host's position at any sample
        // is the same however the time was cut into blocks.
        const double samplesPerQuarter = rate * 60.0 / made->transport.tempo;
        if (samplesPerQuarter == std::floor(samplesPerQuarter) && samplesPerQuarter * 48 < 4e9)
            made->transport.ticksPerQuarter = uint32_t(samplesPerQuarter) * 48;
        if (!settings.state.empty() && made->loadState(settings.state) != AAX_SUCCESS) return nullptr;
        return made;
    }

    // A chord held from the start, with one settling block of the same length
    // for every rendering: the master gain ramps over whole host blocks, so
    // the audio can only match block for block while it stands still.
    RenderResult renderHeldChord(int32_t block) {
        RenderResult result;
        auto made = instance();
        if (!made) return result;
        for (uint8_t note : {60, 64, 67}) made->queueMidi(0, 0x90, note, 100);
        std::vector<float> settle(4096);
        float* outputs[2] = {settle.data(), settle.data()};
        made->runBlock(outputs, int32_t(settle.size()));
        RenderSettings render;
        render.block = block;
        render.seconds = settings.seconds;
        renderEvents(*made, {}, render, result);
        if (!result.failure.empty()) report("rendering", false, result.failure);
        return result;
    }

    RenderResult render(int32_t block, float rate = 44100.0f, bool nanFill = false, double seconds = 0) {
        RenderResult result;
        auto made = instance(2, rate);
        if (!made) return result;
        RenderSettings render;
        render.rate = rate;
        render.block = block;
        render.nanFill = nanFill;
        render.seconds = seconds > 0 ? seconds : settings.seconds;
        renderEvents(*made, builtInPhrase(), render, result);
        if (!result.failure.empty()) report("rendering", false, result.failure);
        return result;
    }
};

// Every instance seeds the engine's humanising noise from the same fixed
// calendar time (the program sets it), so even the velocities must match.
bool samePacket(const AAX_CMidiPacket& a, const AAX_CMidiPacket& b) { return std::memcmp(a.mData, b.mData, sizeof(a.mData)) == 0; }

// Empty when both sent the same packets at the same samples, else where
// they first part.
std::string packetDifference(const RenderResult& a, const RenderResult& b) {
    const size_t count = std::min(a.midiOut.size(), b.midiOut.size());
    for (size_t i = 0; i < count; ++i) {
        const auto& [sampleA, packetA] = a.midiOut[i];
        const auto& [sampleB, packetB] = b.midiOut[i];
        if (sampleA != sampleB || !samePacket(packetA, packetB)) {
            char text[160];
            std::snprintf(text, sizeof(text), "packet %zu: %02X %02X %02X at %lld, expected %02X %02X %02X at %lld", i, packetB.mData[0],
                          packetB.mData[1], packetB.mData[2], (long long)sampleB, packetA.mData[0], packetA.mData[1], packetA.mData[2],
                          (long long)sampleA);
            return text;
        }
    }
    if (a.midiOut.size() != b.midiOut.size()) return std::to_string(b.midiOut.size()) + " packets, expected " + std::to_string(a.midiOut.size());
    return {};
}

// Where two renderings first part, or empty.
std::string audioDifference(const RenderResult& a, const RenderResult& b) {
    if (a.channels.size() != b.channels.size()) return "channel counts differ";
    for (size_t c = 0; c < a.channels.size(); ++c) {
        const auto& x = a.channels[c];
        const auto& y = b.channels[c];
        for (size_t i = 0; i < std::min(x.size(), y.size()); ++i)
            if (x[i] != y[i]) {
                char text[128];
                std::snprintf(text, sizeof(text), "channel %zu sample %zu: %.9g, expected %.9g", c, i, double(y[i]), double(x[i]));
                return text;
            }
    }
    return {};
}

bool allFinite(const RenderResult& result) {
    for (const auto& channel : result.channels)
        for (float sample : channel)
            if (!std::isfinite(sample)) return false;
    return !result.channels.empty();
}

void checkBlockSizes(Battery& battery) {
    const std::vector<int32_t> midiBlocks = battery.settings.quick ? std::vector<int32_t>{1, 137, 4096} : std::vector<int32_t>{1, 7, 64, 137, 512, 4096};
    const RenderResult reference = battery.render(midiBlocks.back());
    for (int32_t block : midiBlocks) {
        const RenderResult other = battery.render(block);
        const std::string difference = packetDifference(reference, other);
        battery.report("MIDI output at block size " + std::to_string(block), difference.empty(),
                       difference.empty() ? std::to_string(other.midiOut.size()) + " packets" : difference);
        battery.report("audio at block size " + std::to_string(block), other.channels == reference.channels,
                       audioDifference(reference, other));
    }
    const RenderResult held = battery.renderHeldChord(4096);
    for (int32_t block : {1, 16, 100, 512, 1008}) {
        const RenderResult other = battery.renderHeldChord(block);
        battery.report("audio of a held chord at block size " + std::to_string(block), other.channels == held.channels, audioDifference(held, other));
    }
}

void checkRates(Battery& battery) {
    const std::vector<float> rates = battery.settings.quick ? std::vector<float>{22050, 192000} : std::vector<float>{22050, 44100, 48000, 88200, 96000, 192000};
    for (float rate : rates) {
        const RenderResult result = battery.render(512, rate, false, 1.0);
        battery.report("sample rate " + std::to_string(int(rate)), allFinite(result));
    }
}

void checkNaNOverwritten(Battery& battery) {
    const RenderResult result = battery.render(333, 44100.0f, true, 1.0);
    battery.report("output buffers pre-filled with NaN are overwritten", allFinite(result));
}

void checkSilenceAfterTails(Battery& battery) {
    auto instance = battery.instance();
    if (!instance) return battery.report("silence with the transport stopped", false, "no instance");
    instance->transport.playing = false;
    RenderSettings render;
    render.seconds = 8.0;
    RenderResult result;
    renderEvents(*instance, {}, render, result);
    const size_t tail = size_t(render.rate);  // the last second
    bool silent = true;
    for (const auto& channel : result.channels)
        for (size_t i = channel.size() - tail; i < channel.size(); ++i) silent = silent && channel[i] == 0.0f;
    battery.report("exact silence after the tails with the transport stopped and no notes", silent);
}

void checkParameterChanges(Battery& battery) {
    auto instance = battery.instance();
    if (!instance) return battery.report("random parameter changes while playing", false, "no instance");
    std::mt19937 random(1234);
    std::uniform_int_distribution<int32_t> which(0, 86);
    std::uniform_real_distribution<double> value(0.0, 1.0);
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    const auto phrase = builtInPhrase();
    bool finite = true;
    const platform::DenormalGuard audioThreadMode;  // as a host's audio thread
    for (int block = 0; block < int(battery.settings.seconds * 44100 / 256); ++block) {
        if (block == 0)
            for (const TimedMidi& event : phrase)
                if (event.bytes[0] == 0x90 && event.quarters == 0) instance->queueMidi(0, event.bytes[0], event.bytes[1], event.bytes[2]);
        for (int k = 0; k < 3; ++k) instance->setParameter(std::to_string(which(random)), value(random));
        instance->runBlock(outputs, 256);
        for (int i = 0; i < 256; ++i) finite = finite && std::isfinite(left[size_t(i)]) && std::isfinite(right[size_t(i)]);
    }
    battery.report("random parameter changes while playing", finite);
}

void checkStateRoundTrips(Battery& battery) {
    auto first = battery.instance();
    auto second = battery.instance();
    if (!first || !second) return battery.report("state round trip", false, "no instance");
    std::mt19937 random(99);
    std::uniform_real_distribution<double> value(0.0, 1.0);
    for (int32_t i = 1; i < 87; i += 3) first->setParameter(std::to_string(i), value(random));
    const std::vector<uint8_t> saved = first->saveState();
    const AAX_Result loaded = saved.empty() ? -1 : second->loadState(saved);
    const std::vector<uint8_t> again = second->saveState();
    battery.report("state saved from one instance re-saves byte for byte from a fresh one", !saved.empty() && loaded == 0 && again == saved,
                   std::to_string(saved.size()) + " bytes");
    bool sameValues = true;
    for (int32_t i = 0; i < 87; ++i) sameValues = sameValues && first->parameter(std::to_string(i)) == second->parameter(std::to_string(i));
    battery.report("state round trip keeps the host parameters", sameValues);
}

void checkAllocations(Battery& battery) {
    if (!allocationWatchAvailable()) return;
    auto instance = battery.instance();
    if (!instance) return battery.report("no allocation in the process call", false, "no instance");
    instance->midiOut.posted.reserve(1 << 16);
    instance->midiOut.timeline.reserve(1 << 16);
    RenderSettings render;
    render.seconds = 2.0;
    render.block = 64;
    RenderResult warmUp;
    renderEvents(*instance, builtInPhrase(), render, warmUp);
    instance->watchAllocations = true;
    render.block = 2048;  // longer than the instance was prepared for
    RenderResult result;
    renderEvents(*instance, builtInPhrase(), render, result);
    battery.report("no allocation inside the process call", instance->processAllocations == 0,
                   std::to_string(instance->processAllocations) + " allocations");
}

}  // namespace

bool runValidation(PluginModule& module, const ValidationSettings& settings, std::ostream& out) {
    Battery battery{module, settings, out};
    checkBlockSizes(battery);
    checkRates(battery);
    checkNaNOverwritten(battery);
    checkSilenceAfterTails(battery);
    checkParameterChanges(battery);
    checkStateRoundTrips(battery);
    checkAllocations(battery);
    out << (battery.allPassed ? "validation passed\n" : "validation FAILED\n");
    return battery.allPassed;
}
