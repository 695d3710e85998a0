// zorvane-spike-probe on files as the host writes them: a smooth wave at
// 192 kHz passes; the same wave with one sample lifted off it is flagged as
// a sample alone (its neighbours, half as far off the curve, as turns), and
// with a step as two turns, read from a file or piped.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "ProgramRuns.h"
#include "host/WavWriter.h"
#include "support/TempDir.h"

TEST(SpikeProbe, FlagsALoneSampleAndAStepButNoSmoothWave) {
    constexpr uint32_t kRate = 192000;
    constexpr size_t kFrames = kRate / 2, kAt = kRate / 4;
    TempDir folder;
    auto wave = [&](const std::string& name, const std::function<float(size_t)>& offset) {
        std::vector<float> samples(kFrames);
        for (size_t i = 0; i < kFrames; ++i)
            samples[i] = 0.3f * float(std::sin(2 * std::numbers::pi * 440.0 * double(i) / kRate)) + offset(i);
        const std::string path = folder.str() + "/" + name + ".wav";
        WavWriter writer(1, kRate, kFrames);
        std::string error;
        const float* channels[1] = {samples.data()};
        EXPECT_TRUE(writer.open(path, error) && writer.write(channels, int32_t(kFrames)) && writer.finish(error)) << error;
        return path;
    };
    const struct {
        std::string path;
        int status;
        const char* summary;
    } cases[] = {
        {wave("smooth", [](size_t) { return 0.0f; }), 0, "0 samples alone, 0 turns"},
        {wave("alone", [&](size_t i) { return i == kAt ? 0.03f : 0.0f; }), 1, "1 samples alone, 2 turns"},
        {wave("step", [&](size_t i) { return i >= kAt ? 0.03f : 0.0f; }), 1, "0 samples alone, 2 turns"},
    };
    for (const auto& c : cases) {
        for (const std::string& how : {kSpikeProbeProgram + " " + c.path, kSpikeProbeProgram + " - < " + c.path}) {
            std::string output;
            EXPECT_EQ(run(how, output), c.status) << how << "\n" << output;
            EXPECT_NE(output.find(c.summary), std::string::npos) << how << "\n" << output;
        }
    }
}
