#include "core/StateResetList.h"

#include <algorithm>
#include <cstring>

void StateResetList::append(void* data, uint64_t byteLength, float fillValue, bool renderWritesOnly) {
    records.push_back({data, byteLength, fillValue, renderWritesOnly && fillValue == 0.0f});
}

void StateResetList::remove(const void* data) {
    auto found = std::find_if(records.begin(), records.end(),
                              [data](const TrackedBufferRecord& record) { return record.data == data; });
    if (found != records.end()) records.erase(found);
}

void StateResetList::resetAll(bool rendered) const {
    for (const TrackedBufferRecord& record : records) {
        if (record.data == nullptr || (record.renderWritesOnly && !rendered)) continue;
        if (record.fillValue == 0.0f) {
            std::memset(record.data, 0, record.byteLength);
            continue;
        }
        // Only whole floats are filled: a byte length that is not a multiple
        // of four must not make the fill run past the block.
        float* floats = static_cast<float*>(record.data);
        std::fill(floats, floats + record.byteLength / sizeof(float), record.fillValue);
    }
}
