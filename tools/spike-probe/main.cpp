// zorvane-spike-probe FILE: reads a 32-bit float WAV (as zorvane-host render
// writes it; "-" reads standard input, so that a render can be piped in
// whole without a file) and flags every sample whose second difference is
// more than ten times the mean second difference of the 128 samples around
// it, as the tests' oneSampleSpikes does, streamed so that songs of any
// length fit.  A flagged sample that stands off both neighbours the same
// way is counted as alone (a one-sample outlier, whose neighbours are
// flagged beside it as turns); the others are turns (a step, flagged on
// both its samples, or a corner where a slope changes at once).  Exit status 0 when
// nothing was flagged, 1 when something was, 2 for a file it cannot read.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ToolArguments.h"

namespace {

const char* const kUsage =
    "usage: zorvane-spike-probe FILE.wav\n"
    "  Flags every sample of a 32-bit float WAV (\"-\" reads standard input) whose\n"
    "  second difference is more than ten times the mean of the 128 around it:\n"
    "  the first few of each channel, then the counts of samples standing alone\n"
    "  and of other turns.  Exit status 1 when any was flagged.\n";

constexpr size_t kAround = 64;                // samples each side of the one judged
constexpr double kRatio = 10.0;               // how far above its neighbourhood
constexpr double kFloor = 1e-4;               // rounding in near silence never counts
constexpr double kAloneShare = 0.25;          // each side's part of the turn, at least
constexpr size_t kRing = 256;                 // a power of two above 2 × kAround + 3
constexpr size_t kShown = 8;                  // flags listed per channel
constexpr uint16_t kIeeeFloat = 3;

struct Channel {
    std::array<float, kRing> x{};
    std::array<double, kRing> curve{};  // |second difference| of the sample at each place
    uint64_t count = 0;
    uint64_t alone = 0, turns = 0;
    std::vector<std::string> shown;
};

uint32_t word32(const uint8_t* b) { return b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24; }
uint16_t word16(const uint8_t* b) { return uint16_t(b[0] | b[1] << 8); }

struct Format {
    uint16_t channels = 0, encoding = 0, bits = 0;
    uint32_t rate = 0;
};

// Reads up to the samples of the "data" chunk; false when the file is no
// float WAV.
bool readHeader(std::FILE* in, Format& format) {
    uint8_t riff[12];
    if (std::fread(riff, 1, 12, in) != 12 || (std::memcmp(riff, "RIFF", 4) && std::memcmp(riff, "RF64", 4))) return false;
    for (;;) {
        uint8_t chunk[8];
        if (std::fread(chunk, 1, 8, in) != 8) return false;
        if (!std::memcmp(chunk, "data", 4)) break;
        std::vector<uint8_t> body(word32(chunk + 4) + (word32(chunk + 4) & 1));
        if (std::fread(body.data(), 1, body.size(), in) != body.size()) return false;
        if (!std::memcmp(chunk, "fmt ", 4) && body.size() >= 16)
            format = {word16(&body[2]), word16(&body[0]), word16(&body[14]), word32(&body[4])};
    }
    return format.encoding == kIeeeFloat && format.bits == 32 && format.channels > 0 && format.rate > 0;
}

// The sample whose neighbourhood's last second difference (that of the
// sample before the newest) has just been worked out.
void judge(Channel& c, size_t channel, uint32_t rate) {
    const uint64_t i = c.count - 2 - kAround;
    const double here = c.curve[i % kRing];
    if (i < kAround + 1 || here < kFloor) return;
    double around = 0.0;
    for (uint64_t j = i - kAround; j <= i + kAround; ++j)
        if (j + 1 < i || j > i + 1) around += c.curve[j % kRing];
    if (here <= kRatio * around / double(2 * kAround - 2)) return;
    const float before = c.x[(i - 1) % kRing], at = c.x[i % kRing], after = c.x[(i + 1) % kRing];
    const double rise = double(at) - before, fall = double(after) - at;
    const bool alone = rise * fall < 0.0 && std::min(std::fabs(rise), std::fabs(fall)) > kAloneShare * here;
    (alone ? c.alone : c.turns) += 1;
    if (c.shown.size() >= kShown) return;
    char line[160];
    std::snprintf(line, sizeof line, "  channel %zu, %.5f s (sample %llu): %s %.5f %.5f %.5f", channel, double(i) / rate,
                  static_cast<unsigned long long>(i), alone ? "alone" : "turn ", before, at, after);
    c.shown.emplace_back(line);
}

void take(Channel& c, float value, size_t channel, uint32_t rate) {
    c.x[c.count % kRing] = value;
    if (c.count >= 2) {
        const uint64_t i = c.count - 1;
        c.curve[i % kRing] = std::fabs(double(c.x[(i + 1) % kRing]) - 2.0 * c.x[i % kRing] + c.x[(i - 1) % kRing]);
    }
    ++c.count;
    if (c.count >= 2 * kAround + 3) judge(c, channel, rate);
}

}  // namespace

int main(int argc, char** argv) {
    const ToolArguments args = readToolArguments(argc, argv, "zorvane-spike-probe", kUsage);
    if (args.exitStatus >= 0) return args.exitStatus;
    std::FILE* in = args.path == "-" ? stdin : std::fopen(args.path.c_str(), "rb");
    Format format;
    if (!in || !readHeader(in, format)) {
        std::fprintf(stderr, "zorvane-spike-probe: %s: no 32-bit float WAV\n", args.path.c_str());
        return 2;
    }
    std::vector<Channel> channels(format.channels);
    std::vector<float> frame(format.channels);
    uint64_t frames = 0;
    while (std::fread(frame.data(), sizeof(float), frame.size(), in) == frame.size()) {
        for (size_t k = 0; k < frame.size(); ++k) take(channels[k], frame[k], k, format.rate);
        ++frames;
    }
    uint64_t alone = 0, turns = 0;
    for (const Channel& c : channels) {
        for (const std::string& line : c.shown) std::printf("%s\n", line.c_str());
        alone += c.alone;
        turns += c.turns;
    }
    std::printf("%llu samples alone, %llu turns in %.1f s at %u Hz\n", static_cast<unsigned long long>(alone),
                static_cast<unsigned long long>(turns), double(frames) / format.rate, format.rate);
    return alone + turns == 0 ? 0 : 1;
}
