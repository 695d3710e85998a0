#include "plugin/BindingTable.h"

#include <algorithm>
#include <array>

namespace {

constexpr BindingRow kByTag[] = {
    {0, 73, "MasterLevel"},
    {1, 137, "MasterAttack"},
    {2, 138, "MasterRelease"},
    {3, 135, "Kicklevel"},
    {4, 74, "Kicktone"},
    {5, 139, "Kick2Sidechain"},
    {6, 109, "CompressorDepth"},
    {7, 108, "CompressorSpeed"},
    {8, 31, "Osc1 TrigMode"},
    {9, 34, "Osc1 TrigEach"},
    {10, 13, "Osc1 Octave"},
    {11, 16, "Osc1 Polycrush"},
    {12, 50, "Osc1 Age"},
    {13, 18, "Osc1 Attack"},
    {14, 17, "Osc1 Decay"},
    {15, 19, "Osc1 Sustain"},
    {16, 20, "Osc1 Release"},
    {17, 30, "Osc1 Level"},
    {18, 61, "Osc1 Pan"},
    {19, 32, "Osc2 TrigMode"},
    {20, 36, "Osc2 TrigEach"},
    {21, 53, "Osc2 Ocatve"},
    {22, 56, "Osc2 Polycrush"},
    {23, 51, "Osc2 Age"},
    {24, 22, "Osc2 Attack"},
    {25, 21, "Osc2 Decay"},
    {26, 23, "Osc2 Sustain"},
    {27, 24, "Osc2 Release"},
    {28, 29, "Osc2 Level"},
    {29, 62, "Osc2 Pan"},
    {30, 33, "Osc3 TrigMode"},
    {31, 35, "Osc3 TrigEach"},
    {32, 60, "Osc3 Octave"},
    {33, 59, "Osc3 Polycrush"},
    {34, 52, "Osc3 Age"},
    {35, 47, "Osc3 Attack"},
    {36, 46, "Osc3 Deacy"},
    {37, 48, "Osc3 Sustain"},
    {38, 49, "Osc3 Release"},
    {39, 45, "Osc3 Level"},
    {40, 63, "Osc3 Pan"},
    {41, 37, "Filter TrigMode"},
    {42, 38, "Filter TrigEach"},
    {43, 69, "Filter Invert"},
    {44, 65, "FilterVoiceMode"},
    {45, 64, "Filter Age"},
    {46, 26, "Filter Attack"},
    {47, 25, "Filter Decay"},
    {48, 27, "Filter Sustain"},
    {49, 28, "Filter Release"},
    {50, 70, "Filter Cutoff"},
    {51, 7, "Filter Reso"},
    {52, 8, "Filter Peak"},
    {53, 44, "Filter Mix"},
    {54, 126, "RVS Size"},
    {55, 128, "RVS Decay"},
    {56, 129, "RVS Xfade"},
    {57, 127, "RVS Mix"},
    {58, 118, "CHS Rate"},
    {59, 119, "CHS Depth"},
    {60, 121, "CHS Shape"},
    {61, 120, "CHS Mix"},
    {62, 123, "PHS Rate"},
    {63, 124, "PHS Depth"},
    {64, 122, "PHS Feed"},
    {65, 125, "PHS Mix"},
    {66, 111, "DLY Time"},
    {67, 112, "DLY Width"},
    {68, 110, "DLY Feed"},
    {69, 117, "DLY Mix"},
    {70, 113, "RVB Size"},
    {71, 114, "RVB Width"},
    {72, 115, "RVB Damp"},
    {73, 116, "RVB Mix"},
    {74, 6, "Chord Select"},
    {75, 5, "ManualChordSel"},
    {76, 93, "ClockDivide"},
    {77, 92, "Swingfactor"},
    {78, 105, "PatternKeys"},
    {79, 95, "ChordSeqDivide"},
    {80, 12, "Glide"},
    {81, 10, "ShiftArp"},
    {82, 72, "Transpose"},
    {83, 71, "Mastertune"},
    {84, 140, "DLY16Time L"},
    {85, 141, "DLY16Time R"},
    {86, 142, "Dly Feed 16"},
    {87, 149, "B"},
    {88, 150, "B c"},
    {89, 151, "B"},
    {90, 152, "B c"},
    {91, 153, "B"},
    {92, 154, "B c"},
    {93, 146, "Random Minimal A "},
    {94, 147, "Random Maximal A "},
    {209, -1, "copy"},
    {210, -1, "paste"},
    {211, -1, "left c c c"},
    {212, -1, "right c c c"},
    {213, -1, "init"},
    {217, 11, "Arpmode"},
    {223, 39, "TieOsc1"},
    {224, 40, "TieOs2"},
    {225, 41, "TieOsc3"},
    {226, 42, "TieOsc3 c"},
    {233, 66, "AssignOsc1"},
    {234, 67, "AssignOsc2"},
    {235, 68, "AssignOsc3"},
    {236, -1, "copee"},
    {237, -1, "paste c c c c c  "},
    {238, -1, "lm1"},
    {239, -1, "rm1"},
    {240, -1, "init"},
    {243, -1, "random c"},
    {244, -1, "copy c c c c c c "},
    {245, -1, "paste c c c c c  "},
    {246, -1, "left c c c c c c "},
    {247, -1, "right c c c c c  "},
    {248, -1, "init c c c c c c "},
    {251, -1, "random c c"},
    {252, -1, "copy c c c c c c "},
    {253, -1, "paste c c c c c  "},
    {254, -1, "left c c c c c c "},
    {255, -1, "right c c c c c  "},
    {256, -1, "init c c c c c c "},
    {259, -1, "random c c"},
    {260, -1, "copy c c c c c c "},
    {261, -1, "paste c c c c c  "},
    {262, -1, "left c c c c c c "},
    {263, -1, "right c c c c c  "},
    {264, -1, "init c c c c c c "},
    {267, -1, "random c"},
    {268, -1, "copy c c c c c c "},
    {269, -1, "pastee"},
    {270, -1, "ShiftLeft"},
    {271, -1, "ShiftRight"},
    {272, -1, "init c c c c c c "},
    {275, -1, "random c"},
    {276, 94, "Clocksource"},
    {280, -1, "copy c c c c c"},
    {281, -1, "paste c c c c c"},
    {282, -1, "left c c"},
    {283, -1, "right c c"},
    {284, -1, "init c c"},
    {286, -1, "copy c c c c c c "},
    {287, -1, "paste c c c c c  "},
    {288, -1, "left c c c"},
    {289, -1, "right c c c"},
    {290, -1, "init c c c"},
    {291, -1, "copy c c c c c c "},
    {292, -1, "paste c c c c c  "},
    {293, -1, "left c c c c"},
    {294, -1, "right c c c c"},
    {295, -1, "init c c c c"},
    {296, -1, "copy c c c c c c "},
    {297, -1, "paste c c c c c  "},
    {298, -1, "left c c c c c"},
    {299, -1, "right c c c c c"},
    {300, -1, "init c c c c c"},
    {303, -1, "random"},
    {304, -1, "random c"},
    {305, -1, "random c"},
    {306, -1, "random c"},
    {307, 130, "RVSon off"},
    {308, 131, "CHSonoff"},
    {309, 132, "RVBonoff"},
    {310, 133, "PHSonoff"},
    {311, 134, "DLYonoff"},
    {312, -1, "selectpath"},
    {326, 3, "Chordlist"},
    {327, 4, "List"},
    {328, 9, "RestartArp"},
    {329, 143, "channel"},
    {330, 144, "channel"},
    {331, 145, "channel"},
    {332, 76, "List"},
    {333, 79, "List c"},
    {334, 83, "List c c"},
    {335, 86, "List c c"},
    {336, 88, "List c c c"},
    {337, 104, "Factorypatterns"},
    {339, 155, "List"},
    {341, 14, "Osc1 Sound"},
    {342, 54, "Osc2 Sound"},
    {343, 58, "Osc3 Sound"},
    {348, 77, "mdlr"},
    {349, 80, "mdlr c"},
    {350, 81, "modtrcks"},
    {351, 84, "mdlr c c"},
    {352, 87, "mdlr c c"},
    {353, 90, "mdlr c c"},
    {355, 106, "PatternOctave"},
    {358, 148, "Delay Switch"},
    {365, 43, "Filter Type"},
    {366, 91, "MouseArea"},
    {372, 136, "Zone2"},
    {373, 99, "aRP"},
    {374, 100, "tie"},
    {375, 101, "Acclr8"},
    {376, 102, "GLIDE"},
    {377, 103, "Octave"},
    {378, 15, "Rompler"},
    {379, 55, "Rompler"},
    {380, 57, "Rompler"},
    {381, 1, "EventTableXY"},
    {382, 2, "EventTableXY c"},
    {383, 75, "CUTOFF"},
    {384, 78, "CUTOFF"},
    {385, 82, "CUTOFF"},
    {386, 85, "CUTOFF"},
    {387, 89, "CUTOFF c"},
    {388, 96, "CHORD"},
    {389, 97, "GATE"},
    {390, 98, "EventTableXY"},
};
static_assert(std::size(kByTag) == kBindingCount);

// Runs of tags, as the instance declares its bindings.
struct TagRun {
    int32_t first;
    int32_t last = first;
};

constexpr TagRun kConstructionRuns[] = {
    {75}, {51}, {52}, {81}, {80}, {10, 12}, {14}, {13}, {15}, {16}, {25}, {24}, {26}, {27}, {47},
    {46}, {48}, {49}, {28}, {17}, {9}, {31}, {20}, {42}, {87, 92}, {53}, {39}, {36}, {35}, {37},
    {38}, {21, 23}, {33}, {32}, {34}, {18}, {29}, {40}, {45}, {50}, {83}, {82}, {0}, {4}, {77},
    {76}, {93}, {94}, {68}, {66}, {67}, {70, 73}, {69}, {58}, {59}, {61}, {60}, {64}, {62}, {63},
    {65}, {54}, {57}, {55}, {56}, {85}, {84}, {86}, {3}, {1}, {2}, {74}, {209, 213}, {217}, {8},
    {19}, {30}, {41}, {223, 226}, {233, 235}, {43}, {236, 240}, {243, 248}, {251, 256}, {259, 264},
    {267, 272}, {275}, {276}, {280, 284}, {286, 300}, {303, 306}, {7}, {6}, {307, 311}, {5}, {312},
    {326, 336}, {79}, {337}, {339}, {341, 343}, {44}, {348, 353}, {355}, {358}, {365}, {366}, {78},
    {372, 390},

};

constexpr const BindingRow* rowOfTag(int32_t tag) {
    for (const BindingRow& row : kByTag)
        if (row.tag == tag) return &row;
    return nullptr;
}

constexpr std::array<BindingRow, kBindingCount> constructionOrder() {
    std::array<BindingRow, kBindingCount> rows{};
    size_t count = 0;
    for (const TagRun& run : kConstructionRuns)
        for (int32_t tag = run.first; tag <= run.last; ++tag) rows.at(count++) = *rowOfTag(tag);
    if (count != rows.size()) throw "the construction order misses bindings";
    return rows;
}

constexpr std::array<BindingRow, kBindingCount> kInConstructionOrder = constructionOrder();

// Kind 0 holds every binding with an id, in construction order; kinds 1 and 2
// are disjoint parts of it in the same order.
constexpr int32_t kGlobalMembers[] = {
    5, 7, 8, 10, 12, 13, 16, 50, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 34, 35,
    36, 38, 149, 150, 151, 152, 153, 154, 44, 45, 46, 47, 48, 49, 53, 56, 51, 59, 60, 52, 61, 62,
    63, 64, 70, 71, 72, 73, 74, 92, 93, 146, 147, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119,
    120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 141, 140, 142, 135, 137, 138, 6, 11, 31, 32,
    33, 37, 39, 40, 41, 42, 66, 67, 68, 69, 94, 108, 109, 130, 131, 132, 133, 134, 139, 3, 4, 9,
    143, 144, 145, 76, 79, 83, 86, 88, 95, 104, 155, 14, 54, 58, 65, 77, 80, 81, 84, 87, 90, 106,
    148, 43, 91, 105, 136, 99, 100, 101, 102, 103, 15, 55, 57, 1, 2, 75, 78, 82, 85, 89, 96, 97,
    98,
};
constexpr int32_t kSoundMembers[] = {
    7, 8, 13, 16, 50, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 34, 35, 36, 38, 149,
    150, 151, 152, 153, 154, 44, 45, 46, 47, 48, 49, 53, 56, 51, 59, 60, 52, 61, 62, 63, 64, 70,
    110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128,
    129, 141, 140, 142, 31, 32, 33, 37, 66, 67, 68, 69, 143, 144, 145, 14, 54, 58, 65, 43, 15, 55,
    57,
};
constexpr int32_t kSequenceMembers[] = {
    5, 10, 12, 92, 93, 146, 147, 6, 11, 39, 40, 41, 42, 94, 3, 4, 9, 76, 79, 83, 86, 88, 95, 104,
    77, 80, 81, 84, 87, 90, 106, 91, 105, 136, 99, 100, 101, 102, 103, 1, 75, 78, 82, 85, 89, 96,
    97,
};
static_assert(std::size(kGlobalMembers) == 154 && std::size(kSoundMembers) == 88 &&
              std::size(kSequenceMembers) == 47);

constexpr int32_t kSwitchTags[] = {
    5, 43, 209, 210, 211, 212, 213, 217, 223, 224, 225, 226, 233, 234, 235, 236, 237, 238, 239, 240,
    243, 244, 245, 246, 247, 248, 251, 252, 253, 254, 255, 256, 259, 260, 261, 262, 263, 264, 267,
    268, 269, 270, 271, 272, 275, 276, 280, 281, 282, 283, 284, 286, 287, 288, 289, 290, 291, 292,
    293, 294, 295, 296, 297, 298, 299, 300, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312,
};

using enum BindingObjectKind;
constexpr ObjectBindingRow kObjectBindings[] = {
    {78, 105, MouseArea, 0},       // "PatternKeys"
    {365, 43, MouseArea, 1},       // "Filter Type"
    {366, 91, MouseArea, 2},       // "MouseArea"
    {372, 136, ZoneContainer, 0},  // "Zone2"
    {373, 99, StepLine, 1},        // "aRP"
    {374, 100, StepLine, 3},       // "tie"
    {375, 101, StepLine, 0},       // "Acclr8"
    {376, 102, StepLine, 4},       // "GLIDE"
    {377, 103, StepLine, 2},       // "Octave"
    {378, 15, SoundLayer, 0},      // "Rompler"
    {379, 55, SoundLayer, 1},
    {380, 57, SoundLayer, 2},
    {381, 1, PagedTable, 4},       // "EventTableXY"
    {382, 2, PagedTable, 3},       // "EventTableXY c"
    {383, 75, PagedTable, 5},      // "CUTOFF"
    {384, 78, PagedTable, 6},
    {385, 82, PagedTable, 7},
    {386, 85, PagedTable, 8},
    {387, 89, PagedTable, 9},      // "CUTOFF c"
    {388, 96, PagedTable, 0},      // "CHORD"
    {389, 97, PagedTable, 2},      // "GATE"
    {390, 98, PagedTable, 1},      // "EventTableXY"
};

constexpr DefaultRow kHostDefaults[] = {
    {0, 73, 0.5098f},
    {1, 137, 0.0f},
    {2, 138, 0.21f},
    {3, 135, 1.0f},
    {4, 74, 0.7597f},
    {5, 139, 0.0f},
    {6, 109, 0.4f},
    {7, 108, 0.8f},
    {8, 31, 0.0f},
    {9, 34, 1.0f},
    {10, 13, 0.75f},
    {11, 16, 0.7299f},
    {12, 50, 0.08f},
    {13, 18, 0.5697f},
    {14, 17, 0.3398f},
    {15, 19, 0.0f},
    {16, 20, 0.0f},
    {17, 30, 0.51f},
    {18, 61, 0.3299f},
    {19, 32, 0.0f},
    {20, 36, 1.0f},
    {21, 53, 0.75f},
    {22, 56, 0.8196f},
    {23, 51, 0.0f},
    {24, 22, 0.0f},
    {25, 21, 0.0326f},
    {26, 23, 1.0f},
    {27, 24, 0.0f},
    {28, 29, 0.9296f},
    {29, 62, 0.48f},
    {30, 33, 0.0f},
    {31, 35, 1.0f},
    {32, 60, 0.5f},
    {33, 59, 0.0f},
    {34, 52, 0.0f},
    {35, 47, 0.5299f},
    {36, 46, 0.0898f},
    {37, 48, 1.0f},
    {38, 49, 0.0f},
    {39, 45, 0.1797f},
    {40, 63, 0.5098f},
    {41, 37, 0.6666667f},
    {42, 38, 0.285714f},
    {43, 69, 0.0f},
    {44, 65, 0.0f},
    {45, 64, 1.0f},
    {46, 26, 0.5798f},
    {47, 25, 0.0999f},
    {48, 27, 0.4698f},
    {49, 28, 0.4497f},
    {50, 70, 0.3798f},
    {51, 7, 0.9999f},
    {52, 8, 0.1498f},
    {53, 44, 0.999794f},
    {54, 126, 0.0f},
    {55, 128, 0.219875f},
    {56, 129, 0.5399f},
    {57, 127, 0.25f},
    {58, 118, 0.5f},
    {59, 119, 0.5496f},
    {60, 121, 0.3599f},
    {61, 120, 0.28f},
    {62, 123, 0.469867f},
    {63, 124, 0.7899f},
    {64, 122, 0.1885f},
    {65, 125, 1.0f},
    {66, 111, 1.0f},
    {67, 112, 0.1894f},
    {68, 110, 0.7292f},
    {69, 117, 0.24f},
    {70, 113, 0.0f},
    {71, 114, 0.2395f},
    {72, 115, 0.4499f},
    {73, 116, 0.2699f},
    {74, 6, 0.0f},  // "Chord Select": from the settings
    {75, 5, 0.0f},
    {76, 93, 1.0f},
    {77, 92, 0.7299f},
    {78, 105, 0.0f},  // "PatternKeys": an object binding
    {79, 95, 0.33333334f},
    {80, 12, 0.998889f},
    {81, 10, 0.0f},
    {82, 72, 0.5f},
    {83, 71, 0.5f},
    {84, 140, 0.3899f},
    {85, 141, 0.5499f},
    {86, 142, 0.1998f},
};
static_assert(std::size(kHostDefaults) == kHostParameterCount);

constexpr DefaultRow kFurtherDefaults[] = {
    {88, 150, 1.0f},        // "B c"
    {90, 152, 0.370079f},   // "B c"
    {92, 154, 1.0f},        // "B c"
    {93, 146, 0.7816f},     // "Random Minimal A "
    {94, 147, 0.3057f},     // "Random Maximal A "
    {217, 11, 0.5f},        // "Arpmode"
    {226, 42, 0.5f},        // "TieOsc3 c"
    {234, 67, 0.5f},        // "AssignOsc2"
    {276, 94, 0.5f},        // "Clocksource"
    {330, 144, 0.0625f},    // the second "channel"
};

constexpr int32_t kHighestId = 155;

constexpr std::array<int16_t, kHighestId + 1> indexById() {
    std::array<int16_t, kHighestId + 1> index{};
    index.fill(-1);
    for (size_t i = 0; i < std::size(kByTag); ++i)
        if (kByTag[i].id != kActionId) index.at(static_cast<size_t>(kByTag[i].id)) = static_cast<int16_t>(i);
    return index;
}

constexpr std::array<int16_t, kHighestId + 1> kIndexById = indexById();

template <typename Row>
const Row* findByTag(std::span<const Row> rows, int32_t tag) {
    auto it = std::lower_bound(rows.begin(), rows.end(), tag,
                               [](const Row& row, int32_t wanted) { return row.tag < wanted; });
    return it != rows.end() && it->tag == tag ? &*it : nullptr;
}

}  // namespace

std::span<const BindingRow> bindingsByTag() { return kByTag; }
std::span<const BindingRow> bindingsInConstructionOrder() { return kInConstructionOrder; }

const BindingRow* findBindingByTag(int32_t tag) { return findByTag(bindingsByTag(), tag); }

const BindingRow* findBindingById(int32_t id) {
    if (id < 0 || id > kHighestId || kIndexById[static_cast<size_t>(id)] < 0) return nullptr;
    return &kByTag[kIndexById[static_cast<size_t>(id)]];
}

std::span<const int32_t> presetKindMemberIds(int32_t kind) {
    switch (kind) {
    case kPresetKindGlobal: return kGlobalMembers;
    case kPresetKindSound: return kSoundMembers;
    case kPresetKindSequence: return kSequenceMembers;
    default: return {};
    }
}

std::span<const int32_t> switchTags() { return kSwitchTags; }

bool isSwitchTag(int32_t tag) { return std::binary_search(std::begin(kSwitchTags), std::end(kSwitchTags), tag); }

std::span<const ObjectBindingRow> objectBindings() { return kObjectBindings; }

const ObjectBindingRow* findObjectBinding(int32_t tag) { return findByTag(objectBindings(), tag); }

std::span<const DefaultRow> hostParameterDefaults() { return kHostDefaults; }
std::span<const DefaultRow> furtherNonZeroDefaults() { return kFurtherDefaults; }

float factoryDefault(int32_t tag) {
    if (tag >= 0 && tag < kHostParameterCount) return kHostDefaults[tag].value;
    const DefaultRow* row = findByTag(furtherNonZeroDefaults(), tag);
    return row ? row->value : 0.0f;
}
