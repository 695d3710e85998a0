#include "core/BWFloatZoneHandler.h"

#include <algorithm>
#include <bit>

#include "core/BWFloatZone.h"
#include "core/BWSystemInfo.h"

BWFloatZoneHandler::BWFloatZoneHandler(BWSystemInfo* systemInfo, int64_t handlerId, bool clone)
    : BWZoneHandler(systemInfo, handlerId, clone), editCounter(clone ? nullptr : systemInfo) {}

std::unique_ptr<BWZone> BWFloatZoneHandler::createZone(int32_t /*kind*/) {
    return std::make_unique<BWFloatZone>(this);
}

uint64_t BWFloatZoneHandler::zoneNumberAt(int32_t pos) {
    if (pos < 0 || static_cast<size_t>(pos) >= kMirrorSize) return 0;
    return static_cast<uint64_t>(zoneNumberAtKey[static_cast<size_t>(pos)]);
}

void BWFloatZoneHandler::refreshMirrors() {
    zoneNumberAtKey.fill(0.0f);
    const ZoneList& zones = zoneList();
    const size_t mirrored = std::min(zones.size(), kMirrorSize);
    for (size_t i = 0; i < mirrored; ++i) {
        const BWZone& zone = *zones[i];
        zoneStart[i] = static_cast<float>(zone.start);
        zoneEnd[i] = static_cast<float>(zone.end);
        const int32_t first = std::max(zone.start, 0);
        const int32_t last = std::min(zone.end, static_cast<int32_t>(kMirrorSize) - 1);
        for (int32_t key = first; key <= last; ++key)
            zoneNumberAtKey[static_cast<size_t>(key)] = static_cast<float>(i + 1);
    }
    zoneCountF = static_cast<float>(zones.size());
    const uint64_t bits = uint64_t{std::bit_cast<uint32_t>(zoneStart[0])} |
                          uint64_t{std::bit_cast<uint32_t>(zoneEnd[0])} << 32;
    firstZone.store(bits, std::memory_order_release);
    if (editCounter != nullptr) editCounter->zoneEdits.fetch_add(1, std::memory_order_release);
}

std::pair<float, float> BWFloatZoneHandler::firstZoneRange() const {
    const uint64_t bits = firstZone.load(std::memory_order_acquire);
    return {std::bit_cast<float>(uint32_t(bits)), std::bit_cast<float>(uint32_t(bits >> 32))};
}
