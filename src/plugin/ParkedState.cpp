#include "plugin/ParkedState.h"

#include <algorithm>
#include <utility>

void ParkedState::begin(std::vector<uint8_t> state) {
    std::lock_guard<std::mutex> lock(mutex);
    parked = true;
    holder = std::this_thread::get_id();
    stateAtBegin = std::move(state);
    pending = {};
}

ParkedState::Pending ParkedState::end() {
    std::lock_guard<std::mutex> lock(mutex);
    parked = false;
    holder = {};
    stateAtBegin.clear();
    return std::exchange(pending, {});
}

bool ParkedState::parkedForOthers() const { return parked && holder != std::this_thread::get_id(); }

bool ParkedState::parkedElsewhere() const {
    std::lock_guard<std::mutex> lock(mutex);
    return parkedForOthers();
}

bool ParkedState::answerSave(std::vector<uint8_t>& bytes) const {
    std::lock_guard<std::mutex> lock(mutex);
    if (!parkedForOthers()) return false;
    // The host's own bytes once it restored: the state it gave last.
    const auto restore = std::find_if(pending.loads.rbegin(), pending.loads.rend(),
                                      [](const Load& load) { return !load.restore.empty(); });
    bytes = restore != pending.loads.rend() ? restore->restore : stateAtBegin;
    return true;
}

bool ParkedState::keepRestore(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> copy(bytes, bytes + size);  // outside the lock
    std::lock_guard<std::mutex> lock(mutex);
    if (!parkedForOthers()) return false;
    pending.loads.clear();  // a whole state replaces whatever came before it
    pending.loads.push_back({std::move(copy), -1});
    return true;
}

bool ParkedState::keepProgram(int32_t program) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!parkedForOthers()) return false;
    if (!pending.loads.empty() && pending.loads.back().restore.empty()) pending.loads.pop_back();
    pending.loads.push_back({{}, program});
    return true;
}

bool ParkedState::keepRate(float rate) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!parkedForOthers()) return false;
    pending.rate = rate;
    return true;
}

bool ParkedState::keepSuspend() {
    std::lock_guard<std::mutex> lock(mutex);
    if (!parkedForOthers()) return false;
    pending.suspend = true;
    return true;
}
