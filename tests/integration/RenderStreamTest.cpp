// The render streams: the blocks go to the file as they are made, gathered
// into buffers of a fixed size, so memory stays flat however long the render; files past the 32-bit sizes of a RIFF
// header are RF64; a render stopped half way leaves nothing behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "ProgramRuns.h"
#include "host/WavWriter.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

uint64_t littleEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + size_t(i));
    return value;
}

// A MIDI file with no note: the plug-in's render at its cheapest.
const std::vector<uint8_t> kNoNotes = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0,
                                       'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};

}  // namespace

// Written in blocks of uneven sizes, as renders cut them: plain WAV up to
// the RIFF limit, RF64 past it (a low limit stands in for 4 GiB here).
// libsndfile and sox both read back every sample, and the sizes in the
// header are the file's own.
TEST(RenderStream, WavAndRF64FilesReadBackWhole) {
    TempDir folder;
    // Past two of the writer's gathered buffers, in blocks that never meet
    // their edges, so that frames go out across each flush.
    constexpr uint64_t kFrames = 40001;
    const struct {
        int channels;
        uint64_t limit;
        bool rf64;
    } cases[] = {
        {2, WavWriter::kLargestRiffSize, false},
        {1, WavWriter::kLargestRiffSize, false},
        {2, 50 + kFrames * 8, false},  // exactly full
        {2, 50 + kFrames * 8 - 1, true},
        {1, 1000, true},
    };
    for (const auto& c : cases) {
        const std::string label = std::to_string(c.channels) + " channels, limit " + std::to_string(c.limit);
        const std::filesystem::path path = folder / "out.wav";
        std::vector<std::vector<float>> channels(size_t(c.channels), std::vector<float>(kFrames));
        for (size_t i = 0; i < kFrames; ++i)
            for (size_t ch = 0; ch < channels.size(); ++ch) channels[ch][i] = (float(i % 1001) - 500.0f) / 512.0f * (ch ? -0.5f : 1.0f);
        WavWriter writer(c.channels, 48000, kFrames, c.limit);
        EXPECT_EQ(writer.isRF64(), c.rf64) << label;
        std::string error;
        ASSERT_TRUE(writer.open(path.string(), error)) << error;
        for (uint64_t done = 0, block = 1; done < kFrames; done += block, block = block * 7 % 333 + 1) {
            block = std::min(block, kFrames - done);
            const float* blocks[2] = {channels[0].data() + done, channels.back().data() + done};
            ASSERT_TRUE(writer.write(blocks, int32_t(block))) << label;
        }
        ASSERT_TRUE(writer.finish(error)) << error;
        EXPECT_EQ(writer.peak(), 500.0f / 512.0f) << label;

        const std::vector<uint8_t> bytes = readAll(path.string());
        const uint64_t dataBytes = kFrames * uint64_t(c.channels) * 4;
        ASSERT_EQ(bytes.size(), (c.rf64 ? 94 : 58) + dataBytes) << label;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), c.rf64 ? "RF64" : "RIFF") << label;
        if (c.rf64) {
            EXPECT_EQ(littleEndian(bytes, 20, 8), bytes.size() - 8) << label;
            EXPECT_EQ(littleEndian(bytes, 28, 8), dataBytes) << label;
            EXPECT_EQ(littleEndian(bytes, 36, 8), kFrames) << label;
        } else {
            EXPECT_EQ(littleEndian(bytes, 4, 4), bytes.size() - 8) << label;
            EXPECT_EQ(littleEndian(bytes, 54, 4), dataBytes) << label;
        }

        std::vector<float> interleaved;
        for (size_t i = 0; i < kFrames; ++i)
            for (const auto& channel : channels) interleaved.push_back(channel[i]);
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << label << ": " << sf_strerror(nullptr);
        EXPECT_EQ(info.format, (c.rf64 ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | SF_FORMAT_FLOAT) << label;
        std::vector<float> read(interleaved.size() + 1);
        EXPECT_EQ(sf_readf_float(file, read.data(), sf_count_t(kFrames) + 1), sf_count_t(kFrames)) << label;
        sf_close(file);
        read.pop_back();
        EXPECT_EQ(read, interleaved) << label;
        // Compared as numbers: sox keeps no negative zero.
        std::string output;
        ASSERT_EQ(run("sox " + path.string() + " -t f32 " + (folder / "raw.f32").string(), output), 0) << label << ": " << output;
        const std::vector<uint8_t> raw = readAll((folder / "raw.f32").string());
        read.assign(raw.size() / 4, 0.0f);
        std::memcpy(read.data(), raw.data(), read.size() * 4);
        EXPECT_EQ(read, interleaved) << label;
    }

    // A file that does not get the frames its header promised never
    // replaces the target; nor does one that gets too many.
    const std::filesystem::path kept = folder / "kept.wav";
    std::ofstream(kept) << "old";
    const float sample = 0.5f;
    const float* one[2] = {&sample, &sample};
    for (int32_t frames : {1, 3}) {
        WavWriter writer(1, 44100, 2);
        std::string error;
        ASSERT_TRUE(writer.open(kept.string(), error)) << error;
        for (int32_t i = 0; i < frames; ++i) writer.write(one, 1);
        EXPECT_FALSE(writer.finish(error)) << frames;
        EXPECT_NE(error.find("cannot write " + kept.string()), std::string::npos) << error;
        EXPECT_EQ(readAll(kept.string()), std::vector<uint8_t>({'o', 'l', 'd'})) << frames;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3) << "a temporary was left";
}

// However the host cuts its blocks (one frame, a tick, exactly the frames the
// writer gathers, a block larger than that, the whole file in one), the data
// are the same bytes, the frames in order, and the peak the same.
TEST(RenderStream, EveryBlockSizeWritesTheSameBytes) {
    TempDir folder;
    constexpr int32_t kFrames = 40001;
    std::vector<float> left(kFrames), right(kFrames);
    for (int32_t i = 0; i < kFrames; ++i) {
        left[size_t(i)] = float(i) / kFrames - 0.5f;
        right[size_t(i)] = float(i % 977) / -2048.0f;  // below the left channel's first sample
    }
    constexpr size_t kHeaderBytes = 58;
    for (const int32_t block : {1, 16, 4096, 16384, 20000, kFrames}) {
        const std::string path = (folder / "blocks.wav").string();
        WavWriter writer(2, 44100, kFrames);
        std::string error;
        ASSERT_TRUE(writer.open(path, error)) << error;
        for (int32_t done = 0; done < kFrames; done += block) {
            const float* blocks[2] = {left.data() + done, right.data() + done};
            ASSERT_TRUE(writer.write(blocks, std::min(block, kFrames - done))) << block;
        }
        ASSERT_TRUE(writer.finish(error)) << error;
        EXPECT_EQ(writer.peak(), std::fabs(left[0])) << block;
        const std::vector<uint8_t> bytes = readAll(path);
        ASSERT_EQ(bytes.size(), kHeaderBytes + size_t(kFrames) * 8) << block;
        std::vector<float> data(size_t(kFrames) * 2);
        std::memcpy(data.data(), bytes.data() + kHeaderBytes, data.size() * sizeof(float));
        int32_t misplaced = 0;
        for (int32_t i = 0; i < kFrames; ++i)
            misplaced += data[2 * size_t(i)] != left[size_t(i)] || data[2 * size_t(i) + 1] != right[size_t(i)];
        EXPECT_EQ(misplaced, 0) << "blocks of " << block;
    }
}

// The peak the render command reports is the largest magnitude written, in
// any channel and any frame of a block (four at a time or the tail); a NaN
// sample is passed over.
TEST(RenderStream, WriterKeepsThePeakOfEverySample) {
    TempDir folder;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::vector<float> left, right;
        float peak;
    } cases[] = {
        {{0.25f, nan, -0.75f, 0.5f, 0.0f, 0.1f}, {-0.5f, 0.1f, 0.2f, nan, 0.6f, 0.2f}, 0.75f},
        {{0.1f, 0.2f, 0.3f, 0.1f, 0.1f, 0.1f, 0.1f, -0.9f, 0.1f}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.9f},  // the tail
        {{nan, nan}, {nan, nan}, 0.0f},
    };
    for (const auto& c : cases) {
        WavWriter writer(2, 44100, c.left.size());
        std::string error;
        ASSERT_TRUE(writer.open((folder / "peak.wav").string(), error)) << error;
        const float* blocks[2] = {c.left.data(), c.right.data()};
        ASSERT_TRUE(writer.write(blocks, int32_t(c.left.size())));
        EXPECT_EQ(writer.peak(), c.peak);
        ASSERT_TRUE(writer.finish(error)) << error;
    }
}

// An hour at 192 kHz is 5.5 GB of audio.  Kept in memory, the six seconds
// the longer render here adds would be 9 MB more (18 with a copy for the
// file); streamed, the peak stays where it is.
TEST(RenderStream, PeakMemoryDoesNotGrowWithTheLength) {
    TempDir folder;
    const std::string dir = folder.str();
    ASSERT_TRUE(writeFile(dir + "/none.mid", kNoNotes));
    const std::string render = "env ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram +
                               " render --rate 192000 --block 4096 --midi " + dir + "/none.mid -o " + dir + "/out.wav --seconds ";
    long peak[2] = {};
    const double seconds[2] = {0.5, 6.5};
    for (int i = 0; i < 2; ++i) {
        std::string output;
        ASSERT_EQ(runMeasured(render + std::to_string(seconds[i]), output, peak[i]), 0) << output;
        ASSERT_GT(peak[i], 0) << output;
        SF_INFO info{};
        SNDFILE* file = sf_open((dir + "/out.wav").c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        sf_close(file);
        EXPECT_EQ(info.frames, sf_count_t(seconds[i] * 192000));
    }
    RecordProperty("peak_kb_short", std::to_string(peak[0]));
    RecordProperty("peak_kb_long", std::to_string(peak[1]));
    EXPECT_LT(peak[1] - peak[0], 4 * 1024) << peak[0] << " kB, then " << peak[1] << " kB";
    EXPECT_LT(peak[1], 100 * 1024) << peak[1] << " kB";
}

// Stopped half way (Ctrl-C), the render drops its unfinished file and ends
// by the signal; on a terminal it shows its progress to the end.
TEST(RenderStream, AStoppedRenderLeavesNothingAndProgressShows) {
    TempDir folder, settings;
    const std::filesystem::path out = folder / "long.wav";
    const pid_t child = forkRunning([&] {
        setenv("ZORVANE_SETTINGS_DIR", settings.str().c_str(), 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execl(kHostProgram.c_str(), "zorvane-host", "render", "--seconds", "3600", "-o", out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    });
    // The temporary shows once the render is under way.
    for (int wait = 0; wait < 1000 && std::filesystem::is_empty(folder.path()); ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(std::filesystem::is_empty(folder.path())) << "the render did not start";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "a file was left in the folder";

    std::string output;
    const std::string render = "ZORVANE_SETTINGS_DIR=" + settings.str() + " " + kHostProgram + " render --seconds 0.5 -o " + out.string();
    ASSERT_EQ(run("script -qec '" + render + "' /dev/null", output), 0) << output;
    EXPECT_NE(output.find("rendering 100%"), std::string::npos) << output;
    EXPECT_TRUE(std::filesystem::exists(out));
}
