#pragma once
// The instance's 214 parameter bindings as data: tag, persistent id and name
// of each, in the order the instance builds them, with the member lists of
// the three preset kinds, the switches, the object bindings and the factory
// defaults.  Names are used exactly as they stand, blanks included: they are
// the host's parameter names and the names of remembered settings values.
// Ids are part of the preset format.  Constant data; any thread.

#include <cstdint>
#include <span>

#include "plugin/ParameterTags.h"

inline constexpr int32_t kBindingCount = 214;
inline constexpr int32_t kHostParameterCount = Tag::Dly16Feed + 1;  // tags 0 to 86
inline constexpr int32_t kHighestBindingTag = Tag::FactoryPatternTable;
inline constexpr int32_t kActionId = -1;             // an interface action, never stored

// The one remembered binding: kept across preset loads, its value written to
// the settings under its name at teardown and read back at start.
inline constexpr int32_t kChordSelectTag = Tag::ChordSelect;

struct BindingRow {
    int32_t tag;
    int32_t id;  // kActionId for an interface action
    const char* name;
    int32_t steps = 0;  // how many choices the value selects; 0: continuous
};

// Ascending tags.
std::span<const BindingRow> bindingsByTag();
// The order in which the instance constructs (and registers) its bindings.
std::span<const BindingRow> bindingsInConstructionOrder();

// Null when no binding has that tag, or (for findBindingById) for kActionId.
const BindingRow* findBindingByTag(int32_t tag);
const BindingRow* findBindingById(int32_t id);
// The choices a stepped index selects (a binding's steps, or those of a
// stepped index without one); 0 for a continuous value or no index.
int32_t stepCount(int32_t tag);

// Preset kinds and the ids their presets store, in stored order.
enum PresetKind : int32_t {
    kPresetKindGlobal = 0,    // also the host's state chunk and whole-state undo
    kPresetKindSound = 1,
    kPresetKindSequence = 2,
};
inline constexpr int32_t kPresetKindCount = 3;
// Empty for a kind outside 0 to 2.
std::span<const int32_t> presetKindMemberIds(int32_t kind);

// Tags whose binding is an on/off switch (type 2): every action and a few
// values.  Ascending.
std::span<const int32_t> switchTags();
bool isSwitchTag(int32_t tag);

// What holds the value of a binding that is not a plain float.
enum class BindingObjectKind : int32_t {
    MouseArea,      // index 0 to 2, in the order the instance builds the mouse areas
    ZoneContainer,  // index 0
    StepLine,       // index 0 to 4: step grids 1 to 5
    SoundLayer,     // index 0 to 2: the layer handlers of layers 1 to 3
    PagedTable,     // index 0 to 9: lanes 1 to 10
};

struct ObjectBindingRow {
    int32_t tag;
    int32_t id;
    BindingObjectKind kind;
    int32_t index;
};

// The 22 object bindings, ascending tags.
std::span<const ObjectBindingRow> objectBindings();
const ObjectBindingRow* findObjectBinding(int32_t tag);

// Factory defaults of value bindings.  The host table holds every host
// parameter; "Chord Select" reads 0 here (its start value comes from the
// settings) and "PatternKeys" 0 (an object binding).
struct DefaultRow {
    int32_t tag;
    int32_t id;
    float value;
};
std::span<const DefaultRow> hostParameterDefaults();      // tags 0 to 86, in order
std::span<const DefaultRow> furtherNonZeroDefaults();     // value bindings above 86 that start off 0
// The factory default of the binding with that tag; 0 for any other tag.
float factoryDefault(int32_t tag);
