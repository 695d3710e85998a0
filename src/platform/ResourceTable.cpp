#include "platform/ResourceTable.h"

#include <algorithm>
#include <cstring>

#include "platform/LittleEndian.h"

namespace platform {
namespace {

constexpr uint8_t kMagic[4] = {'Z', 'R', 'E', 'S'};
constexpr size_t kHeaderBytes = 8;
constexpr size_t kEntryBytes = 16;

}  // namespace

bool ResourceTable::read(std::span<const uint8_t> bytes) {
    data = {};
    index.clear();
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 4) != 0) return false;
    const uint64_t count = littleWord(bytes.data() + 4);
    if (count > (bytes.size() - kHeaderBytes) / kEntryBytes) return false;
    std::vector<Entry> entries;
    entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = kHeaderBytes + i * kEntryBytes;
        const uint8_t* entry = bytes.data() + at;
        const Entry e{static_cast<int32_t>(littleWord(entry)), static_cast<ResourceType>(littleWord(entry + 4)),
                      littleWord(entry + 8), littleWord(entry + 12)};
        if (uint64_t{e.offset} + e.size > bytes.size()) return false;
        entries.push_back(e);
    }
    data = bytes;
    index = std::move(entries);
    return true;
}

std::span<const uint8_t> ResourceTable::find(ResourceType type, int32_t id) const {
    const auto it = std::find_if(index.begin(), index.end(),
                                 [&](const Entry& e) { return e.id == id && e.type == type; });
    if (it == index.end()) return {};
    return data.subspan(it->offset, it->size);
}

std::vector<uint8_t> ResourceTable::write(const std::vector<Item>& items) {
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    appendLittle(out, static_cast<uint32_t>(items.size()));
    size_t offset = kHeaderBytes + items.size() * kEntryBytes;
    for (const Item& item : items) {
        appendLittle(out, static_cast<uint32_t>(item.id));
        appendLittle(out, static_cast<uint32_t>(item.type));
        appendLittle(out, static_cast<uint32_t>(offset));
        appendLittle(out, static_cast<uint32_t>(item.bytes.size()));
        offset += item.bytes.size();
    }
    for (const Item& item : items) out.insert(out.end(), item.bytes.begin(), item.bytes.end());
    return out;
}

}  // namespace platform
