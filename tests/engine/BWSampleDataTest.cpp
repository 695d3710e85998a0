#include "engine/BWSampleData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>
#include <tuple>
#include <vector>

#include "persistence/BWChunk.h"
#include "support/AllocationFailure.h"
#include "support/FloatWord.h"
#include "support/TempDir.h"

namespace {

using Words = std::vector<uint32_t>;

Words wordsOf(BWChunkableClass& object) {
    BWChunk chunk;
    object.writeChunk(&chunk);
    chunk.allocateMeasured();
    chunk.setPosition(0);
    object.writeChunk(&chunk);
    EXPECT_FALSE(chunk.hasFailed());
    const auto* words = static_cast<const uint32_t*>(chunk.getWords());
    return Words(words, words + chunk.getCapacityWords());
}

// Reads the words and checks how many of them the object consumed.
int32_t readWords(BWChunkableClass& object, Words words, bool skipOnly = false, uint32_t* consumed = nullptr) {
    BWChunk chunk(words.data(), uint32_t(words.size() * 4));
    const int32_t result = object.readChunk(&chunk, skipOnly);
    if (consumed) *consumed = chunk.getPosition();
    return result;
}

std::vector<int16_t> channel(const int16_t* values, int32_t count) {
    return values ? std::vector<int16_t>(values, values + count) : std::vector<int16_t>{};
}

uint32_t pack(int16_t low, int16_t high) {
    return uint16_t(low) | uint32_t(uint16_t(high)) << 16;
}

const std::vector<int16_t> kLeft = {100, -200, 300, -32768, 32767};
const std::vector<int16_t> kRight = {-1, 2, -3, 4, -5};

TEST(BWSampleData, EmbeddedChunkHasItsWordsAndRoundTripsExactly) {
    BWSampleData sample;
    ASSERT_TRUE(sample.setData(kLeft.data(), kRight.data(), 5, 48000.0f));
    ASSERT_TRUE(sample.setLoop(1, 4, true));
    sample.setSampleName("Pad C3");
    sample.setEmbedData(true);
    const Words words = wordsOf(sample);
    const Words expected = {BWSampleData::kMarker, 1, 5, 1, 1, 4, 1, floatWord(48000.0f), 2,
                            pack(100, -200), pack(300, -32768), pack(32767, 0),
                            pack(-1, 2), pack(-3, 4), pack(-5, 0),
                            6, 0x20646150, 0x00003343};
    EXPECT_EQ(words, expected);

    BWSampleData copy;
    uint32_t consumed = 0;
    ASSERT_EQ(readWords(copy, words, false, &consumed), kChunkReadOk);
    EXPECT_EQ(consumed, words.size());
    EXPECT_EQ(channel(copy.getLeft(), 5), kLeft);
    EXPECT_EQ(channel(copy.getRight(), 5), kRight);
    EXPECT_EQ(copy.getSampleRate(), 48000.0f);
    EXPECT_EQ(copy.getSampleName(), "Pad C3");
    EXPECT_TRUE(copy.isLoaded() && copy.isLoopOn());
    // Past the end the loop goes on from its start (1..4, wrapping).
    EXPECT_EQ(channel(copy.getLeft() + 5, 5), (std::vector<int16_t>{-200, 300, -32768, 32767, -200}));
    // Read with its values embedded, it writes them again without being told.
    EXPECT_EQ(wordsOf(copy), words);
}

TEST(BWSampleData, OlderAndShorterChunkForms) {
    // No marker: frames come first and there is no rate word.
    BWSampleData sample;
    uint32_t consumed = 0;
    ASSERT_EQ(readWords(sample, {3, 1, 0, 0, 0, 1, pack(7, -7), pack(9, 0), 1, 'x'}, false, &consumed),
              kChunkReadOk);
    EXPECT_EQ(consumed, 10u);
    EXPECT_EQ(channel(sample.getLeft(), 3), (std::vector<int16_t>{7, -7, 9}));
    EXPECT_EQ(sample.getRight(), nullptr);
    EXPECT_EQ(sample.getSampleRate(), 44100.0f);
    // Not looping: the tail repeats the start of the sample.
    EXPECT_EQ(channel(sample.getLeft() + 3, 5), (std::vector<int16_t>{7, -7, 9, 7, -7}));

    // A mono sample writes one channel.
    EXPECT_EQ(wordsOf(sample)[8], 1u);

    // No frames: seven words and an empty, loaded sample.
    BWSampleData empty;
    ASSERT_EQ(readWords(empty, {BWSampleData::kMarker, 1, 0, 1, 5, 9, 1, 0xDEAD}, false, &consumed), kChunkReadOk);
    EXPECT_EQ(consumed, 7u);
    EXPECT_TRUE(empty.isLoaded());
    EXPECT_EQ(empty.getFrames(), 0);
    EXPECT_EQ(empty.getLoopEnd(), 9u);

    // skipOnly consumes what a read would and changes only the loaded mark.
    BWSampleData skipped;
    ASSERT_TRUE(skipped.setData(kLeft.data(), nullptr, 5, 22050.0f));
    BWSampleData source;
    ASSERT_TRUE(source.setData(kRight.data(), kLeft.data(), 5, 96000.0f));
    source.setEmbedData(true);
    const Words words = wordsOf(source);
    ASSERT_EQ(readWords(skipped, words, true, &consumed), kChunkReadOk);
    EXPECT_EQ(consumed, words.size());
    EXPECT_EQ(channel(skipped.getLeft(), 5), kLeft);
    EXPECT_EQ(skipped.getSampleRate(), 22050.0f);
}

TEST(BWSampleData, MalformedChunksAreRefusedAndKeepThePreviousSample) {
    const auto embedded = [](uint32_t frames, uint32_t channels, uint32_t loopStart, uint32_t loopOn, float rate) {
        return Words{BWSampleData::kMarker, 1, frames, 1, loopStart, frames, loopOn, floatWord(rate), channels};
    };
    Words truncated = embedded(4, 2, 0, 0, 44100.0f);
    truncated.insert(truncated.end(), {1, 2, 3});  // one value word and the name missing
    Words noName = embedded(2, 1, 0, 0, 44100.0f);
    noName.push_back(5);
    Words longName = noName;
    longName.push_back(1000);  // a name longer than the words left
    const std::vector<Words> cases = {
        embedded(0x7FFFFFF0, 1, 0, 0, 44100.0f),
        embedded(4, 3, 0, 0, 44100.0f),
        embedded(4, 0, 0, 0, 44100.0f),
        embedded(uint32_t(-5), 1, 0, 0, 44100.0f),
        embedded(4, 1, 4, 1, 44100.0f),   // loop start at the frame count
        embedded(4, 1, 0, 0, NAN),
        embedded(4, 1, 0, 0, -1.0f),
        embedded(4, 1, 0, 0, 1e30f),
        truncated,
        noName,
        longName,
        {BWSampleData::kMarker, 1, 4},
        {},
    };
    BWSampleData sample;
    ASSERT_TRUE(sample.setData(kLeft.data(), kRight.data(), 5, 32000.0f));
    sample.setSampleName("keep");
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(readWords(sample, cases[i]), kChunkReadAbandon) << i;
        EXPECT_EQ(readWords(sample, cases[i], true), kChunkReadAbandon) << i;
    }
    EXPECT_EQ(channel(sample.getLeft(), 5), kLeft);
    EXPECT_EQ(channel(sample.getRight(), 5), kRight);
    EXPECT_EQ(sample.getSampleRate(), 32000.0f);
    EXPECT_EQ(sample.getSampleName(), "keep");
    EXPECT_FALSE(sample.setData(kRight.data(), nullptr, 5, 0.0f));
}

class BWSampleDataFiles : public testing::Test {
protected:
    void sox(const std::string& arguments) {
        const std::string command = "sox -D -R " + arguments + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    std::string writeWave(const std::string& name, const std::vector<float>& l, const std::vector<float>& r,
                          int32_t format = AudioFile::kWav, int32_t rate = 44100) {
        AudioFile writer;
        const std::string path = (dir / name).string();
        EXPECT_TRUE(writer.openForWriting(path.c_str(), format, rate));
        EXPECT_EQ(writer.create(l.data(), r.data(), int32_t(l.size())), 1);
        return path;
    }
    TempDir dir;
};

TEST_F(BWSampleDataFiles, ImportsWavAndAiffAsSixteenBitValues) {
    const std::vector<float> l = {0.5f, -0.25f, 1.0f, -1.0f}, r = {-0.5f, 0.75f, 0.1f, 0.0f};
    for (auto [name, format, rate] : {std::tuple{"s.wav", AudioFile::kWav, 48000},
                                      std::tuple{"s.aif", AudioFile::kAiff, 96000}}) {
        SCOPED_TRACE(name);
        BWSampleData sample;
        ASSERT_TRUE(sample.importAudioFile(writeWave(name, l, r, format, rate).c_str()));
        EXPECT_EQ(channel(sample.getLeft(), 5), (std::vector<int16_t>{16383, -8191, 32767, -32767, 16383}));
        EXPECT_EQ(channel(sample.getRight(), 4), (std::vector<int16_t>{-16383, 24575, 3276, 0}));
        EXPECT_EQ(sample.getSampleRate(), float(rate));
        EXPECT_EQ(sample.getLoopEnd(), 4u);
        EXPECT_EQ(sample.getSampleName(), "s");
        EXPECT_EQ(sample.getFirstRisingZeroCrossing(), 2);
    }

    // sox: a mono 16-bit file is taken value for value, a 24-bit one rounded.
    std::ofstream(dir / "raw.s16", std::ios::binary).write("\x01\x00\xff\xff\x00\x80\xff\x7f", 8);
    sox("-t raw -r 22050 -b 16 -e signed -c 1 " + (dir / "raw.s16").string() + " " + (dir / "m.wav").string());
    sox((dir / "m.wav").string() + " -b 24 " + (dir / "m24.aiff").string());
    for (const char* name : {"m.wav", "m24.aiff"}) {
        BWSampleData sample;
        ASSERT_TRUE(sample.importAudioFile((dir / name).c_str())) << name;
        EXPECT_EQ(channel(sample.getLeft(), 4), (std::vector<int16_t>{1, -1, -32768, 32767})) << name;
        EXPECT_FALSE(sample.isStereo()) << name;
    }

    // A failed import keeps what was there.
    BWSampleData sample;
    ASSERT_TRUE(sample.setData(kLeft.data(), nullptr, 5, 44100.0f));
    EXPECT_FALSE(sample.importAudioFile((dir / "missing.wav").c_str()));
    EXPECT_FALSE(sample.importAudioFile((dir / "raw.s16").c_str()));
    EXPECT_EQ(channel(sample.getLeft(), 5), kLeft);
}

TEST_F(BWSampleDataFiles, ExportWritesBothChannelsAtTheSampleRateAndReimportsUnchanged) {
    BWSampleData sample;
    ASSERT_TRUE(sample.setData(kLeft.data(), kRight.data(), 5, 48000.0f));
    sample.setSampleName("..\\..\\Bass");  // a stored name must not lead out of the folder
    ASSERT_TRUE(sample.exportWave(dir.str().c_str()));
    BWSampleData back;
    ASSERT_TRUE(back.importAudioFile((dir / "Bass.wav").c_str()));
    EXPECT_EQ(channel(back.getLeft(), 5), kLeft);
    EXPECT_EQ(channel(back.getRight(), 5), kRight);
    EXPECT_EQ(back.getSampleRate(), 48000.0f);

    sample.setSampleName("x");
    EXPECT_FALSE(sample.exportWave((dir / "no such folder").c_str()));
    BWSampleData empty;
    EXPECT_FALSE(empty.exportWave(dir.str().c_str()));
}

TEST_F(BWSampleDataFiles, ReferenceChunksImportTheirFile) {
    const std::string path = writeWave("ref.wav", {0.5f, -0.5f, 0.25f}, {0.5f, -0.5f, 0.25f});
    BWSampleData original;
    ASSERT_TRUE(original.importAudioFile(path.c_str()));
    const Words words = wordsOf(original);

    // A stored loop start past the file's frames would send voices out of it.
    BWSampleData sample;
    Words looping = words;
    looping[4] = 50;
    looping[6] = 1;
    looping[2] = 60;
    ASSERT_EQ(readWords(sample, looping), kChunkReadOk);
    EXPECT_EQ(sample.getFrames(), 3);
    EXPECT_EQ(sample.getLoopStart(), 0u);
    EXPECT_EQ(sample.getLoopEnd(), 3u);
    EXPECT_EQ(sample.getFileName(), path);

    // Stored Windows separators still find the file.
    std::string windowsPath = path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    original.setFileName(windowsPath);
    ASSERT_EQ(readWords(sample, wordsOf(original)), kChunkReadOk);
    EXPECT_EQ(sample.getFrames(), 3);

    // A missing file empties the sample but keeps the reference; "empty"
    // names no file at all.
    original.setFileName((dir / "gone.wav").string());
    Words missing = wordsOf(original);
    BWChunk chunk(missing.data(), uint32_t(missing.size() * 4));
    chunk.setRecordingFiles(true);
    EXPECT_EQ(sample.readChunk(&chunk, false), kChunkReadFailed);
    EXPECT_EQ(sample.getFrames(), 0);
    EXPECT_EQ(sample.getLeft(), nullptr);
    EXPECT_EQ(sample.getFileName(), (dir / "gone.wav").string());
    EXPECT_EQ(chunk.missingFiles(), std::vector<std::string>{(dir / "gone.wav").string()});
    original.setFileName("empty");
    EXPECT_EQ(readWords(sample, wordsOf(original)), kChunkReadOk);
    EXPECT_EQ(sample.getFileName(), "empty");
}

// Values that memory cannot hold stop the load and leave the sample as it
// was, whether the chunk embeds them or names their file.
TEST_F(BWSampleDataFiles, ValuesMemoryCannotHoldStopTheLoadAndChangeNothing) {
    const std::vector<float> wave(600000, 0.25f);  // 1.2 MB a channel
    BWSampleData big;
    ASSERT_TRUE(big.importAudioFile(writeWave("big.wav", wave, wave).c_str()));
    Words reference = wordsOf(big);
    big.setEmbedData(true);
    Words embedded = wordsOf(big);
    for (Words* words : {&reference, &embedded}) {
        BWSampleData sample;
        ASSERT_TRUE(sample.setData(kLeft.data(), kRight.data(), 5, 48000.0f));
        sample.setEmbedData(true);
        const Words before = wordsOf(sample);
        BWChunk chunk(words->data(), uint32_t(words->size() * 4));
        {
            AllocationFailure failure(1u << 20);
            EXPECT_EQ(sample.readChunk(&chunk, false), kChunkReadAbandon);
            EXPECT_GT(failure.refused(), 0u);
        }
        EXPECT_EQ(wordsOf(sample), before);
    }
}

// A voice reading the values while another thread keeps replacing them must
// always see one whole sample, never freed or half-replaced memory.
TEST(BWSampleDataHandshake, VoicesNeverSeeValuesBeingReplaced) {
    BWSampleData sample;
    std::vector<int16_t> a(4096, 11), b(1024, -22);
    ASSERT_TRUE(sample.setData(a.data(), nullptr, 4096, 44100.0f));
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::thread voice([&] {
        while (!stop.load()) {
            if (!sample.beginRead()) continue;
            const int32_t frames = sample.getFrames();
            const int16_t* values = sample.getLeft();
            const int16_t first = values[0];
            for (int32_t i = 0; i <= frames; ++i)
                if (values[i] != first) std::abort();
            sample.endRead();
            ++reads;
        }
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(i % 2 ? sample.setData(a.data(), nullptr, 4096, 44100.0f)
                          : sample.setData(b.data(), nullptr, 1024, 44100.0f));
    }
    while (reads.load() < 100) std::this_thread::yield();
    stop = true;
    voice.join();
}

// A voice holding its sample skips its gate's look while no writer of any
// sample is counted: every writer is counted from before it waits until it
// is done, whether it gets in or gives up.
TEST(BWSampleDataHandshake, EveryWriterIsCountedWhileItWaitsForTheVoices) {
    BWSampleData sample;
    ASSERT_TRUE(sample.setData(kLeft.data(), nullptr, 5, 44100.0f));
    EXPECT_FALSE(BWSampleData::isAnyWriterWaiting());
    const std::function<bool()> writers[] = {[&] { return sample.setData(kRight.data(), nullptr, 5, 44100.0f); },
                                             [&] { return sample.setLoop(1, 4, true); },
                                             [&] { return sample.clear(); }};
    for (const auto& write : writers) {
        ASSERT_TRUE(sample.beginRead());
        std::atomic<bool> done{false};
        std::thread writer([&] {
            EXPECT_TRUE(write());
            done = true;
        });
        while (!sample.isLoading()) std::this_thread::yield();
        EXPECT_TRUE(BWSampleData::isAnyWriterWaiting());
        sample.endRead();  // the voice lets go at its next tick
        writer.join();
        EXPECT_TRUE(done.load());
        EXPECT_FALSE(BWSampleData::isAnyWriterWaiting());
    }
    ASSERT_TRUE(sample.beginRead());  // a writer that gives up is counted no more
    EXPECT_FALSE(sample.setData(kRight.data(), nullptr, 5, 44100.0f));
    EXPECT_FALSE(BWSampleData::isAnyWriterWaiting());
    sample.endRead();
}

TEST(BWSampleDataHandshake, AWriterGivesUpOnAVoiceThatDoesNotLetGo) {
    BWSampleData sample;
    ASSERT_TRUE(sample.setData(kLeft.data(), nullptr, 5, 44100.0f));
    sample.setEmbedData(true);
    const Words embedded = wordsOf(sample);
    BWSampleData reference;  // names a file that is not there
    ASSERT_TRUE(reference.setData(kRight.data(), nullptr, 5, 44100.0f));
    reference.setFileName("/no/such/folder/gone.wav");
    ASSERT_TRUE(sample.beginRead());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(sample.setData(kRight.data(), nullptr, 5, 44100.0f));
    EXPECT_FALSE(sample.clear());
    EXPECT_EQ(readWords(sample, wordsOf(reference)), kChunkReadFailed);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * BWSampleData::kVoiceWaitMilliseconds));
    EXPECT_EQ(channel(sample.getLeft(), 5), kLeft);
    EXPECT_FALSE(sample.isLoading());
    sample.endRead();
    // The sample it kept is saved as it was, values and all.
    EXPECT_EQ(wordsOf(sample), embedded);

    // A voice bound to the sample marks it as used until it lets go.
    sample.attachVoice();
    EXPECT_TRUE(sample.isUsedByVoices());
    sample.detachVoice();
    EXPECT_FALSE(sample.isUsedByVoices());
    EXPECT_TRUE(sample.clear());
    EXPECT_EQ(sample.getLeft(), nullptr);
    EXPECT_EQ(sample.getSampleName(), "empty");
}

}  // namespace
