// Each effect and the whole chain against a recording of their output: a fixed
// noise input through a fixed script of parameter extremes, glides, tempo
// changes and a silent tail.  The recording keeps every 64th output sample of
// both channels, the first arrivals of an impulse and a hash of every output
// bit; the output must match within single-precision rounding (relative RMS
// error 1e-5) with the echoes arriving on the same samples.
//
// ZORVANE_RECORD_EFFECT_REFERENCES=<folder> writes the recordings instead.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "EffectTestSupport.h"
#include "effects/BWChorusXStereo.h"
#include "effects/BWDelay16.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWPhaser.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"
#include "platform/CpuFeatures.h"

namespace {

constexpr size_t kSegment = 8192;  // frames between script steps
constexpr size_t kStride = 64;     // every kStride-th output sample is kept
constexpr uint32_t kMagic = 0x5a524546;

using Chain = std::vector<std::unique_ptr<BWEffect>>;

Chain makeChain(const std::string& name, BWSystemInfo* info) {
    Chain chain;
    const bool all = name == "chain";
    if (all || name == "reverser") chain.push_back(std::make_unique<BWReverserX2>(kReverserEffectId, info));
    if (all || name == "chorus") chain.push_back(std::make_unique<BWChorusXStereo>(kChorusEffectId, info));
    if (all || name == "phaser") chain.push_back(std::make_unique<BWPhaser>(kPhaserEffectId, info));
    if (all || name == "doubledelay") chain.push_back(std::make_unique<BWDoubleDelay>(kDoubleDelayEffectId, info));
    if (all || name == "delay16") chain.push_back(std::make_unique<BWDelay16>(kDelay16EffectId, info));
    if (all || name == "reverb") chain.push_back(std::make_unique<RevTamselEcoShot>(kReverbEffectId, info));
    return chain;
}

void renderChain(Chain& chain, float* left, float* right, size_t frames, size_t blockFrames = kTickFrames) {
    for (size_t done = 0; done < frames; done += blockFrames) {
        const auto block = static_cast<int32_t>(std::min(blockFrames, frames - done));
        for (auto& effect : chain) effect->process(left + done, right + done, block);
        for (auto& effect : chain) effect->tick();
    }
}

void setAll(Chain& chain, uint32_t index, float value) {
    for (auto& effect : chain)
        if (index < static_cast<uint32_t>(effect->getParameterCount())) effect->setParameter(index, value);
}

void mixAll(Chain& chain, float level) {
    for (auto& effect : chain) effect->setMix(level);
}

// The script: one step before each segment.  Every parameter visits both
// ends, the tempo moves (to the slowest one too), the level glides down to
// dry and back, the phaser locks to the tempo and lets go again, and the
// input falls silent for the last segments.
std::vector<std::function<void(Chain&, EffectTestContext&)>> script() {
    using Step = std::function<void(Chain&, EffectTestContext&)>;
    std::vector<Step> steps;
    steps.push_back([](Chain& c, EffectTestContext&) {
        for (uint32_t p = 0; p < 5; ++p) setAll(c, p, 0.6f);
        mixAll(c, 1.0f);
    });
    steps.push_back([](Chain&, EffectTestContext& x) { x.changeTempo(90.0); });
    for (uint32_t p = 0; p < 5; ++p) {
        steps.push_back([p](Chain& c, EffectTestContext&) { setAll(c, p, 0.0f); });
        steps.push_back([p](Chain& c, EffectTestContext&) { setAll(c, p, 1.0f); });
    }
    steps.push_back([](Chain& c, EffectTestContext& x) {
        x.changeTempo(45.0);
        for (auto& effect : c) effect->setSyncMode(0, 1);
        for (uint32_t p = 0; p < 5; ++p) setAll(c, p, 0.3f);
        mixAll(c, 0.5f);
    });
    steps.push_back([](Chain& c, EffectTestContext& x) {
        x.changeTempo(171.5);
        setAll(c, 0, 0.85f);
        setAll(c, 3, 0.9f);
    });
    steps.push_back([](Chain& c, EffectTestContext&) { mixAll(c, 0.0f); });
    steps.push_back([](Chain& c, EffectTestContext& x) {
        x.changeTempo(120.0);
        for (auto& effect : c) effect->setSyncMode(0, 0);
        mixAll(c, 1.0f);
        setAll(c, 1, 0.75f);
    });
    steps.push_back([](Chain& c, EffectTestContext&) { setAll(c, 2, 0.15f); });
    return steps;
}

constexpr size_t kSilentSegments = 3;

struct Recording {
    std::vector<float> kept;  // left then right, every kStride-th sample
    uint64_t hash = 1469598103934665603ull;
    int32_t arrivals[4] = {};  // first sample above the threshold and loudest sample, per channel
};

void hashSamples(uint64_t& hash, const float* samples, size_t count) {
    for (size_t n = 0; n < count; ++n) {
        uint32_t bits;
        std::memcpy(&bits, &samples[n], sizeof bits);
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (bits >> (8 * byte)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
}

// Where an impulse comes back: the chain settled at its middle settings and
// full level, then a unit impulse on the left and half of one on the right,
// off any slice or tick boundary.  An arrival is the first sample after the
// impulse above a hundredth of the loudest one, and the loudest one.
void measureArrivals(const std::string& name, Recording& recording) {
    constexpr size_t kAt = 3001;
    EffectTestContext context;
    Chain chain = makeChain(name, &context.info);
    for (uint32_t p = 0; p < 5; ++p) setAll(chain, p, 0.6f);
    mixAll(chain, 1.0f);
    StereoSignal quiet(44100);
    renderChain(chain, quiet.left.data(), quiet.right.data(), quiet.size());
    StereoSignal impulse(88200);
    impulse.left[kAt] = 1.0f;
    impulse.right[kAt] = 0.5f;
    renderChain(chain, impulse.left.data(), impulse.right.data(), impulse.size());
    const std::vector<float>* channels[2] = {&impulse.left, &impulse.right};
    for (int c = 0; c < 2; ++c) {
        const std::vector<float>& y = *channels[c];
        size_t loudest = kAt + 1;
        for (size_t n = kAt + 1; n < y.size(); ++n)
            if (std::fabs(y[n]) > std::fabs(y[loudest])) loudest = n;
        size_t first = kAt + 1;
        while (std::fabs(y[first]) <= 0.01f * std::fabs(y[loudest])) ++first;
        recording.arrivals[2 * c] = static_cast<int32_t>(first);
        recording.arrivals[2 * c + 1] = static_cast<int32_t>(loudest);
    }
}

Recording record(const std::string& name, size_t blockFrames = kTickFrames) {
    EffectTestContext context;
    Chain chain = makeChain(name, &context.info);
    const auto steps = script();
    const size_t segments = steps.size() + kSilentSegments;
    StereoSignal audio(segments * kSegment);
    NoiseSource noise(777u);
    for (size_t n = 0; n < steps.size() * kSegment; ++n) {
        audio.left[n] = 0.5f * noise.next();
        audio.right[n] = 0.5f * noise.next();
    }
    for (size_t s = 0; s < segments; ++s) {
        if (s < steps.size()) steps[s](chain, context);
        renderChain(chain, audio.left.data() + s * kSegment, audio.right.data() + s * kSegment, kSegment,
                    blockFrames);
    }
    Recording recording;
    hashSamples(recording.hash, audio.left.data(), audio.size());
    hashSamples(recording.hash, audio.right.data(), audio.size());
    for (const auto* channel : {&audio.left, &audio.right})
        for (size_t n = 0; n < channel->size(); n += kStride) recording.kept.push_back((*channel)[n]);
    measureArrivals(name, recording);
    return recording;
}

std::string referencePath(const std::string& folder, const std::string& name) {
    return folder + "/" + name + ".ref";
}

// Little-endian words: magic, count of kept samples, four arrivals, the hash
// as two words (low first), then the kept samples.
void write(const std::string& path, const Recording& r) {
    std::ofstream out(path, std::ios::binary);
    const uint32_t count = static_cast<uint32_t>(r.kept.size());
    const uint32_t hashWords[2] = {static_cast<uint32_t>(r.hash), static_cast<uint32_t>(r.hash >> 32)};
    out.write(reinterpret_cast<const char*>(&kMagic), 4);
    out.write(reinterpret_cast<const char*>(&count), 4);
    out.write(reinterpret_cast<const char*>(r.arrivals), sizeof r.arrivals);
    out.write(reinterpret_cast<const char*>(hashWords), sizeof hashWords);
    out.write(reinterpret_cast<const char*>(r.kept.data()), static_cast<std::streamsize>(count * 4));
}

bool read(const std::string& path, Recording& r) {
    std::ifstream in(path, std::ios::binary);
    uint32_t magic = 0;
    uint32_t count = 0;
    uint32_t hashWords[2] = {};
    in.read(reinterpret_cast<char*>(&magic), 4);
    in.read(reinterpret_cast<char*>(&count), 4);
    if (!in || magic != kMagic || count > (1u << 20)) return false;
    in.read(reinterpret_cast<char*>(r.arrivals), sizeof r.arrivals);
    in.read(reinterpret_cast<char*>(hashWords), sizeof hashWords);
    r.hash = hashWords[0] | (uint64_t{hashWords[1]} << 32);
    r.kept.resize(count);
    in.read(reinterpret_cast<char*>(r.kept.data()), static_cast<std::streamsize>(count * 4));
    return static_cast<bool>(in);
}

// Each recording is checked twice: with the kernels this processor may use,
// and held to the x86-64 baseline, so that both paths are held to it.
class EffectReference : public ::testing::TestWithParam<std::tuple<std::string, bool>> {
protected:
    void SetUp() override { platform::restrictToBaselineCpu(std::get<1>(GetParam())); }
    void TearDown() override { platform::restrictToBaselineCpu(false); }
};

}  // namespace

TEST_P(EffectReference, MatchesTheRecordingWithinRoundingAndArrivesOnTheSameSamples) {
    const std::string name = std::get<0>(GetParam());
    const Recording now = record(name);
    if (const char* folder = std::getenv("ZORVANE_RECORD_EFFECT_REFERENCES")) {
        write(referencePath(folder, name), now);
        std::printf("%s: hash %016llx\n", name.c_str(), static_cast<unsigned long long>(now.hash));
        return;
    }
    Recording reference;
    ASSERT_TRUE(read(referencePath(ZORVANE_SOURCE_DIR "/tests/effects/references", name), reference)) << name;
    ASSERT_EQ(now.kept.size(), reference.kept.size());
    double error = 0.0;
    double energy = 0.0;
    for (size_t n = 0; n < now.kept.size(); ++n) {
        const double d = static_cast<double>(now.kept[n]) - reference.kept[n];
        error += d * d;
        energy += static_cast<double>(reference.kept[n]) * reference.kept[n];
    }
    ASSERT_GT(energy, 1.0);
    const double relative = std::sqrt(error / energy);
    EXPECT_LT(relative, 1e-5) << name;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(now.arrivals[k], reference.arrivals[k]) << name << " arrival " << k;
    // Told, not required: whether a change left every bit as it was.
    std::printf("%s%s: relative error %.3g, %s\n", name.c_str(), std::get<1>(GetParam()) ? " (baseline)" : "", relative,
                now.hash == reference.hash ? "bit for bit the same" : "rounded differently");
}

INSTANTIATE_TEST_SUITE_P(Effects, EffectReference,
                         ::testing::Combine(::testing::Values("reverser", "chorus", "phaser", "doubledelay", "delay16",
                                                              "reverb", "chain"),
                                            ::testing::Bool()),
                         [](const auto& info) {
                             return std::get<0>(info.param) + (std::get<1>(info.param) ? "_baseline" : "_native");
                         });

// The effects whose AVX2 kernels do what their baseline ones do, operation
// for operation and with no fused multiply-adds: on a machine with AVX2 both
// paths give the same bits through the whole script, in the render
// routine's blocks and in blocks of an odd length, so that no machine needs
// recordings of its own for them.
TEST(EffectKernels, WideAndBaselinePathsGiveTheSameBits) {
    if (!platform::cpuHasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
    for (const char* name : {"chorus", "doubledelay", "delay16"}) {
        for (size_t block : {kTickFrames, size_t{13}}) {
            platform::restrictToBaselineCpu(true);
            const Recording baseline = record(name, block);
            platform::restrictToBaselineCpu(false);
            const Recording wide = record(name, block);
            EXPECT_EQ(wide.hash, baseline.hash) << name << " in blocks of " << block;
        }
    }
}
