#include "platform/ResourceTable.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr uint8_t kMagic[4] = {'Z', 'R', 'E', 'S'};
constexpr size_t kHeaderBytes = 8;
constexpr size_t kEntryBytes = 16;

uint32_t wordAt(std::span<const uint8_t> bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

void putWord(std::vector<uint8_t>& out, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(word >> shift));
}

}  // namespace

bool ResourceTable::read(std::span<const uint8_t> bytes) {
    data = {};
    index.clear();
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 4) != 0) return false;
    const uint64_t count = wordAt(bytes, 4);
    if (count > (bytes.size() - kHeaderBytes) / kEntryBytes) return false;
    std::vector<Entry> entries;
    entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = kHeaderBytes + i * kEntryBytes;
        const Entry e{static_cast<int32_t>(wordAt(bytes, at)), static_cast<ResourceType>(wordAt(bytes, at + 4)),
                      wordAt(bytes, at + 8), wordAt(bytes, at + 12)};
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
    putWord(out, static_cast<uint32_t>(items.size()));
    size_t offset = kHeaderBytes + items.size() * kEntryBytes;
    for (const Item& item : items) {
        putWord(out, static_cast<uint32_t>(item.id));
        putWord(out, static_cast<uint32_t>(item.type));
        putWord(out, static_cast<uint32_t>(offset));
        putWord(out, static_cast<uint32_t>(item.bytes.size()));
        offset += item.bytes.size();
    }
    for (const Item& item : items) out.insert(out.end(), item.bytes.begin(), item.bytes.end());
    return out;
}

}  // namespace platform
