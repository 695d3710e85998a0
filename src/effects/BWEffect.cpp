#include "effects/BWEffect.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/BWSystemInfo.h"
#include "core/PointerList.h"
#include "core/StateResetList.h"
#include "core/ValueLists.h"

namespace {

void copyName(char* destination, const char* text) {
    std::snprintf(destination, BWEffect::kNameSize, "%s", text ? text : "");
}

}  // namespace

BWEffect::BWEffect(uint32_t id, int32_t parameterCount, BWSystemInfo* owner,
                   const NoteDivisionLists* valueLists)
    : id(id),
      count(parameterCount > 0 ? parameterCount : 0),
      owner(owner),
      stateRegistry(owner ? owner->trackedBufferList : nullptr),
      valueLists(valueLists) {
    values = std::make_unique<RawParameter[]>(static_cast<size_t>(count));
    takenSets.assign(count, 0u);
    defaults.assign(count, 0.5f);
    parameterNames.resize(count);
    for (auto& parameterName : parameterNames) copyName(parameterName.data(), "no name set");
}

BWEffect::~BWEffect() = default;

char* BWEffect::setName(const char* text) {
    copyName(name, text);
    return name;
}

void BWEffect::process(float*, float*, int32_t) {}

void BWEffect::processAlternate(float*, float*, int32_t) {}

void BWEffect::setParameter(uint32_t index, float value) {
    if (index >= static_cast<uint32_t>(count)) return;
    values[index].value.store(value, std::memory_order_relaxed);
    values[index].sets.fetch_add(1, std::memory_order_release);
    allSets.fetch_add(1, std::memory_order_release);
}

void BWEffect::applyParameter(uint32_t, float) {}

void BWEffect::takeChangedParameters(uint32_t all) {
    takenAllSets = all;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t sets = values[i].sets.load(std::memory_order_acquire);
        if (sets == takenSets[i]) continue;
        takenSets[i] = sets;
        applyParameter(static_cast<uint32_t>(i), raw(static_cast<uint32_t>(i)));
    }
}

void BWEffect::retakeParameter(uint32_t index) {
    takenSets[index] = values[index].sets.load(std::memory_order_acquire);
    applyParameter(index, raw(index));
}

void BWEffect::retakeParameters() {
    for (int32_t i = 0; i < count; ++i) retakeParameter(static_cast<uint32_t>(i));
}

void BWEffect::setSyncMode(int32_t, int32_t) {}

const char* BWEffect::getParameterName(uint32_t index) const {
    return index < parameterNames.size() ? parameterNames[index].data() : "fail";
}

void BWEffect::getName(uint32_t index, char* text) const {
    copyName(text, index < parameterNames.size() ? parameterNames[index].data() : "unused");
}

void BWEffect::clear() {}

void BWEffect::tick() {}

int32_t BWEffect::reset() { return 1; }

void BWEffect::stop() {}

void BWEffect::setMix(float level) {
    const float m = unitRange(level);
    mix.store(m, std::memory_order_relaxed);
    wetGain.store(safeSqrt(m), std::memory_order_relaxed);
    dryGain.store(safeSqrt(1.0f - m), std::memory_order_relaxed);
}

float BWEffect::getParameterDefault(int32_t index) const {
    // Compared unsigned, so a negative index is out of range as well.
    return static_cast<uint32_t>(index) < defaults.size() ? defaults[index] : 0.0f;
}

void BWEffect::getParameterDisplay(int32_t, float value, char* text) {
    std::snprintf(text, kDisplayTextSize, "%f", value);
}

void BWEffect::selectValueList(int32_t list) {
    valueListIndex.store(list, std::memory_order_relaxed);
    for (int32_t i = 0; i < count; ++i) setParameter(static_cast<uint32_t>(i), raw(static_cast<uint32_t>(i)));
}

void BWEffect::getValueLabels(int32_t, std::vector<std::string>&) const {}

float BWEffect::getSteps(int32_t) const { return 0.0f; }

void BWEffect::setParameterName(uint32_t index, const char* text) {
    if (index < parameterNames.size()) copyName(parameterNames[index].data(), text);
}

void BWEffect::setDefault(uint32_t index, float value) {
    if (index < defaults.size()) defaults[index] = value;
}

void BWEffect::installParameters(const char* const names[], const float initial[]) {
    for (int32_t i = 0; i < count; ++i) {
        const auto index = static_cast<uint32_t>(i);
        setParameterName(index, names[i]);
        setDefault(index, initial[i]);
        setParameter(index, initial[i]);
    }
    takeParameters();
}

const ValueList* BWEffect::selectedValueList() const {
    return valueLists ? &valueLists->select(valueListIndex.load(std::memory_order_relaxed)) : nullptr;
}

void BWEffect::joinOwnerList() {
    if (owner && owner->listeners) owner->listeners->append(this);
}

void BWEffect::leaveOwnerList() {
    if (owner && owner->listeners) owner->listeners->remove(this);
}

void BWEffect::listMemory(void* block, size_t bytes) {
    if (stateRegistry) stateRegistry->append(block, bytes, 0.0f, true);
}

void BWEffect::unlistMemory(const void* block) {
    if (stateRegistry) stateRegistry->remove(block);
}
