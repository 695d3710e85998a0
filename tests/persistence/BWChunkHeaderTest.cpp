#include <gtest/gtest.h>
#include <zlib.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"
#include "persistence/BWStreamChunk.h"
#include "persistence/WriteObjectChunk.h"
#include "support/ChunkWords.h"
#include "support/FloatWord.h"
#include "support/MessageCapture.h"
#include "support/TempDir.h"

namespace {

const std::string kNoValidFormat = "\t This is no valid Zorvane format!";
const std::string kNotOurFile = "This is not a Zorvane file";

std::vector<uint32_t> header(uint32_t length, uint32_t format) {
    return {length, 9, floatWord(120.0f), floatWord(44100.0f), format};
}

void writeFile(const std::filesystem::path& path, const void* data, size_t bytes) {
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), std::streamsize(bytes));
}

// A pattern-model stand-in: a count and that many values.
class ValueObject : public BWChunkableClass {
public:
    std::vector<int32_t> values;

    int32_t readChunk(BWChunk* chunk, bool skipOnly) override {
        const int32_t count = chunk->readInt();
        std::vector<int32_t> read;
        for (int32_t i = 0; i < count && !chunk->hasFailed(); ++i) read.push_back(chunk->readInt());
        if (chunk->hasFailed()) return kChunkReadFailed;
        if (!skipOnly) values = read;
        return kChunkReadOk;
    }
    void writeChunk(BWChunk* chunk) override {
        chunk->writeInt(int32_t(values.size()));
        for (int32_t value : values) chunk->writeInt(value);
    }
};

// The plain body, and the same body as a compressed chunk with `info` words
// between the header and the size word.
struct CompressedCase {
    std::vector<uint32_t> body;
    std::vector<uint32_t> words;
};

CompressedCase compressedChunk(uint32_t format, const std::vector<uint32_t>& info) {
    CompressedCase c;
    for (uint32_t i = 0; i < 300; ++i) c.body.push_back(i % 7 == 0 ? 290908 : i);
    uLongf packedSize = compressBound(uLong(c.body.size() * 4));
    std::vector<unsigned char> packed(packedSize);
    EXPECT_EQ(compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(c.body.data()),
                       uLong(c.body.size() * 4)),
              Z_OK);
    packed.resize((packedSize + 3) / 4 * 4);  // the last word padded with zeros
    c.words = header(0, format);
    c.words.insert(c.words.end(), info.begin(), info.end());
    c.words.push_back(uint32_t(c.body.size() * 4));
    const size_t at = c.words.size();
    c.words.resize(at + packed.size() / 4);
    std::memcpy(&c.words[at], packed.data(), packed.size());
    c.words[0] = uint32_t(c.words.size());
    return c;
}

}  // namespace

TEST(BWChunkHeader, ObjectChunkCarriesTheHeaderAndReadsBack) {
    ValueObject object;
    object.values = {3, -1, 290908};
    EXPECT_EQ(measureObjectWords(&object), 4u);

    BWChunk chunk;
    chunk.setTempo(1.0f);
    ASSERT_TRUE(writeObjectChunk(&object, &chunk));
    std::vector<uint32_t> expected = header(9, BWChunk::kFormatPlain);
    expected[2] = floatWord(1.0f);
    expected.insert(expected.end(), {3, 3, 0xFFFFFFFF, 290908});
    EXPECT_EQ(wordsOf(chunk), expected);

    ValueObject copy;
    ASSERT_TRUE(chunk.parseHeader(false));
    EXPECT_EQ(chunk.getPosition(), 5u);
    EXPECT_EQ(chunk.getTempo(), 1.0f);
    EXPECT_EQ(copy.readChunk(&chunk, false), kChunkReadOk);
    EXPECT_EQ(copy.values, object.values);
    EXPECT_FALSE(writeObjectChunk(nullptr, &chunk));
}

TEST(BWChunkHeader, OnlyTheFourFormatWordsAreAccepted) {
    MessageCapture capture;
    for (uint32_t format : {26101977u, 26101978u, 26453980u, 26453981u}) {
        std::vector<uint32_t> words = header(5, format);
        BWChunk chunk(words.data(), uint32_t(words.size() * 4));
        EXPECT_TRUE(chunk.parseHeader(false)) << format;
        EXPECT_EQ(chunk.getFormatWord(), format);
    }
    EXPECT_TRUE(capture.texts().empty());

    std::vector<uint32_t> fresh = header(5, BWChunk::kFormatUnset);
    BWChunk chunk(fresh.data(), uint32_t(fresh.size() * 4));
    EXPECT_FALSE(chunk.parseHeader(false));
    EXPECT_EQ(chunk.getPosition(), 5u);
    EXPECT_FALSE(chunk.parseHeader(true));
    EXPECT_EQ(capture.texts(), std::vector<std::string>{kNoValidFormat});
    EXPECT_EQ(capture.shown()[0].title, "Zorvane");

    // Shorter than a header: refused, and the fields keep their defaults.
    capture.clear();
    BWChunk shortChunk(fresh.data(), 4 * 4);
    EXPECT_FALSE(shortChunk.parseHeader(false));
    EXPECT_FALSE(shortChunk.parseHeader(true));
    EXPECT_EQ(shortChunk.getTempo(), 120.0f);
    EXPECT_EQ(shortChunk.getFormatWord(), BWChunk::kFormatUnset);
    EXPECT_EQ(capture.texts(), std::vector<std::string>{kNoValidFormat});

    BWChunk empty;  // nothing to parse: silent
    EXPECT_FALSE(empty.parseHeader(false));
    EXPECT_EQ(capture.texts().size(), 1u);
}

TEST(BWChunkHeader, LoadFromFileRefusesShortAndTruncatedFiles) {
    TempDir dir;
    MessageCapture capture;
    std::vector<uint32_t> good = header(7, BWChunk::kFormatPlain);
    good.insert(good.end(), {11, 12});
    writeFile(dir / "good.zvp", good.data(), good.size() * 4);
    BWChunk chunk;
    ASSERT_TRUE(chunk.loadFromFile((dir / "good.zvp").c_str(), false));
    EXPECT_TRUE(chunk.isLoaded());
    EXPECT_FALSE(chunk.isExternal());
    EXPECT_EQ(chunk.readInt(), 11);

    // Missing and empty files fail silently and keep the words there were.
    writeFile(dir / "empty.zvp", "", 0);
    EXPECT_FALSE(chunk.loadFromFile((dir / "missing.zvp").c_str(), false));
    EXPECT_FALSE(chunk.loadFromFile((dir / "empty.zvp").c_str(), false));
    EXPECT_FALSE(chunk.loadFromFile(nullptr, false));
    EXPECT_EQ(wordsOf(chunk), good);
    EXPECT_TRUE(capture.texts().empty());

    writeFile(dir / "short.zvp", good.data(), 13);
    std::vector<uint32_t> truncated = good;
    truncated[0] = 8;  // says one word more than the file holds
    writeFile(dir / "truncated.zvp", truncated.data(), truncated.size() * 4);
    std::vector<uint32_t> alien = good;
    alien[4] = BWChunk::kFormatUnset;
    writeFile(dir / "alien.zvp", alien.data(), alien.size() * 4);
    for (const char* name : {"short.zvp", "truncated.zvp", "alien.zvp"}) {
        capture.clear();
        BWChunk refused;
        EXPECT_FALSE(refused.loadFromFile((dir / name).c_str(), false)) << name;
        EXPECT_FALSE(refused.loadFromFile((dir / name).c_str(), true)) << name;
        EXPECT_EQ(capture.texts(), std::vector<std::string>{kNoValidFormat}) << name;
    }
    // A refused format word still leaves the file's words in the chunk.
    BWChunk refused;
    EXPECT_FALSE(refused.loadFromFile((dir / "alien.zvp").c_str(), true));
    EXPECT_EQ(wordsOf(refused), alien);
}

TEST(BWChunkHeader, CompressedBodyInflatesAndReadsAsThePlainBody) {
    struct Form {
        uint32_t compressed, plain;
        std::vector<uint32_t> info;
    };
    for (const Form& form : {Form{26453980, 26101977, {}}, Form{26453981, 26101978, {11003, 0}}}) {
        CompressedCase c = compressedChunk(form.compressed, form.info);
        const std::vector<uint32_t> original = c.words;
        BWChunk chunk(c.words.data(), uint32_t(c.words.size() * 4));
        ASSERT_TRUE(chunk.parseHeader(false));
        chunk.setPosition(chunk.getPosition() + uint32_t(form.info.size()));  // past the description
        const uint32_t head = chunk.getPosition();
        ASSERT_TRUE(chunk.inflateCompressedBody(false));

        EXPECT_EQ(chunk.getFormatWord(), form.plain);
        EXPECT_TRUE(chunk.isLoaded());
        EXPECT_FALSE(chunk.isExternal());
        EXPECT_EQ(chunk.getPosition(), head);
        EXPECT_EQ(chunk.getDataLength(), head + c.body.size());
        std::vector<uint32_t> expected(original.begin(), original.begin() + head);
        expected[4] = form.plain;
        expected.insert(expected.end(), c.body.begin(), c.body.end());
        EXPECT_EQ(wordsOf(chunk), expected);
        EXPECT_EQ(c.words, original);  // the host's bytes are not touched
        EXPECT_EQ(chunk.readInt(), 290908);
        EXPECT_TRUE(chunk.inflateCompressedBody(false));  // now plain: nothing to do
    }
}

TEST(BWChunkHeader, BrokenCompressedBodiesAreRefusedAndLeaveTheChunk) {
    const CompressedCase good = compressedChunk(BWChunk::kFormatCompressed, {});
    const uint32_t bodyBytes = uint32_t(good.body.size() * 4);
    struct Broken {
        const char* what;
        size_t word;
        uint32_t value;
    };
    const Broken cases[] = {
        {"size zero", 5, 0},
        {"size not a multiple of 4", 5, bodyBytes - 2},
        {"size over the cap", 5, 0x7FFFFFFC},
        {"size larger than the stream gives", 5, bodyBytes + 4},
        {"size smaller than the stream gives", 5, bodyBytes - 4},
        {"length word beyond the data", 0, uint32_t(good.words.size() + 1)},
        {"length word inside the header", 0, 3},
        {"stream damaged", 7, 0x12345678},
    };
    MessageCapture capture;
    for (const Broken& broken : cases) {
        capture.clear();
        for (bool quiet : {false, true}) {
            std::vector<uint32_t> words = good.words;
            words[broken.word] = broken.value;
            BWChunk chunk(words.data(), uint32_t(words.size() * 4));
            ASSERT_TRUE(chunk.parseHeader(true)) << broken.what;
            EXPECT_FALSE(chunk.inflateCompressedBody(quiet)) << broken.what;
            EXPECT_EQ(chunk.getFormatWord(), BWChunk::kFormatCompressed) << broken.what;
            EXPECT_EQ(chunk.getWords(), words.data()) << broken.what;
        }
        EXPECT_EQ(capture.texts(), std::vector<std::string>{kNotOurFile}) << broken.what;
    }

    // A header with nothing after it has no size word to read.
    capture.clear();
    std::vector<uint32_t> bare = header(5, BWChunk::kFormatCompressed);
    BWChunk chunk(bare.data(), uint32_t(bare.size() * 4));
    ASSERT_TRUE(chunk.parseHeader(true));
    EXPECT_FALSE(chunk.inflateCompressedBody(false));
    EXPECT_EQ(capture.texts(), std::vector<std::string>{kNotOurFile});

    // A compressed body inside an instrument file stream stops silently.
    capture.clear();
    TempDir dir;
    writeFile(dir / "packed.bwr", good.words.data(), good.words.size() * 4);
    BWStreamChunk stream;
    ASSERT_TRUE(stream.openForReading((dir / "packed.bwr").c_str()));
    ASSERT_TRUE(stream.parseHeader(false));
    EXPECT_FALSE(stream.inflateCompressedBody(false));
    EXPECT_TRUE(capture.texts().empty());
}
