// Feeds arbitrary bytes to the controls-state chunk reader as the data area of
// a host chunk record.  Whatever it accepts must write out and read back to
// the same entries.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "aax/AAX_CChunkDataParser.h"

namespace {

std::vector<uint8_t> record(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(kChunkHeaderSize + size, 0);
    if (size) std::memcpy(bytes.data() + kChunkHeaderSize, data, size);
    reinterpret_cast<AAX_SPlugInChunk*>(bytes.data())->fSize = int32_t(size);
    return bytes;
}

// The entries the parser's own Add operations can make again.
bool rebuildable(const AAX_CChunkDataParser::DataValue& value) {
    return value.type == AAX_CChunkDataParser::kInt32 || value.type == AAX_CChunkDataParser::kDouble ||
           value.type == AAX_CChunkDataParser::kString;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes = record(data, size);
    AAX_CChunkDataParser parser;
    if (parser.LoadChunk(reinterpret_cast<AAX_SPlugInChunk*>(bytes.data())) != AAX_SUCCESS) {
        if (!parser.Values().empty()) std::abort();
        return 0;
    }

    AAX_CChunkDataParser rebuilt;
    for (const auto& value : parser.Values()) {
        if (!rebuildable(value)) continue;
        if (value.type == AAX_CChunkDataParser::kInt32) rebuilt.AddInt32(value.name.Get(), int32_t(value.number));
        if (value.type == AAX_CChunkDataParser::kString) rebuilt.AddString(value.name.Get(), value.text);
        if (value.type == AAX_CChunkDataParser::kDouble) {
            double number;
            std::memcpy(&number, &value.number, sizeof(number));
            rebuilt.AddDouble(value.name.Get(), number);
        }
    }
    std::vector<uint8_t> out(kChunkHeaderSize + size_t(rebuilt.GetChunkDataSize()), 0);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(out.data());
    if (rebuilt.GetChunkData(chunk) != 0) std::abort();
    AAX_CChunkDataParser again;
    if (again.LoadChunk(chunk) != AAX_SUCCESS || again.Values().size() != rebuilt.Values().size()) std::abort();
    for (size_t i = 0; i < again.Values().size(); ++i) {
        const auto& a = again.Values()[i];
        const auto& b = rebuilt.Values()[i];
        if (a.type != b.type || a.name != b.name || a.number != b.number || a.text != b.text) std::abort();
    }
    return 0;
}
