#include "core/StateResetList.h"

#include <algorithm>
#include <cstring>

void StateResetList::append(void* data, uint64_t byteLength, float fillValue) {
    records.push_back({data, byteLength, fillValue});
}

void StateResetList::remove(const void* data) {
    auto found = std::find_if(records.begin(), records.end(),
                              [data](const TrackedBufferRecord& record) { return record.data == data; });
    if (found != records.end()) records.erase(found);
}

void StateResetList::resetAll() const {
    for (const TrackedBufferRecord& record : records) {
        if (record.data == nullptr) continue;
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
