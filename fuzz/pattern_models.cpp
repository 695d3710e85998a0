// Feeds the input to the chunk reader of every pattern model, once applying
// and once skip-only.  Beyond "no crash" it checks what callers rely on: a
// skip-only read consumes exactly the words an applying read consumes, and
// what a model wrote after a successful read reads back whole.
//
// Input: one selector byte, then little-endian 32-bit words.  The selector
// picks the lane set-up and size policy, the grid set-up, shape and size
// rule, the table size and the zone lane length, so that the readers meet
// models of every shape the instance builds and a few it does not.
//
// Building a paged lane costs far more than reading one, so each model is
// built once per shape and put back between inputs only when a read changed
// it.  Each entry of kReaders makes a model; add a line for a new model.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

struct Shape {
    uint8_t lane;    // 0..9
    uint8_t grid;    // 0..4
    uint8_t size;    // 0..3: picks table sizes, grid shapes and lane lengths
    uint8_t policy;  // 0..2: the paged table's size policy
    bool keepSize;   // the step grid's
};

Shape shapeOf(uint8_t selector) {
    return {uint8_t(selector % 10), uint8_t(selector % 5), uint8_t(selector / 10 % 4), uint8_t(selector / 40 % 3),
            selector / 20 % 2 != 0};
}

constexpr uint64_t kSizePolicies[] = {BWTableXY::kFollowStoredSize, BWTableXY::kKeepSizeAndCut, 1};
constexpr uint64_t kTableSizes[] = {16, 1, 33, 300};
constexpr uint64_t kGridShapes[][2] = {
    {kBtnLineGridSteps, kBtnLineGridLines}, {8, 1}, {1, 3}, {64, 2}};
constexpr uint64_t kZoneLaneLengths[] = {32, 1, 96, 7};

struct ModelReader {
    const char* name;
    Model (*make)(BWSystemInfo& context, Shape shape);
    // The part of the shape the model depends on, so that equal models are
    // built once.
    uint32_t (*key)(Shape shape);
    // Makes a model whose reads add to it rather than replace it new again;
    // null: reading the model's first words does.
    void (*clear)(BWChunkableClass& model) = nullptr;
    // A refused record leaves what was read before the fault (zone lanes).
    bool keepsPartOfRefused = false;
};

uint32_t noKey(Shape) { return 0; }
void clearZones(BWChunkableClass& model) { static_cast<BWZoneHandler&>(model).deleteAllZones(false); }
uint32_t laneKey(Shape shape) { return shape.lane * 3u + shape.policy; }
uint32_t gridKey(Shape shape) { return (shape.grid * 4u + shape.size) * 2u + shape.keepSize; }
uint32_t sizeKey(Shape shape) { return shape.size; }

Model pagedLane(BWSystemInfo& context, Shape shape) {
    const TableXYLane& lane = tableXYLanes()[shape.lane];
    auto table = std::make_unique<BWTableXY>(&context, lane.points, lane.id, false);
    configureLane(*table, lane);
    table->sizePolicy = kSizePolicies[shape.policy];
    return table;
}

Model stepGrid(BWSystemInfo& context, Shape shape) {
    const uint64_t* dimensions = kGridShapes[shape.size];
    auto grid = std::make_unique<BWBtnLine>(&context, dimensions[0], dimensions[1]);
    configureGrid(*grid, btnLineGrids()[shape.grid]);
    grid->keepSize = shape.keepSize;
    return grid;
}

Model zoneLane(BWSystemInfo& context, uint8_t keepEmpty) {
    auto lane = std::make_unique<BWFloatZoneHandler>(&context, -1, false);
    lane->keepEmpty = keepEmpty;
    return lane;
}

Model zoneContainer(BWSystemInfo& context, Shape shape) {
    auto container = std::make_unique<BWZoneHandlerContainer<BWFloatZoneHandler>>(&context, 0, 8, false);
    container->setLaneLength(kZoneLaneLengths[shape.size]);
    return container;
}

const ModelReader kReaders[] = {
    {"table",
     [](BWSystemInfo& context, Shape shape) -> Model {
         return std::make_unique<BWTable>(&context, kTableSizes[shape.size]);
     },
     sizeKey},
    {"paged table", pagedLane, laneKey},
    {"step grid", stepGrid, gridKey},
    {"zone", [](BWSystemInfo&, Shape) -> Model { return std::make_unique<BWZone>(); }, noKey},
    {"zone lane", [](BWSystemInfo& c, Shape) { return zoneLane(c, 1); }, noKey, clearZones, true},
    {"zone lane, default zone", [](BWSystemInfo& c, Shape) { return zoneLane(c, 0); }, noKey, clearZones, true},
    {"zone container", zoneContainer, sizeKey, nullptr, true},
    {"mouse area", [](BWSystemInfo&, Shape) -> Model { return std::make_unique<BWMouseAreaChunk>(0.01f); },
     noKey},
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

[[noreturn]] void fail(const ModelReader& reader, const char* what) {
    std::fprintf(stderr, "%s: %s\n", reader.name, what);
    std::abort();
}

// One model as built, kept for the whole run.
class KeptModel {
public:
    KeptModel(const ModelReader& reader, Model built)
        : reader(reader), model(std::move(built)), table(dynamic_cast<BWTable*>(model.get())),
          fresh(writtenWords(*model)) {
        if (table) {
            tableCount = table->getCount();
            tableDefault = table->defaultValue;
        }
    }

    // The model as new.  Only a model that took a record is put back: a
    // refused record and a skipping read change nothing, which every eighth
    // use checks along with the reset itself, by what the model writes.
    BWChunkableClass& clean() {
        const bool check = ++uses % 8 == 0;
        if (changed) {
            if (reader.clear) {
                reader.clear(*model);
            } else {
                restoreTable();
                const Outcome reset = readInto(*model, fresh, false);
                if (reset.result != 1 || reset.position != fresh.size()) fail(reader, "its first words did not read back");
            }
        }
        if (check && writtenWords(*model) != fresh)
            fail(reader, changed ? "it did not come back to its first words" : "a refused record changed it");
        changed = false;
        return *model;
    }

    // After a read that took a record.
    void markChanged() { changed = true; }

private:
    // An older plain-table record read into a paged table sets its length and
    // default whatever the size policy, and the paged record does not hold
    // the default.
    void restoreTable() {
        if (!table) return;
        table->defaultValue = tableDefault;
        if (table->getCount() != tableCount) table->resize(tableCount, BWTable::kResizeFresh);
    }

    const ModelReader& reader;
    Model model;
    BWTable* table;
    uint64_t tableCount = 0;
    float tableDefault = 0.0f;
    std::vector<uint32_t> fresh;
    bool changed = false;
    uint64_t uses = 0;
};

// Two of each model: one to read the input into, one for the skipping read
// and the read-back.
struct ModelPair {
    KeptModel first;
    KeptModel second;
};

// The models register with their context and with process-wide lists that
// are made on first use, after the pool: the pool is never destroyed.
struct ModelPool {
    BWSystemInfo context{8, nullptr, nullptr, nullptr};
    std::map<uint64_t, std::unique_ptr<ModelPair>> kept;
};

ModelPair& modelsFor(size_t reader, Shape shape) {
    static ModelPool& pool = *new ModelPool;
    const ModelReader& r = kReaders[reader];
    auto& pair = pool.kept[uint64_t(reader) << 32 | r.key(shape)];
    if (!pair)
        pair.reset(new ModelPair{KeptModel(r, r.make(pool.context, shape)), KeptModel(r, r.make(pool.context, shape))});
    return *pair;
}

void exercise(const ModelReader& reader, ModelPair& models, const std::vector<uint32_t>& words) {
    BWChunkableClass& applied = models.first.clean();
    const Outcome read = readInto(applied, words, false);
    const Outcome skip = readInto(models.second.clean(), words, true);
    if (read.result == 1 && skip.result == 1 && read.position != skip.position)
        fail(reader, "a skipping read consumed other words than an applying one");
    if (read.result == 1 || reader.keepsPartOfRefused) models.first.markChanged();
    if (read.result != 1) return;

    const std::vector<uint32_t> written = writtenWords(applied);
    const Outcome reread = readInto(models.second.clean(), written, false);
    models.second.markChanged();
    if (reread.result != 1 || reread.position != written.size()) fail(reader, "what it wrote did not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Shape shape = shapeOf(data[0]);
    ++data;
    --size;
    std::vector<uint32_t> words(size / sizeof(uint32_t));
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = uint32_t(data[4 * i]) | uint32_t(data[4 * i + 1]) << 8 | uint32_t(data[4 * i + 2]) << 16 |
                   uint32_t(data[4 * i + 3]) << 24;
    }
    for (size_t reader = 0; reader < std::size(kReaders); ++reader) exercise(kReaders[reader], modelsFor(reader, shape), words);
    return 0;
}
