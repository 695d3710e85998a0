#pragma once
// One parameter of the instrument and everything that refers to it: the tag
// under which the host, the editor and the sequencer set it, the id under
// which presets store it, its name and unit label, and the engine float or
// pattern object that holds its value.  The instance holds 214 of them
// (BindingTable.h); they are given their value or object once, while the
// instance is built, and do not change afterwards, so every thread reads them
// without locks.  The values they point to are the plug-in object's raw
// parameter values (relaxed atomics: any thread reads and stores them).

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "plugin/BindingTable.h"

class BWChunkableClass;

// Asked before a plain value read from a preset is applied to a binding that
// carries one; no value is applied when it answers false.
class BindingLoadCondition {
public:
    virtual ~BindingLoadCondition() = default;
    virtual bool allowsLoad() = 0;
};

// Values of ParamBinding::type.
inline constexpr int32_t kBindingTypePlain = 1;
inline constexpr int32_t kBindingTypeSwitch = 2;  // reported to the host as a switch

// Values of ParamBinding::optionIndex: which stored option feeds the value.
inline constexpr int32_t kNoOption = -1;
inline constexpr int32_t kOptionIgnoreProgramChange = 0;
inline constexpr int32_t kOptionCcMapRecallIsolate = 1;

struct ParamBinding {
    // Null name or label texts give empty strings.
    ParamBinding(int32_t id, int32_t tag, int32_t valueWord, std::atomic<float>* value, BWChunkableClass* object,
                 const char* name, const char* label, int32_t type, float randomDepth);
    // The form every binding of the instance is built with: only id, tag and
    // name differ.
    explicit ParamBinding(const BindingRow& row)
        : ParamBinding(row.id, row.tag, 1, nullptr, nullptr, row.name, nullptr, kBindingTypePlain, 0.0f) {}
    ParamBinding(const ParamBinding&) = delete;
    ParamBinding& operator=(const ParamBinding&) = delete;
    ParamBinding(ParamBinding&&) = default;
    ParamBinding& operator=(ParamBinding&&) = default;
    ~ParamBinding() = default;

    // Writes the value under the binding's name as a string value of the
    // product's settings: the bound float as "%f", or with rememberAsText the
    // name of the bound object (nothing when there is none).  Host/GUI thread.
    void rememberInSettings() const;

    bool isAction() const { return id == kActionId; }
    // The bound value (0 for an object binding).  Any thread.
    float read() const { return value ? value->load(std::memory_order_relaxed) : 0.0f; }
    bool isSwitch() const { return type == kBindingTypeSwitch; }

    int32_t id;
    int32_t tag;
    int32_t valueWord;              // 1; set again when the value is given
    std::atomic<float>* value;      // the raw value; null for an object binding
    float randomDepth;              // scales the randomiser's offset
    BWChunkableClass* object;       // the pattern object; null for a plain value
    std::unique_ptr<BindingLoadCondition> loadCondition;
    std::string name;               // host name and settings value name
    std::string label;              // unit shown after the value
    int32_t type;
    int32_t optionIndex = kNoOption;
    bool remember = false;          // survives preset loads; written to the settings at teardown
    bool rememberAsText = false;    // remember the object's name instead of the float
    bool hostPrivateProperty = false;
};
