// Files that other programs make, read by us, and files we make, read by
// others: sox writes WAV and AIFF, libsndfile reads what we write.
#include "engine/AudioFile.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "support/TempDir.h"

namespace {

class AudioFilePeerTest : public testing::Test {
protected:
    void sox(const std::string& arguments) {
        const std::string command = "sox -D -R " + arguments + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command << " (scripts/setup installs sox)";
    }

    // A known signal with both ends of the range, as signed raw integers.
    std::vector<int32_t> makeRaw(const std::string& name, int bits, int channels, int frames) {
        const int32_t top = 1 << (bits - 1);
        std::vector<int32_t> values = {top - 1, -top, 0, -1};
        for (int i = 4; i < frames * channels; ++i) values.push_back(int32_t(uint32_t(i) * 2654435761u) >> (33 - bits));
        values.resize(frames * channels);
        std::ofstream out(dir / name, std::ios::binary);
        for (int32_t v : values) out.write(reinterpret_cast<const char*>(&v), bits / 8);  // little-endian host
        return values;
    }

    // Opens a file and checks that it holds `values`, within one step.
    void expectSamples(const std::string& name, const std::vector<int32_t>& values, int bits, int channels,
                       int rate) {
        SCOPED_TRACE(name);
        ASSERT_EQ(file.open((dir / name).c_str()), kAudioOpened);
        EXPECT_EQ(file.getSampleRate(), rate);
        EXPECT_EQ(file.getChannels(), channels);
        EXPECT_EQ(file.getBits(), bits);
        ASSERT_EQ(size_t(file.getFrames() * channels), values.size());
        std::vector<float> left(file.getFrames()), right(file.getFrames());
        ASSERT_EQ(file.readFloat(left.data(), right.data()), 1);
        const float step = std::ldexp(1.0f, 1 - bits);
        float worst = 0.0f;
        for (int i = 0; i < file.getFrames(); ++i) {
            worst = std::max(worst, std::fabs(left[i] - values[i * channels] * step));
            worst = std::max(worst, std::fabs(right[i] - values[i * channels + channels - 1] * step));
        }
        EXPECT_LE(worst, step);
    }

    std::vector<float> decode(const std::string& name) {
        EXPECT_EQ(file.open((dir / name).c_str()), kAudioOpened) << name;
        std::vector<float> both(2 * file.getFrames());
        EXPECT_EQ(file.readFloat(both.data(), both.data() + file.getFrames()), 1) << name;
        return both;
    }

    TempDir dir;
    AudioFile file;
};

TEST_F(AudioFilePeerTest, ReadsWavAndAiffThatSoxMakesFromKnownSamples) {
    for (int bits : {16, 24})
        for (int channels : {1, 2}) {
            const auto values = makeRaw("in.raw", bits, channels, 1500);
            const std::string raw = "-t raw -e signed-integer -L -b " + std::to_string(bits) + " -c " +
                                    std::to_string(channels) + " -r ";
            for (int rate : {22050, 44100, 48000, 88200, 96000}) {
                sox(raw + std::to_string(rate) + " " + (dir / "in.raw").string() + " " + (dir / "s.aiff").string());
                expectSamples("s.aiff", values, bits, channels, rate);
            }
            for (int rate : {8000, 32000, 44100, 192000}) {
                sox(raw + std::to_string(rate) + " " + (dir / "in.raw").string() + " -t wavpcm " +
                    (dir / "s.wav").string());
                expectSamples("s.wav", values, bits, channels, rate);
            }
        }
}

TEST_F(AudioFilePeerTest, WavAndAiffOfOneSignalDecodeEqual) {
    for (const char* bits : {"16", "24"}) {
        const std::string synth = std::string(" synth 0.1 sine 440 sine 660");
        sox(std::string("-n -r 48000 -c 2 -b ") + bits + " -t wavpcm " + (dir / "a.wav").string() + synth);
        sox(std::string("-n -r 48000 -c 2 -b ") + bits + " " + (dir / "a.aiff").string() + synth);
        const auto fromWav = decode("a.wav");
        EXPECT_EQ(fromWav.size(), 2u * 4800);
        EXPECT_EQ(fromWav, decode("a.aiff")) << bits << " bit";
    }
}

TEST_F(AudioFilePeerTest, RefusesFormsThatSoxMakesButWeDoNotRead) {
    const struct { const char* options; const char* name; int32_t result; } cases[] = {
        {"-r 44100 -b 24 -c 2 -t wav", "ext.wav", kAudioNotAccepted},  // extensible format
        {"-r 44100 -b 32 -e floating-point -t wavpcm", "float.wav", kAudioNotAccepted},
        {"-r 44100 -b 8 -t wavpcm", "8bit.wav", kAudioNotAccepted},
        {"-r 44100 -b 16 -c 3 -t wavpcm", "three.wav", kAudioNotAccepted},
        {"-r 32000 -b 16", "32k.aiff", kAudioNotAccepted},
        {"-r 44100 -b 16", "c.aifc", kAudioFailed},
    };
    for (const auto& c : cases) {
        sox(std::string("-n ") + c.options + " " + (dir / c.name).string() + " synth 0.01 sine 440");
        EXPECT_EQ(file.open((dir / c.name).c_str()), c.result) << c.name;
    }
}

TEST_F(AudioFilePeerTest, LibsndfileReadsTheFilesWeWrite) {
    std::vector<float> left(3001), right(3001);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = std::sin(0.01f * float(i));
        right[i] = -0.999f + 0.0006f * float(i);
    }
    for (const auto& [name, format] : {std::pair{"w.wav", SF_FORMAT_WAV}, std::pair{"w.aif", SF_FORMAT_AIFF}}) {
        SCOPED_TRACE(name);
        AudioFile writer;
        ASSERT_TRUE(writer.openForWriting((dir / name).c_str(), format == SF_FORMAT_WAV ? 0 : 1));
        ASSERT_EQ(writer.create(left.data(), right.data(), int32_t(left.size())), 1);

        SF_INFO info{};
        SNDFILE* in = sf_open((dir / name).c_str(), SFM_READ, &info);
        ASSERT_NE(in, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.format, format | SF_FORMAT_PCM_16);
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.samplerate, 44100);
        ASSERT_EQ(info.frames, sf_count_t(left.size()));
        std::vector<short> frames(2 * left.size());
        EXPECT_EQ(sf_readf_short(in, frames.data(), info.frames), info.frames);
        sf_close(in);
        for (size_t i = 0; i < left.size(); ++i) {
            ASSERT_EQ(frames[2 * i], short(left[i] * 32767.0f)) << i;
            ASSERT_EQ(frames[2 * i + 1], short(right[i] * 32767.0f)) << i;
        }
    }
}

}  // namespace
