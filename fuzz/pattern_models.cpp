// Feeds the input, read as little-endian 32-bit words, to the chunk reader of
// every pattern model, once applying and once skip-only.  Beyond "no crash"
// it checks what callers rely on: a skip-only read consumes exactly the words
// an applying read consumes, and what a model wrote after a successful read
// reads back whole.
//
// Each entry of kReaders makes a fresh model; add a line for a new model.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/BWBtnLine.h"
#include "core/BWBtnLineGrids.h"
#include "core/BWFloatZoneHandler.h"
#include "core/BWMouseAreaChunk.h"
#include "core/BWSystemInfo.h"
#include "core/BWTable.h"
#include "core/BWTableXY.h"
#include "core/BWTableXYLanes.h"
#include "core/BWZone.h"
#include "core/BWZoneHandlerContainer.h"
#include "persistence/BWChunk.h"
#include "persistence/BWChunkableClass.h"

namespace {

using Model = std::unique_ptr<BWChunkableClass>;

struct ModelReader {
    const char* name;
    Model (*make)(BWSystemInfo& context);
};

Model pagedLane(BWSystemInfo& context, uint64_t sizePolicy) {
    const TableXYLane& lane = tableXYLanes()[0];
    auto table = std::make_unique<BWTableXY>(&context, lane.points, lane.id, false);
    configureLane(*table, lane);
    table->sizePolicy = sizePolicy;
    return table;
}

Model stepGrid(BWSystemInfo& context, bool keepSize) {
    auto grid = std::make_unique<BWBtnLine>(&context, kBtnLineGridSteps, kBtnLineGridLines);
    configureGrid(*grid, btnLineGrids()[0]);
    grid->keepSize = keepSize;
    return grid;
}

Model zoneLane(BWSystemInfo& context, uint8_t keepEmpty) {
    auto lane = std::make_unique<BWFloatZoneHandler>(&context, -1, false);
    lane->keepEmpty = keepEmpty;
    return lane;
}

Model zoneContainer(BWSystemInfo& context) {
    auto container = std::make_unique<BWZoneHandlerContainer<BWFloatZoneHandler>>(&context, 0, 8, false);
    container->setLaneLength(32);
    return container;
}

const ModelReader kReaders[] = {
    {"table", [](BWSystemInfo& context) -> Model { return std::make_unique<BWTable>(&context, 16); }},
    {"paged table", [](BWSystemInfo& context) { return pagedLane(context, BWTableXY::kFollowStoredSize); }},
    {"paged table, cut", [](BWSystemInfo& context) { return pagedLane(context, BWTableXY::kKeepSizeAndCut); }},
    {"paged table, resampled", [](BWSystemInfo& context) { return pagedLane(context, 1); }},
    {"step grid", [](BWSystemInfo& context) { return stepGrid(context, false); }},
    {"step grid, kept size", [](BWSystemInfo& context) { return stepGrid(context, true); }},
    {"zone", [](BWSystemInfo&) -> Model { return std::make_unique<BWZone>(); }},
    {"zone lane", [](BWSystemInfo& context) { return zoneLane(context, 1); }},
    {"zone lane, default zone", [](BWSystemInfo& context) { return zoneLane(context, 0); }},
    {"zone container", [](BWSystemInfo& context) { return zoneContainer(context); }},
    {"mouse area", [](BWSystemInfo&) -> Model { return std::make_unique<BWMouseAreaChunk>(0.01f); }},
};

struct Outcome {
    int32_t result;
    uint32_t position;
};

Outcome readInto(BWChunkableClass& model, std::vector<uint32_t> words, bool skipOnly) {
    BWChunk chunk(words.data(), static_cast<uint32_t>(words.size() * sizeof(uint32_t)));
    const int32_t result = model.readChunk(&chunk, skipOnly);
    return {result, chunk.getPosition()};
}

std::vector<uint32_t> writtenWords(BWChunkableClass& model) {
    BWChunk chunk;
    model.writeChunk(&chunk);
    const uint32_t measured = chunk.getPosition();
    chunk.allocateMeasured();
    chunk.setPosition(0);
    model.writeChunk(&chunk);
    if (chunk.hasFailed() || chunk.getPosition() != measured) std::abort();
    std::vector<uint32_t> words(measured);
    if (measured > 0) std::memcpy(words.data(), chunk.getWords(), measured * sizeof(uint32_t));
    return words;
}

void exercise(const ModelReader& reader, BWSystemInfo& context, const std::vector<uint32_t>& words) {
    Model applied = reader.make(context);
    const Outcome read = readInto(*applied, words, false);
    Model skipped = reader.make(context);
    const Outcome skip = readInto(*skipped, words, true);
    if (read.result == 1 && skip.result == 1 && read.position != skip.position) std::abort();
    if (read.result != 1) return;

    const std::vector<uint32_t> written = writtenWords(*applied);
    Model again = reader.make(context);
    const Outcome reread = readInto(*again, written, false);
    if (reread.result != 1 || reread.position != written.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BWSystemInfo context(8, nullptr, nullptr, nullptr);
    std::vector<uint32_t> words(size / sizeof(uint32_t));
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = uint32_t(data[4 * i]) | uint32_t(data[4 * i + 1]) << 8 | uint32_t(data[4 * i + 2]) << 16 |
                   uint32_t(data[4 * i + 3]) << 24;
    }
    for (const ModelReader& reader : kReaders) exercise(reader, context, words);
    return 0;
}
