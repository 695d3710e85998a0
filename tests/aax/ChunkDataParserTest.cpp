// The controls-state chunk format: exact bytes, round trips, the rotating
// lookup and refusal of malformed data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "aax/AAX_CChunkDataParser.h"

namespace {

// A host chunk record with room for `size` data bytes.
struct ChunkRecord {
    std::vector<uint8_t> storage;
    explicit ChunkRecord(size_t size) : storage(kChunkHeaderSize + size, 0xEE) {}
    ChunkRecord(const std::vector<uint8_t>& data, int32_t sizeField) : ChunkRecord(data.size()) {
        if (!data.empty()) std::memcpy(storage.data() + kChunkHeaderSize, data.data(), data.size());
        chunk()->fSize = sizeField;
        chunk()->fVersion = 7;
    }
    AAX_SPlugInChunk* chunk() { return reinterpret_cast<AAX_SPlugInChunk*>(storage.data()); }
    std::vector<uint8_t> data() { return {storage.begin() + kChunkHeaderSize, storage.end()}; }
};

ChunkRecord written(const AAX_CChunkDataParser& parser) {
    ChunkRecord record(size_t(parser.GetChunkDataSize()));
    EXPECT_EQ(parser.GetChunkData(record.chunk()), 0);
    EXPECT_EQ(record.chunk()->fSize, parser.GetChunkDataSize());
    return record;
}

}  // namespace

TEST(AAXChunkDataParser, WritesTheDocumentedBytes) {
    AAX_CChunkDataParser parser;
    EXPECT_EQ(parser.GetChunkDataSize(), 4);
    EXPECT_EQ(written(parser).data(), (std::vector<uint8_t>{1, 1, 1, 1}));

    parser.AddInt32("7", 1);
    EXPECT_EQ(parser.GetChunkDataSize(), 12);
    EXPECT_EQ(written(parser).data(), (std::vector<uint8_t>{1, 1, 1, 1, 'l', '_', '7', 0, 0, 0, 0, 1}));

    parser.Clear();
    parser.AddDouble("ab", 1.0);
    EXPECT_EQ(parser.GetChunkDataSize(), 20);
    EXPECT_EQ(written(parser).data(),
              (std::vector<uint8_t>{1, 1, 1, 1, 'd', '_', 'a', 'b', 0, 0, 0, 0, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));

    parser.Clear();
    parser.AddString("ab", "xy");
    parser.AddInt32("c", -2);
    EXPECT_EQ(parser.GetChunkDataSize(), 24);
    EXPECT_EQ(written(parser).data(), (std::vector<uint8_t>{1, 1, 1, 1, 'r', '_', 'a', 'b', 0, 0, 0, 0, 'x', 'y', 0, 0,
                                                            'l', '_', 'c', 0, 0xFF, 0xFF, 0xFF, 0xFE}));
}

TEST(AAXChunkDataParser, ReadsBackWhatItWroteAndLooksUpFromTheLastFind) {
    AAX_CChunkDataParser parser;
    parser.AddDouble("gain", -0.125);
    parser.AddInt32("mode", 3);
    parser.AddString("name", "Warm Pad");
    parser.AddInt32("mode", 4);
    parser.AddString("", "");
    ChunkRecord record = written(parser);
    record.chunk()->fVersion = 3;

    AAX_CChunkDataParser reader;
    ASSERT_EQ(reader.LoadChunk(record.chunk()), AAX_SUCCESS);
    EXPECT_EQ(reader.GetChunkVersion(), 3);
    ASSERT_EQ(reader.Values().size(), 5u);
    double gain = 0;
    int32_t mode = 0;
    AAX_CString name;
    EXPECT_TRUE(reader.FindDouble("gain", &gain));
    EXPECT_EQ(gain, -0.125);
    EXPECT_FALSE(reader.FindDouble("mode", &gain));  // wrong type, but the search moves on from it
    EXPECT_TRUE(reader.FindInt32("mode", &mode));
    EXPECT_EQ(mode, 4);  // the first "mode" after the last found entry
    EXPECT_TRUE(reader.FindInt32("mode", &mode));
    EXPECT_EQ(mode, 3);
    EXPECT_TRUE(reader.FindString("name", &name));
    EXPECT_STREQ(name.Get(), "Warm Pad");
    EXPECT_TRUE(reader.FindString("", &name));
    EXPECT_FALSE(reader.FindInt32("missing", &mode));
    reader.Clear();
    EXPECT_FALSE(reader.FindDouble("gain", &gain));
    EXPECT_EQ(reader.GetChunkVersion(), -1);
}

TEST(AAXChunkDataParser, KeepsEntriesNoLookupReturnsAndRefusesMalformedData) {
    // 'f' and 's' entries and unknown tags are read and kept, never found.
    ChunkRecord kinds({1, 1, 1, 1, 'f', '_', 'a', 0, 0x3F, 0x80, 0, 0, 's', '_', 'b', 0, 0xFF, 0xFE, 0, 0, 'x', '_', 'c', 0}, 24);
    AAX_CChunkDataParser parser;
    ASSERT_EQ(parser.LoadChunk(kinds.chunk()), AAX_SUCCESS);
    EXPECT_EQ(parser.GetChunkVersion(), 7);
    ASSERT_EQ(parser.Values().size(), 3u);
    EXPECT_EQ(parser.Values()[0].type, AAX_CChunkDataParser::kFloat);
    EXPECT_EQ(parser.Values()[1].number, 0xFFFEu);
    EXPECT_EQ(parser.Values()[2].type, AAX_CChunkDataParser::kUnknown);
    double value = 0;
    EXPECT_FALSE(parser.FindDouble("a", &value));

    const std::vector<uint8_t> name255(255, 'n');
    std::vector<uint8_t> unterminated = {1, 1, 1, 1};
    unterminated.insert(unterminated.end(), name255.begin(), name255.end());
    unterminated.push_back(0);
    const struct {
        const char* what;
        std::vector<uint8_t> data;
        int32_t size;
        AAX_Result result;
    } cases[] = {
        {"only the marker", {1, 1, 1, 1}, 4, AAX_SUCCESS},
        {"empty", {}, 0, AAX_ERROR_MALFORMED_CHUNK},
        {"negative size", {1, 1, 1, 1}, -4, AAX_ERROR_MALFORMED_CHUNK},
        {"short", {1, 1, 1}, 3, AAX_ERROR_MALFORMED_CHUNK},
        {"no marker", {1, 1, 1, 2}, 4, AAX_ERROR_MALFORMED_CHUNK},
        {"int cut short", {1, 1, 1, 1, 'l', '_', '7', 0, 0, 0, 0}, 11, AAX_ERROR_MALFORMED_CHUNK},
        {"double cut short", {1, 1, 1, 1, 'd', '_', 'a', 0, 0, 0, 0, 0, 0, 0, 0}, 15, AAX_ERROR_MALFORMED_CHUNK},
        {"name without end", {1, 1, 1, 1, 'l', '_', '7', '7'}, 8, AAX_ERROR_MALFORMED_CHUNK},
        {"name past 255 bytes", unterminated, int32_t(unterminated.size()), AAX_ERROR_MALFORMED_CHUNK},
        {"tag without underscore", {1, 1, 1, 1, 'l', 0, 0, 0, 0, 0, 0, 1}, 12, AAX_ERROR_MALFORMED_CHUNK},
        {"string without end", {1, 1, 1, 1, 'r', '_', 'a', 0, 'x', 'y', 'z', 'w'}, 12, AAX_ERROR_MALFORMED_CHUNK},
        {"string at the end", {1, 1, 1, 1, 'r', '_', 'a', 0}, 8, AAX_ERROR_MALFORMED_CHUNK},
    };
    for (const auto& c : cases) {
        ChunkRecord record(c.data, c.size);
        parser.AddInt32("stale", 1);
        EXPECT_EQ(parser.LoadChunk(record.chunk()), c.result) << c.what;
        EXPECT_TRUE(parser.Values().empty()) << c.what;
    }
    EXPECT_EQ(parser.LoadChunk(nullptr), AAX_ERROR_NULL_ARGUMENT);
}

TEST(AAXChunkDataParser, RefusesToWriteIntoNothing) {
    AAX_CChunkDataParser parser;
    parser.AddInt32("x", 1);
    EXPECT_EQ(parser.GetChunkData(nullptr), -333);
}
