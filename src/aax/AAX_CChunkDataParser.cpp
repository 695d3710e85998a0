#include "aax/AAX_CChunkDataParser.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "aax/HostServices.h"

namespace {

constexpr uint8_t kMarker[4] = {1, 1, 1, 1};
constexpr char kTypeTags[] = "f_l_d_s_r_";
constexpr int32_t kWriteFailed = -333;
constexpr size_t kMaxTaggedName = 255;

constexpr int64_t round4(int64_t x) { return (x + 3) & ~int64_t(3); }

int64_t valueSize(const AAX_CChunkDataParser::DataValue& entry) {
    switch (entry.type) {
    case AAX_CChunkDataParser::kDouble: return 8;
    case AAX_CChunkDataParser::kString: return round4(int64_t(entry.text.Length()) + 1);
    default: return 4;
    }
}

void putBigEndian(uint8_t* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

uint64_t getBigEndian(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | at[i];
    return value;
}

}  // namespace

void AAX_CChunkDataParser::Clear() {
    chunkVersion = -1;
    lastFoundIndex = -1;
    dataValues.clear();
}

void AAX_CChunkDataParser::AddDouble(const char* name, double value) {
    DataValue entry{kDouble, name, 0, {}};
    std::memcpy(&entry.number, &value, sizeof(value));
    dataValues.push_back(std::move(entry));
}

void AAX_CChunkDataParser::AddInt32(const char* name, int32_t value) {
    dataValues.push_back(DataValue{kInt32, name, uint32_t(value), {}});
}

void AAX_CChunkDataParser::AddString(const char* name, const AAX_CString& value) {
    dataValues.push_back(DataValue{kString, name, 0, value});
}

const AAX_CChunkDataParser::DataValue* AAX_CChunkDataParser::find(const char* name, int32_t type) {
    if (!name) return nullptr;
    const int32_t count = int32_t(dataValues.size());
    if (lastFoundIndex >= count - 1) lastFoundIndex = -1;
    auto matches = [&](int32_t i) { return std::strcmp(dataValues[size_t(i)].name.Get(), name) == 0; };
    int32_t found = -1;
    for (int32_t i = lastFoundIndex + 1; i < count && found < 0; ++i)
        if (matches(i)) found = i;
    for (int32_t i = 0; i <= lastFoundIndex && found < 0; ++i)
        if (matches(i)) found = i;
    if (found < 0) return nullptr;
    lastFoundIndex = found;
    const DataValue& entry = dataValues[size_t(found)];
    return entry.type == type ? &entry : nullptr;
}

bool AAX_CChunkDataParser::FindDouble(const char* name, double* out) {
    const DataValue* entry = find(name, kDouble);
    if (!entry) return false;
    if (out) std::memcpy(out, &entry->number, sizeof(double));
    return true;
}

bool AAX_CChunkDataParser::FindInt32(const char* name, int32_t* out) {
    const DataValue* entry = find(name, kInt32);
    if (!entry) return false;
    if (out) *out = int32_t(uint32_t(entry->number));
    return true;
}

bool AAX_CChunkDataParser::FindString(const char* name, AAX_CString* out) {
    const DataValue* entry = find(name, kString);
    if (!entry) return false;
    if (out) *out = entry->text;
    return true;
}

int32_t AAX_CChunkDataParser::GetChunkDataSize() const {
    int64_t size = 4;
    for (const DataValue& entry : dataValues) size += round4(int64_t(entry.name.Length()) + 3) + valueSize(entry);
    return size > INT32_MAX ? -1 : int32_t(size);
}

int32_t AAX_CChunkDataParser::GetChunkData(AAX_SPlugInChunk* chunk) const {
    const int32_t size = GetChunkDataSize();
    if (size < 4 || !chunk) return kWriteFailed;
    try {
        uint8_t* data = chunkData(chunk);
        std::memset(data, 0, size_t(size));
        std::memcpy(data, kMarker, 4);
        int64_t pos = 4;
        for (const DataValue& entry : dataValues) {
            const int64_t nameLength = entry.name.Length();
            if (pos + round4(nameLength + 3) + valueSize(entry) > size) throw std::out_of_range("aborting: chunk data will overflow buffer");
            const int32_t tag = std::clamp(entry.type, 1, 5) - 1;
            std::memcpy(data + pos, kTypeTags + 2 * tag, 2);
            std::memcpy(data + pos + 2, entry.name.Get(), size_t(nameLength) + 1);
            const int64_t start = round4(pos + 2 + nameLength + 1);
            switch (entry.type) {
            case kDouble: putBigEndian(data + start, entry.number, 8); pos = start + 8; break;
            case kInt16: putBigEndian(data + start, entry.number & 0xFFFF, 2); pos = start + 4; break;
            case kString:
                std::memcpy(data + start, entry.text.Get(), size_t(entry.text.Length()) + 1);
                pos = round4(start + entry.text.Length() + 1);
                break;
            default: putBigEndian(data + start, entry.number & 0xFFFFFFFF, 4); pos = start + 4; break;
            }
        }
        chunk->fSize = size;
        return AAX_SUCCESS;
    } catch (const std::exception& error) {
        hostTrace(kTracePriorityError, "AAX_CChunkDataParser::GetChunkData ERROR: %s", error.what()[0] ? error.what() : "Unknown exception");
    } catch (...) {
    }
    return kWriteFailed;
}

AAX_Result AAX_CChunkDataParser::LoadChunk(const AAX_SPlugInChunk* chunk) {
    lastFoundIndex = -1;
    dataValues.clear();
    if (!chunk) return AAX_ERROR_NULL_ARGUMENT;
    chunkVersion = chunk->fVersion;
    const AAX_Result result = parse(chunkData(chunk), chunk->fSize);
    if (result != AAX_SUCCESS) dataValues.clear();
    return result;
}

AAX_Result AAX_CChunkDataParser::parse(const uint8_t* data, int32_t size) {
    if (size < 4 || std::memcmp(data, kMarker, 4) != 0) return AAX_ERROR_MALFORMED_CHUNK;
    int64_t pos = 4;
    while (pos < size) {
        const size_t window = std::min<size_t>(size_t(size - pos), kMaxTaggedName);
        const auto* tagged = data + pos;
        const auto* end = static_cast<const uint8_t*>(std::memchr(tagged, 0, window));
        if (!end) return AAX_ERROR_MALFORMED_CHUNK;
        const int64_t taggedLength = end - tagged;
        if (taggedLength < 2) return AAX_ERROR_MALFORMED_CHUNK;
        const int64_t start = round4(pos + taggedLength + 1);
        DataValue entry;
        entry.name = std::string(reinterpret_cast<const char*>(tagged) + 2, size_t(taggedLength - 2));
        auto need = [&](int64_t bytes) { return start + bytes <= size; };
        switch (tagged[0]) {
        case 'd':
            if (!need(8)) return AAX_ERROR_MALFORMED_CHUNK;
            entry.type = kDouble, entry.number = getBigEndian(data + start, 8), pos = start + 8;
            break;
        case 'f':
        case 'l':
            if (!need(4)) return AAX_ERROR_MALFORMED_CHUNK;
            entry.type = tagged[0] == 'f' ? kFloat : kInt32, entry.number = getBigEndian(data + start, 4), pos = start + 4;
            break;
        case 's':
            if (!need(4)) return AAX_ERROR_MALFORMED_CHUNK;
            entry.type = kInt16, entry.number = getBigEndian(data + start, 2), pos = start + 4;
            break;
        case 'r': {
            if (!need(1)) return AAX_ERROR_MALFORMED_CHUNK;
            const auto* text = data + start;
            const auto* stop = static_cast<const uint8_t*>(std::memchr(text, 0, size_t(size - start)));
            if (!stop) return AAX_ERROR_MALFORMED_CHUNK;
            entry.type = kString;
            entry.text = std::string(reinterpret_cast<const char*>(text), size_t(stop - text));
            pos = round4(start + (stop - text) + 1);
            break;
        }
        default: entry.type = kUnknown, pos = start; break;
        }
        dataValues.push_back(std::move(entry));
    }
    return AAX_SUCCESS;
}
