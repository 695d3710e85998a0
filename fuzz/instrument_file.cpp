// Reads arbitrary bytes as an instrument file through the file-stream chunk,
// as the library loads them.  An accepted instrument must save to words that
// read back and save the same.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine/BWRompler.h"
#include "persistence/BWChunk.h"
#include "persistence/BWStreamChunk.h"
#include "persistence/WriteObjectChunk.h"
#include "support/QuietMessages.h"

namespace {

std::vector<uint32_t> saved(BWRompler& instrument) {
    BWChunk chunk;
    if (!writeObjectChunk(&instrument, &chunk)) __builtin_trap();
    const auto* words = static_cast<const uint32_t*>(chunk.getWords());
    return std::vector<uint32_t>(words, words + chunk.getCapacityWords());
}

void checkRoundTrip(BWRompler& instrument) {
    std::vector<uint32_t> first = saved(instrument);
    BWChunk chunk(first.data(), uint32_t(first.size() * 4));
    BWRompler copy;
    if (!copy.readFile(chunk) || saved(copy) != first) __builtin_trap();
}

bool hasReferences(const BWRompler& instrument) {
    for (const auto& zone : instrument.getZones())
        if (!zone->getSample().isEmbedData() && zone->getSample().getFrames() > 0) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quietMessages();
    if (size == 0 || size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file) return 0;
    BWStreamChunk chunk;
    chunk.attachForReading(file);
    BWRompler instrument;
    instrument.addZone();
    if (!instrument.readFile(chunk)) {
        if (instrument.getZones().size() != 1) __builtin_trap();  // a refused file changes nothing
        return 0;
    }
    if (!hasReferences(instrument)) checkRoundTrip(instrument);
    return 0;
}
