#include "engine/AudioFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
    return s;
}
std::string be(uint32_t v, int bytes) {
    std::string s;
    for (int i = bytes - 1; i >= 0; --i) s += char(v >> (8 * i));
    return s;
}
std::string chunk(const std::string& id, const std::string& payload, bool big = false) {
    const auto size = uint32_t(payload.size());
    return id + (big ? be(size, 4) : le(size, 4)) + payload + (size % 2 ? std::string(1, '\0') : "");
}
std::string wav(const std::string& body) { return "RIFF" + le(uint32_t(body.size() + 4), 4) + "WAVE" + body; }
// A PCM format chunk; `align` 0 means the one that fits the channels.
std::string fmt(uint32_t channels, uint32_t bits, uint32_t align = 0, const std::string& extra = "") {
    align = align ? align : channels * bits / 8;
    return chunk("fmt ", le(1, 2) + le(channels, 2) + le(44100, 4) + le(44100 * align, 4) + le(align, 2) +
                             le(bits, 2) + extra);
}
std::string aiff(const std::string& body) {
    return "FORM" + be(uint32_t(body.size() + 4), 4) + "AIFF" + body;
}
const std::string k44100("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10);
std::string comm(uint32_t channels, uint32_t frames, uint32_t bits, const std::string& rate = k44100) {
    return chunk("COMM", be(channels, 2) + be(frames, 4) + be(bits, 2) + rate, true);
}
std::string ssnd(const std::string& data, uint32_t offset = 0) {
    return chunk("SSND", be(offset, 4) + be(0, 4) + std::string(offset, 'x') + data, true);
}

class AudioFileTest : public testing::Test {
protected:
    int32_t openBytes(const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
        return file.open(path.c_str());
    }
    std::string fileBytes(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<float> readLeftRight(std::vector<float>& right) {
        std::vector<float> left(file.getFrames());
        right.assign(file.getFrames(), 9.0f);
        EXPECT_EQ(file.readFloat(left.data(), right.data()), 1);
        return left;
    }

    TempDir dir;
    fs::path path = dir / "sound";
    AudioFile file;
};

TEST_F(AudioFileTest, RefusesUnusablePathsAndHeadersWithTheirResultCodes) {
    EXPECT_EQ(file.open(nullptr), kAudioCannotOpen);
    EXPECT_EQ(file.open("x"), kAudioCannotOpen);
    EXPECT_EQ(file.open((dir / "missing.wav").c_str()), kAudioCannotOpen);
    EXPECT_EQ(file.open(dir.str().c_str()), kAudioCannotOpen);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(file.open((dir / "fifo").c_str()), kAudioCannotOpen);

    const std::string data = chunk("data", le(0x1234, 2));
    std::string sizeBeyondFile = wav(fmt(1, 16) + data);
    sizeBeyondFile[4] += 2;
    const struct { std::string bytes; int32_t result; } cases[] = {
        {"", kAudioNotAccepted},
        {"RIFF" + le(4, 4) + "AVI ", kAudioNotAccepted},
        {wav(fmt(1, 16, 4) + data), kAudioNotAccepted},     // alignment claims stereo
        {wav(fmt(1, 16)), kAudioFailed},                    // no data chunk
        {wav(data), kAudioFailed},                             // no format chunk
        {wav(chunk("fmt ", le(1, 2) + le(1, 2) + le(44100, 4)) + data), kAudioFailed},
        {sizeBeyondFile, kAudioFailed},
        {wav(fmt(1, 16) + "data" + le(100, 4) + "ab"), kAudioFailed},
        {aiff(comm(3, 1, 16) + ssnd("abcdef")), kAudioFailed},
        {aiff(comm(0x101, 1, 16) + ssnd(std::string(514, 0))), kAudioFailed},  // the whole channel word counts
        {aiff(comm(1, 1, 8) + ssnd("ab")), kAudioNotAccepted},
        {aiff(comm(1, 1, 16)), kAudioFailed},                   // no sound chunk
        {aiff(comm(1, 2, 16) + ssnd("ab")), kAudioFailed},      // more frames than data
        {aiff(comm(1, 1, 16) + chunk("SSND", be(9, 4) + be(0, 4) + "ab", true)), kAudioFailed},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(openBytes(cases[i].bytes), cases[i].result) << "case " << i;
        EXPECT_EQ(file.getFormat(), AudioFile::kNoFormat);
        EXPECT_EQ(file.getMode(), AudioFile::kClosed);
    }
    // Every cut of a good header is refused; none is read past its end.
    for (const std::string& good : {wav(fmt(2, 16) + data), aiff(comm(1, 1, 16) + ssnd("ab"))})
        for (size_t n = 0; n < good.size(); ++n) EXPECT_NE(openBytes(good.substr(0, n)), kAudioOpened) << n;
}

TEST_F(AudioFileTest, FindsChunksByWalkingTheirHeadersNotBySearchingForIds) {
    const std::string decoy = "data" + le(2, 4) + le(0x7FFF, 2);
    ASSERT_EQ(openBytes(wav(fmt(1, 16, 0, le(0, 2)) + chunk("LIST", decoy) + chunk("odd ", "d") +
                            chunk("data", le(100, 2) + le(uint16_t(-100), 2)))),
              kAudioOpened);
    std::vector<float> right;
    EXPECT_EQ(readLeftRight(right), (std::vector<float>{100 / 32768.0f, -100 / 32768.0f}));

    // Comment before the common chunk, sound data before both, an offset to skip.
    const std::string sneaky = chunk("COMT", "SSND" + be(8, 4) + be(0, 4) + be(0, 4), true);
    ASSERT_EQ(openBytes(aiff(ssnd(be(0x7FFF, 2) + be(0x8000, 2), 5) + sneaky + comm(1, 2, 16))), kAudioOpened);
    EXPECT_EQ(readLeftRight(right), (std::vector<float>{32767 / 32768.0f, -1.0f}));
    EXPECT_EQ(right, (std::vector<float>{32767 / 32768.0f, -1.0f}));
    std::vector<int16_t> left16(2), right16(2);
    EXPECT_EQ(file.readInt16(left16.data(), right16.data()), 1);
    EXPECT_EQ(left16, (std::vector<int16_t>{32766, -32767}));
    EXPECT_EQ(right16, left16);
}

TEST_F(AudioFileTest, ReadsInPiecesReportingProgressAndFailsOnShrunkFiles) {
    std::string data;
    for (uint32_t i = 0; i < 2000; ++i) data += le(i * 4099, 3);
    ASSERT_EQ(openBytes(wav(fmt(2, 24) + chunk("data", data))), kAudioOpened);
    std::vector<float> fractions;
    AudioFile watched([](float f, void* c) { static_cast<std::vector<float>*>(c)->push_back(f); }, &fractions);
    ASSERT_EQ(watched.open(path.c_str()), kAudioOpened);
    std::vector<float> left(1000), right(1000);
    ASSERT_EQ(watched.readFloat(left.data(), right.data()), 1);
    EXPECT_EQ(right[999], float(int32_t(1999 * 4099 << 8) >> 8) / 8388608.0f);
    ASSERT_EQ(fractions.size(), 7u);  // 6000 bytes in pieces of 972
    EXPECT_EQ(fractions.front(), 0.0f);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()) && fractions.back() < 1.0f);

    ASSERT_EQ(file.open(path.c_str()), kAudioOpened);
    fs::resize_file(path, 100);
    EXPECT_EQ(file.readFloat(left.data(), right.data()), 0);
    file.close();
    EXPECT_EQ(file.readFloat(left.data(), right.data()), 0);
}

TEST_F(AudioFileTest, WritesSixteenBitStereoWavAndAiff) {
    const float left[] = {0.0f, 0.5f, 2.0f, NAN};
    const float right[] = {-1.0f, -0.5f, -2.0f, 1e-6f};
    const uint16_t values[] = {0, uint16_t(-32767), 16383, uint16_t(-16383), 32767, uint16_t(-32768), 0, 0};
    std::string wavData, aiffData;
    for (uint16_t v : values) wavData += le(v, 2), aiffData += be(v, 2);

    ASSERT_TRUE(file.openForWriting((dir / "out.wav").c_str(), AudioFile::kWav));
    ASSERT_EQ(file.create(left, right, 4), 1);
    EXPECT_EQ(fileBytes(dir / "out.wav"), wav(fmt(2, 16) + chunk("data", wavData)));

    ASSERT_TRUE(file.openForWriting((dir / "out.aif").c_str(), AudioFile::kAiff));
    ASSERT_EQ(file.create(left, right, 4), 1);
    const std::string rate("\x40\x0E\xAC\x44\0\0\0\0\x09\x09", 10);
    EXPECT_EQ(fileBytes(dir / "out.aif"), aiff(comm(2, 4, 16, rate) + ssnd(aiffData)));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
}

// Samples keep their own rate when written, and 16-bit values go out as
// they are, so that a written sample reads back unchanged.
TEST_F(AudioFileTest, WritesTheGivenRateAndExactSixteenBitValues) {
    const int16_t left[] = {32767, -32768, 1, -1, 0};
    const int16_t right[] = {-5, 5, 12345, -12345, 7};
    for (const auto& [name, fileFormat, rate] : {std::tuple{"r.wav", AudioFile::kWav, 48000},
                                                 std::tuple{"r.aif", AudioFile::kAiff, 96000},
                                                 std::tuple{"odd.wav", AudioFile::kWav, 31234}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(file.openForWriting((dir / name).c_str(), fileFormat, rate));
        ASSERT_EQ(file.createInt16(left, right, 5), 1);
        ASSERT_EQ(file.open((dir / name).c_str()), kAudioOpened);
        EXPECT_EQ(file.getSampleRate(), rate);
        std::vector<float> l(5), r(5);
        ASSERT_EQ(file.readFloat(l.data(), r.data()), 1);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(l[i] * 32768.0f, float(left[i]));
            EXPECT_EQ(r[i] * 32768.0f, float(right[i]));
        }
    }
    EXPECT_EQ(fileBytes(dir / "r.wav").substr(24, 8), le(48000, 4) + le(192000, 4));
    EXPECT_FALSE(file.openForWriting((dir / "zero.wav").c_str(), AudioFile::kWav, 0));
}

TEST_F(AudioFileTest, FailedWritesLeaveTheTargetAsItWas) {
    const fs::path target = dir / "keep.wav";
    std::ofstream(target) << "old";
    const std::vector<float> samples(4096, 0.25f);
    EXPECT_EQ(file.create(samples.data(), samples.data(), 1), 3);
    EXPECT_FALSE(file.openForWriting(target.c_str(), 7));
    EXPECT_FALSE(file.openForWriting((dir / "no" / "such.wav").c_str(), AudioFile::kWav));

    ASSERT_TRUE(file.openForWriting(target.c_str(), AudioFile::kWav));
    EXPECT_EQ(file.create(samples.data(), samples.data(), 0), 0);
    ASSERT_TRUE(file.openForWriting(target.c_str(), AudioFile::kAiff));
    EXPECT_EQ(file.create(samples.data(), nullptr, 4), 0);
    ASSERT_TRUE(file.openForWriting(target.c_str(), AudioFile::kWav));
    file.close();

    // A disk that fills up half way: the write fails, and says so.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 5000;
    setrlimit(RLIMIT_FSIZE, &small);
    ASSERT_TRUE(file.openForWriting(target.c_str(), AudioFile::kWav));
    const int32_t result = file.create(samples.data(), samples.data(), 4096);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, 0);

    EXPECT_EQ(fileBytes(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);  // no temporary file left
}

}  // namespace
