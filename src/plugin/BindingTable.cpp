#include "plugin/BindingTable.h"

#include <algorithm>
#include <array>

namespace {

constexpr BindingRow kByTag[] = {
    {Tag::MasterLevel, 73, "MasterLevel"},
    {Tag::MasterAttack, 137, "MasterAttack"},
    {Tag::MasterRelease, 138, "MasterRelease"},
    {Tag::KickLevel, 135, "Kicklevel"},
    {Tag::KickTone, 74, "Kicktone"},
    {Tag::KickToSidechain, 139, "Kick2Sidechain"},
    {Tag::CompressorDepth, 109, "CompressorDepth", 5},
    {Tag::CompressorSpeed, 108, "CompressorSpeed", 5},
    {Tag::Osc1TrigMode, 31, "Osc1 TrigMode", 3},
    {Tag::Osc1TrigEach, 34, "Osc1 TrigEach"},
    {Tag::Osc1Octave, 13, "Osc1 Octave"},
    {Tag::Osc1Polycrush, 16, "Osc1 Polycrush"},
    {Tag::Osc1Age, 50, "Osc1 Age"},
    {Tag::Osc1Attack, 18, "Osc1 Attack"},
    {Tag::Osc1Decay, 17, "Osc1 Decay"},
    {Tag::Osc1Sustain, 19, "Osc1 Sustain"},
    {Tag::Osc1Release, 20, "Osc1 Release"},
    {Tag::Osc1Level, 30, "Osc1 Level"},
    {Tag::Osc1Pan, 61, "Osc1 Pan"},
    {Tag::Osc2TrigMode, 32, "Osc2 TrigMode", 3},
    {Tag::Osc2TrigEach, 36, "Osc2 TrigEach"},
    {Tag::Osc2Octave, 53, "Osc2 Ocatve"},
    {Tag::Osc2Polycrush, 56, "Osc2 Polycrush"},
    {Tag::Osc2Age, 51, "Osc2 Age"},
    {Tag::Osc2Attack, 22, "Osc2 Attack"},
    {Tag::Osc2Decay, 21, "Osc2 Decay"},
    {Tag::Osc2Sustain, 23, "Osc2 Sustain"},
    {Tag::Osc2Release, 24, "Osc2 Release"},
    {Tag::Osc2Level, 29, "Osc2 Level"},
    {Tag::Osc2Pan, 62, "Osc2 Pan"},
    {Tag::Osc3TrigMode, 33, "Osc3 TrigMode", 3},
    {Tag::Osc3TrigEach, 35, "Osc3 TrigEach"},
    {Tag::Osc3Octave, 60, "Osc3 Octave"},
    {Tag::Osc3Polycrush, 59, "Osc3 Polycrush"},
    {Tag::Osc3Age, 52, "Osc3 Age"},
    {Tag::Osc3Attack, 47, "Osc3 Attack"},
    {Tag::Osc3Decay, 46, "Osc3 Deacy"},
    {Tag::Osc3Sustain, 48, "Osc3 Sustain"},
    {Tag::Osc3Release, 49, "Osc3 Release"},
    {Tag::Osc3Level, 45, "Osc3 Level"},
    {Tag::Osc3Pan, 63, "Osc3 Pan"},
    {Tag::FilterTrigMode, 37, "Filter TrigMode", 3},
    {Tag::FilterTrigEach, 38, "Filter TrigEach"},
    {Tag::FilterInvert, 69, "Filter Invert"},
    {Tag::FilterVoiceMode, 65, "FilterVoiceMode"},
    {Tag::FilterAge, 64, "Filter Age"},
    {Tag::FilterAttack, 26, "Filter Attack"},
    {Tag::FilterDecay, 25, "Filter Decay"},
    {Tag::FilterSustain, 27, "Filter Sustain"},
    {Tag::FilterRelease, 28, "Filter Release"},
    {Tag::FilterCutoff, 70, "Filter Cutoff"},
    {Tag::FilterReso, 7, "Filter Reso"},
    {Tag::FilterPeak, 8, "Filter Peak"},
    {Tag::FilterMix, 44, "Filter Mix"},
    {Tag::RvsSize, 126, "RVS Size"},
    {Tag::RvsDecay, 128, "RVS Decay"},
    {Tag::RvsXfade, 129, "RVS Xfade"},
    {Tag::RvsMix, 127, "RVS Mix"},
    {Tag::ChsRate, 118, "CHS Rate"},
    {Tag::ChsDepth, 119, "CHS Depth"},
    {Tag::ChsShape, 121, "CHS Shape"},
    {Tag::ChsMix, 120, "CHS Mix"},
    {Tag::PhsRate, 123, "PHS Rate"},
    {Tag::PhsDepth, 124, "PHS Depth"},
    {Tag::PhsFeed, 122, "PHS Feed"},
    {Tag::PhsMix, 125, "PHS Mix"},
    {Tag::DlyTime, 111, "DLY Time"},
    {Tag::DlyWidth, 112, "DLY Width"},
    {Tag::DlyFeed, 110, "DLY Feed"},
    {Tag::DlyMix, 117, "DLY Mix"},
    {Tag::RvbSize, 113, "RVB Size"},
    {Tag::RvbWidth, 114, "RVB Width"},
    {Tag::RvbDamp, 115, "RVB Damp"},
    {Tag::RvbMix, 116, "RVB Mix"},
    {Tag::ChordSelect, 6, "Chord Select", 3},
    {Tag::ManualChordSel, 5, "ManualChordSel"},
    {Tag::ClockDivide, 93, "ClockDivide"},
    {Tag::Swingfactor, 92, "Swingfactor"},
    {Tag::PatternKeys, 105, "PatternKeys"},
    {Tag::ChordSeqDivide, 95, "ChordSeqDivide", 3},
    {Tag::Glide, 12, "Glide"},
    {Tag::ShiftArp, 10, "ShiftArp"},
    {Tag::Transpose, 72, "Transpose"},
    {Tag::Mastertune, 71, "Mastertune"},
    {Tag::Dly16TimeL, 140, "DLY16Time L"},
    {Tag::Dly16TimeR, 141, "DLY16Time R"},
    {Tag::Dly16Feed, 142, "Dly Feed 16"},
    {Tag::Osc1KeyA, 149, "B"},
    {Tag::Osc1KeyB, 150, "B c"},
    {Tag::Osc2KeyA, 151, "B"},
    {Tag::Osc2KeyB, 152, "B c"},
    {Tag::Osc3KeyA, 153, "B"},
    {Tag::Osc3KeyB, 154, "B c"},
    {Tag::RandomMinimal, 146, "Random Minimal A "},
    {Tag::RandomMaximal, 147, "Random Maximal A "},
    {Tag::EventTableCopy, -1, "copy"},
    {Tag::EventTablePaste, -1, "paste"},
    {Tag::EventTableLeft, -1, "left c c c"},
    {Tag::EventTableRight, -1, "right c c c"},
    {Tag::EventTableInit, -1, "init"},
    {Tag::Arpmode, 11, "Arpmode"},
    {Tag::TieOsc1, 39, "TieOsc1"},
    {Tag::TieOsc2, 40, "TieOs2"},
    {Tag::TieOsc3, 41, "TieOsc3"},
    {Tag::TieExtra, 42, "TieOsc3 c"},
    {Tag::AssignOsc1, 66, "AssignOsc1"},
    {Tag::AssignOsc2, 67, "AssignOsc2"},
    {Tag::AssignOsc3, 68, "AssignOsc3"},
    {Tag::Lane1Copy, -1, "copee"},
    {Tag::Lane1Paste, -1, "paste c c c c c  "},
    {Tag::Lane1Left, -1, "lm1"},
    {Tag::Lane1Right, -1, "rm1"},
    {Tag::Lane1Init, -1, "init"},
    {Tag::Lane1Random, -1, "random c"},
    {Tag::Lane2Copy, -1, "copy c c c c c c "},
    {Tag::Lane2Paste, -1, "paste c c c c c  "},
    {Tag::Lane2Left, -1, "left c c c c c c "},
    {Tag::Lane2Right, -1, "right c c c c c  "},
    {Tag::Lane2Init, -1, "init c c c c c c "},
    {Tag::Lane2Random, -1, "random c c"},
    {Tag::Lane3Copy, -1, "copy c c c c c c "},
    {Tag::Lane3Paste, -1, "paste c c c c c  "},
    {Tag::Lane3Left, -1, "left c c c c c c "},
    {Tag::Lane3Right, -1, "right c c c c c  "},
    {Tag::Lane3Init, -1, "init c c c c c c "},
    {Tag::Lane3Random, -1, "random c c"},
    {Tag::Lane4Copy, -1, "copy c c c c c c "},
    {Tag::Lane4Paste, -1, "paste c c c c c  "},
    {Tag::Lane4Left, -1, "left c c c c c c "},
    {Tag::Lane4Right, -1, "right c c c c c  "},
    {Tag::Lane4Init, -1, "init c c c c c c "},
    {Tag::Lane4Random, -1, "random c"},
    {Tag::Lane5Copy, -1, "copy c c c c c c "},
    {Tag::Lane5Paste, -1, "pastee"},
    {Tag::Lane5Left, -1, "ShiftLeft"},
    {Tag::Lane5Right, -1, "ShiftRight"},
    {Tag::Lane5Init, -1, "init c c c c c c "},
    {Tag::Lane5Random, -1, "random c"},
    {Tag::Clocksource, 94, "Clocksource"},
    {Tag::PatternCopy, -1, "copy c c c c c"},
    {Tag::PatternPaste, -1, "paste c c c c c"},
    {Tag::PatternLeft, -1, "left c c"},
    {Tag::PatternRight, -1, "right c c"},
    {Tag::PatternInit, -1, "init c c"},
    {Tag::GateTableCopy, -1, "copy c c c c c c "},
    {Tag::GateTablePaste, -1, "paste c c c c c  "},
    {Tag::GateTableLeft, -1, "left c c c"},
    {Tag::GateTableRight, -1, "right c c c"},
    {Tag::GateTableInit, -1, "init c c c"},
    {Tag::StepLinesCopy, -1, "copy c c c c c c "},
    {Tag::StepLinesPaste, -1, "paste c c c c c  "},
    {Tag::StepLinesLeft, -1, "left c c c c"},
    {Tag::StepLinesRight, -1, "right c c c c"},
    {Tag::StepLinesInit, -1, "init c c c c"},
    {Tag::ChordTableCopy, -1, "copy c c c c c c "},
    {Tag::ChordTablePaste, -1, "paste c c c c c  "},
    {Tag::ChordTableLeft, -1, "left c c c c c"},
    {Tag::ChordTableRight, -1, "right c c c c c"},
    {Tag::ChordTableInit, -1, "init c c c c c"},
    {Tag::StepLinesRandom, -1, "random"},
    {Tag::GateTableRandom, -1, "random c"},
    {Tag::ChordTableRandom, -1, "random c"},
    {Tag::PatternRandom, -1, "random c"},
    {Tag::RvsOnOff, 130, "RVSon off"},
    {Tag::ChsOnOff, 131, "CHSonoff"},
    {Tag::RvbOnOff, 132, "RVBonoff"},
    {Tag::PhsOnOff, 133, "PHSonoff"},
    {Tag::DlyOnOff, 134, "DLYonoff"},
    {Tag::SelectPath, -1, "selectpath"},
    {Tag::Chordlist, 3, "Chordlist", 8},
    {Tag::ChordListRotation, 4, "List", 12},
    {Tag::RestartArp, 9, "RestartArp", 6},
    {Tag::Osc1Channel, 143, "channel", 16},
    {Tag::Osc2Channel, 144, "channel", 16},
    {Tag::Osc3Channel, 145, "channel", 16},
    {Tag::Lane1Row, 76, "List", 10},
    {Tag::Lane2Row, 79, "List c", 10},
    {Tag::Lane3Row, 83, "List c c", 10},
    {Tag::Lane4Row, 86, "List c c", 10},
    {Tag::Lane5Row, 88, "List c c c", 6},
    {Tag::Factorypatterns, 104, "Factorypatterns", 8},
    {Tag::ExportLength, 155, "List", 14},
    {Tag::Osc1Sound, 14, "Osc1 Sound"},
    {Tag::Osc2Sound, 54, "Osc2 Sound"},
    {Tag::Osc3Sound, 58, "Osc3 Sound"},
    {Tag::ModulationPage1, 77, "mdlr"},
    {Tag::ModulationPage2, 80, "mdlr c"},
    {Tag::ModulationTracks, 81, "modtrcks", 5},
    {Tag::ModulationPage3, 84, "mdlr c c"},
    {Tag::ModulationPage4, 87, "mdlr c c"},
    {Tag::ModulationPage5, 90, "mdlr c c"},
    {Tag::PatternOctave, 106, "PatternOctave"},
    {Tag::DelaySwitch, 148, "Delay Switch"},
    {Tag::FilterType, 43, "Filter Type"},
    {Tag::ModulationTrackArea, 91, "MouseArea"},
    {Tag::Zone2, 136, "Zone2"},
    {Tag::StepEntryArp, 99, "aRP"},
    {Tag::StepEntryTie, 100, "tie"},
    {Tag::StepEntryAccent, 101, "Acclr8"},
    {Tag::StepEntryGlide, 102, "GLIDE"},
    {Tag::StepEntryOctave, 103, "Octave"},
    {Tag::Rompler1, 15, "Rompler"},
    {Tag::Rompler2, 55, "Rompler"},
    {Tag::Rompler3, 57, "Rompler"},
    {Tag::EventTableXY, 1, "EventTableXY"},
    {Tag::EventTableXYc, 2, "EventTableXY c"},
    {Tag::Cutoff1, 75, "CUTOFF"},
    {Tag::Cutoff2, 78, "CUTOFF"},
    {Tag::Cutoff3, 82, "CUTOFF"},
    {Tag::Cutoff4, 85, "CUTOFF"},
    {Tag::Cutoff5, 89, "CUTOFF c"},
    {Tag::ChordTable, 96, "CHORD"},
    {Tag::GateTable, 97, "GATE"},
    {Tag::FactoryPatternTable, 98, "EventTableXY"},
};
static_assert(std::size(kByTag) == kBindingCount);

// Each tag once, in ascending order: a name of ParameterTags.h that points
// at another binding's number breaks the order and fails here.
constexpr bool strictlyAscending() {
    for (size_t i = 1; i < std::size(kByTag); ++i)
        if (kByTag[i].tag <= kByTag[i - 1].tag) return false;
    return true;
}
static_assert(strictlyAscending(), "the binding table's tags must ascend");

// Runs of tags, as the instance declares its bindings.
struct TagRun {
    int32_t first;
    int32_t last = first;
};

constexpr TagRun kConstructionRuns[] = {
    {Tag::ManualChordSel}, {Tag::FilterReso}, {Tag::FilterPeak}, {Tag::ShiftArp}, {Tag::Glide}, {Tag::Osc1Octave,
    Tag::Osc1Age}, {Tag::Osc1Decay}, {Tag::Osc1Attack}, {Tag::Osc1Sustain}, {Tag::Osc1Release}, {Tag::Osc2Decay},
    {Tag::Osc2Attack}, {Tag::Osc2Sustain}, {Tag::Osc2Release}, {Tag::FilterDecay}, {Tag::FilterAttack},
    {Tag::FilterSustain}, {Tag::FilterRelease}, {Tag::Osc2Level}, {Tag::Osc1Level}, {Tag::Osc1TrigEach},
    {Tag::Osc3TrigEach}, {Tag::Osc2TrigEach}, {Tag::FilterTrigEach}, {Tag::Osc1KeyA, Tag::Osc3KeyB},
    {Tag::FilterMix}, {Tag::Osc3Level}, {Tag::Osc3Decay}, {Tag::Osc3Attack}, {Tag::Osc3Sustain}, {Tag::Osc3Release},
    {Tag::Osc2Octave, Tag::Osc2Age}, {Tag::Osc3Polycrush}, {Tag::Osc3Octave}, {Tag::Osc3Age}, {Tag::Osc1Pan},
    {Tag::Osc2Pan}, {Tag::Osc3Pan}, {Tag::FilterAge}, {Tag::FilterCutoff}, {Tag::Mastertune}, {Tag::Transpose},
    {Tag::MasterLevel}, {Tag::KickTone}, {Tag::Swingfactor}, {Tag::ClockDivide}, {Tag::RandomMinimal},
    {Tag::RandomMaximal}, {Tag::DlyFeed}, {Tag::DlyTime}, {Tag::DlyWidth}, {Tag::RvbSize, Tag::RvbMix},
    {Tag::DlyMix}, {Tag::ChsRate}, {Tag::ChsDepth}, {Tag::ChsMix}, {Tag::ChsShape}, {Tag::PhsFeed}, {Tag::PhsRate},
    {Tag::PhsDepth}, {Tag::PhsMix}, {Tag::RvsSize}, {Tag::RvsMix}, {Tag::RvsDecay}, {Tag::RvsXfade},
    {Tag::Dly16TimeR}, {Tag::Dly16TimeL}, {Tag::Dly16Feed}, {Tag::KickLevel}, {Tag::MasterAttack},
    {Tag::MasterRelease}, {Tag::ChordSelect}, {Tag::EventTableCopy, Tag::EventTableInit}, {Tag::Arpmode},
    {Tag::Osc1TrigMode}, {Tag::Osc2TrigMode}, {Tag::Osc3TrigMode}, {Tag::FilterTrigMode}, {Tag::TieOsc1,
    Tag::TieExtra}, {Tag::AssignOsc1, Tag::AssignOsc3}, {Tag::FilterInvert}, {Tag::Lane1Copy, Tag::Lane1Init},
    {Tag::Lane1Random, Tag::Lane2Init}, {Tag::Lane2Random, Tag::Lane3Init}, {Tag::Lane3Random, Tag::Lane4Init},
    {Tag::Lane4Random, Tag::Lane5Init}, {Tag::Lane5Random}, {Tag::Clocksource}, {Tag::PatternCopy,
    Tag::PatternInit}, {Tag::GateTableCopy, Tag::ChordTableInit}, {Tag::StepLinesRandom, Tag::PatternRandom},
    {Tag::CompressorSpeed}, {Tag::CompressorDepth}, {Tag::RvsOnOff, Tag::DlyOnOff}, {Tag::KickToSidechain},
    {Tag::SelectPath}, {Tag::Chordlist, Tag::Lane5Row}, {Tag::ChordSeqDivide}, {Tag::Factorypatterns},
    {Tag::ExportLength}, {Tag::Osc1Sound, Tag::Osc3Sound}, {Tag::FilterVoiceMode}, {Tag::ModulationPage1,
    Tag::ModulationPage5}, {Tag::PatternOctave}, {Tag::DelaySwitch}, {Tag::FilterType}, {Tag::ModulationTrackArea},
    {Tag::PatternKeys}, {Tag::Zone2, Tag::FactoryPatternTable},
};

// The stepped indices that have no binding: the layers' selectors and the
// filter type's slots.
struct StepRow {
    int32_t tag;
    int32_t steps;
};
constexpr StepRow kUnboundSteps[] = {
    {Tag::Osc1SelectorA, 5},     {Tag::Osc1SelectorB, 5},     {Tag::Osc2SelectorA, 5},
    {Tag::Osc2SelectorB, 5},     {Tag::Osc3SelectorA, 5},     {Tag::Osc3SelectorB, 5},
    {Tag::FilterTypeSourceA, 5}, {Tag::FilterTypeSourceB, 5}, {Tag::FilterTypeSelectorC, 5},
    {Tag::FilterTypeSelectorD, 5},
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
    Tag::KickToSidechain, Tag::FilterInvert, Tag::EventTableCopy, Tag::EventTablePaste, Tag::EventTableLeft,
    Tag::EventTableRight, Tag::EventTableInit, Tag::Arpmode, Tag::TieOsc1, Tag::TieOsc2, Tag::TieOsc3,
    Tag::TieExtra, Tag::AssignOsc1, Tag::AssignOsc2, Tag::AssignOsc3, Tag::Lane1Copy, Tag::Lane1Paste,
    Tag::Lane1Left, Tag::Lane1Right, Tag::Lane1Init, Tag::Lane1Random, Tag::Lane2Copy, Tag::Lane2Paste,
    Tag::Lane2Left, Tag::Lane2Right, Tag::Lane2Init, Tag::Lane2Random, Tag::Lane3Copy, Tag::Lane3Paste,
    Tag::Lane3Left, Tag::Lane3Right, Tag::Lane3Init, Tag::Lane3Random, Tag::Lane4Copy, Tag::Lane4Paste,
    Tag::Lane4Left, Tag::Lane4Right, Tag::Lane4Init, Tag::Lane4Random, Tag::Lane5Copy, Tag::Lane5Paste,
    Tag::Lane5Left, Tag::Lane5Right, Tag::Lane5Init, Tag::Lane5Random, Tag::Clocksource, Tag::PatternCopy,
    Tag::PatternPaste, Tag::PatternLeft, Tag::PatternRight, Tag::PatternInit, Tag::GateTableCopy,
    Tag::GateTablePaste, Tag::GateTableLeft, Tag::GateTableRight, Tag::GateTableInit, Tag::StepLinesCopy,
    Tag::StepLinesPaste, Tag::StepLinesLeft, Tag::StepLinesRight, Tag::StepLinesInit, Tag::ChordTableCopy,
    Tag::ChordTablePaste, Tag::ChordTableLeft, Tag::ChordTableRight, Tag::ChordTableInit, Tag::StepLinesRandom,
    Tag::GateTableRandom, Tag::ChordTableRandom, Tag::PatternRandom, Tag::RvsOnOff, Tag::ChsOnOff, Tag::RvbOnOff,
    Tag::PhsOnOff, Tag::DlyOnOff, Tag::SelectPath,
};

using enum BindingObjectKind;
constexpr ObjectBindingRow kObjectBindings[] = {
    {Tag::PatternKeys, 105, MouseArea, 0},  // "PatternKeys"
    {Tag::FilterType, 43, MouseArea, 1},  // "Filter Type"
    {Tag::ModulationTrackArea, 91, MouseArea, 2},  // "MouseArea"
    {Tag::Zone2, 136, ZoneContainer, 0},  // "Zone2"
    {Tag::StepEntryArp, 99, StepLine, 1},  // "aRP"
    {Tag::StepEntryTie, 100, StepLine, 3},  // "tie"
    {Tag::StepEntryAccent, 101, StepLine, 0},  // "Acclr8"
    {Tag::StepEntryGlide, 102, StepLine, 4},  // "GLIDE"
    {Tag::StepEntryOctave, 103, StepLine, 2},  // "Octave"
    {Tag::Rompler1, 15, SoundLayer, 0},  // "Rompler"
    {Tag::Rompler2, 55, SoundLayer, 1},
    {Tag::Rompler3, 57, SoundLayer, 2},
    {Tag::EventTableXY, 1, PagedTable, 4},  // "EventTableXY"
    {Tag::EventTableXYc, 2, PagedTable, 3},  // "EventTableXY c"
    {Tag::Cutoff1, 75, PagedTable, 5},  // "CUTOFF"
    {Tag::Cutoff2, 78, PagedTable, 6},
    {Tag::Cutoff3, 82, PagedTable, 7},
    {Tag::Cutoff4, 85, PagedTable, 8},
    {Tag::Cutoff5, 89, PagedTable, 9},  // "CUTOFF c"
    {Tag::ChordTable, 96, PagedTable, 0},  // "CHORD"
    {Tag::GateTable, 97, PagedTable, 2},  // "GATE"
    {Tag::FactoryPatternTable, 98, PagedTable, 1},  // "EventTableXY"
};

constexpr DefaultRow kHostDefaults[] = {
    {Tag::MasterLevel, 73, 0.5098f},
    {Tag::MasterAttack, 137, 0.0f},
    {Tag::MasterRelease, 138, 0.21f},
    {Tag::KickLevel, 135, 1.0f},
    {Tag::KickTone, 74, 0.7597f},
    {Tag::KickToSidechain, 139, 0.0f},
    {Tag::CompressorDepth, 109, 0.4f},
    {Tag::CompressorSpeed, 108, 0.8f},
    {Tag::Osc1TrigMode, 31, 0.0f},
    {Tag::Osc1TrigEach, 34, 1.0f},
    {Tag::Osc1Octave, 13, 0.75f},
    {Tag::Osc1Polycrush, 16, 0.7299f},
    {Tag::Osc1Age, 50, 0.08f},
    {Tag::Osc1Attack, 18, 0.5697f},
    {Tag::Osc1Decay, 17, 0.3398f},
    {Tag::Osc1Sustain, 19, 0.0f},
    {Tag::Osc1Release, 20, 0.0f},
    {Tag::Osc1Level, 30, 0.51f},
    {Tag::Osc1Pan, 61, 0.3299f},
    {Tag::Osc2TrigMode, 32, 0.0f},
    {Tag::Osc2TrigEach, 36, 1.0f},
    {Tag::Osc2Octave, 53, 0.75f},
    {Tag::Osc2Polycrush, 56, 0.8196f},
    {Tag::Osc2Age, 51, 0.0f},
    {Tag::Osc2Attack, 22, 0.0f},
    {Tag::Osc2Decay, 21, 0.0326f},
    {Tag::Osc2Sustain, 23, 1.0f},
    {Tag::Osc2Release, 24, 0.0f},
    {Tag::Osc2Level, 29, 0.9296f},
    {Tag::Osc2Pan, 62, 0.48f},
    {Tag::Osc3TrigMode, 33, 0.0f},
    {Tag::Osc3TrigEach, 35, 1.0f},
    {Tag::Osc3Octave, 60, 0.5f},
    {Tag::Osc3Polycrush, 59, 0.0f},
    {Tag::Osc3Age, 52, 0.0f},
    {Tag::Osc3Attack, 47, 0.5299f},
    {Tag::Osc3Decay, 46, 0.0898f},
    {Tag::Osc3Sustain, 48, 1.0f},
    {Tag::Osc3Release, 49, 0.0f},
    {Tag::Osc3Level, 45, 0.1797f},
    {Tag::Osc3Pan, 63, 0.5098f},
    {Tag::FilterTrigMode, 37, 0.6666667f},
    {Tag::FilterTrigEach, 38, 0.285714f},
    {Tag::FilterInvert, 69, 0.0f},
    {Tag::FilterVoiceMode, 65, 0.0f},
    {Tag::FilterAge, 64, 1.0f},
    {Tag::FilterAttack, 26, 0.5798f},
    {Tag::FilterDecay, 25, 0.0999f},
    {Tag::FilterSustain, 27, 0.4698f},
    {Tag::FilterRelease, 28, 0.4497f},
    {Tag::FilterCutoff, 70, 0.3798f},
    {Tag::FilterReso, 7, 0.9999f},
    {Tag::FilterPeak, 8, 0.1498f},
    {Tag::FilterMix, 44, 0.999794f},
    {Tag::RvsSize, 126, 0.0f},
    {Tag::RvsDecay, 128, 0.219875f},
    {Tag::RvsXfade, 129, 0.5399f},
    {Tag::RvsMix, 127, 0.25f},
    {Tag::ChsRate, 118, 0.5f},
    {Tag::ChsDepth, 119, 0.5496f},
    {Tag::ChsShape, 121, 0.3599f},
    {Tag::ChsMix, 120, 0.28f},
    {Tag::PhsRate, 123, 0.469867f},
    {Tag::PhsDepth, 124, 0.7899f},
    {Tag::PhsFeed, 122, 0.1885f},
    {Tag::PhsMix, 125, 1.0f},
    {Tag::DlyTime, 111, 1.0f},
    {Tag::DlyWidth, 112, 0.1894f},
    {Tag::DlyFeed, 110, 0.7292f},
    {Tag::DlyMix, 117, 0.24f},
    {Tag::RvbSize, 113, 0.0f},
    {Tag::RvbWidth, 114, 0.2395f},
    {Tag::RvbDamp, 115, 0.4499f},
    {Tag::RvbMix, 116, 0.2699f},
    {Tag::ChordSelect, 6, 0.0f},  // "Chord Select": from the settings
    {Tag::ManualChordSel, 5, 0.0f},
    {Tag::ClockDivide, 93, 1.0f},
    {Tag::Swingfactor, 92, 0.7299f},
    {Tag::PatternKeys, 105, 0.0f},  // "PatternKeys": an object binding
    {Tag::ChordSeqDivide, 95, 0.33333334f},
    {Tag::Glide, 12, 0.998889f},
    {Tag::ShiftArp, 10, 0.0f},
    {Tag::Transpose, 72, 0.5f},
    {Tag::Mastertune, 71, 0.5f},
    {Tag::Dly16TimeL, 140, 0.3899f},
    {Tag::Dly16TimeR, 141, 0.5499f},
    {Tag::Dly16Feed, 142, 0.1998f},
};
static_assert(std::size(kHostDefaults) == kHostParameterCount);

constexpr DefaultRow kFurtherDefaults[] = {
    {Tag::Osc1KeyB, 150, 1.0f},        // "B c"
    {Tag::Osc2KeyB, 152, 0.370079f},   // "B c"
    {Tag::Osc3KeyB, 154, 1.0f},        // "B c"
    {Tag::RandomMinimal, 146, 0.7816f},     // "Random Minimal A "
    {Tag::RandomMaximal, 147, 0.3057f},     // "Random Maximal A "
    {Tag::Arpmode, 11, 0.5f},        // "Arpmode"
    {Tag::TieExtra, 42, 0.5f},        // "TieOsc3 c"
    {Tag::AssignOsc2, 67, 0.5f},        // "AssignOsc2"
    {Tag::Clocksource, 94, 0.5f},        // "Clocksource"
    {Tag::Osc2Channel, 144, 0.0625f},    // the second "channel"
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

int32_t stepCount(int32_t tag) {
    if (const BindingRow* row = findBindingByTag(tag)) return row->steps;
    for (const StepRow& row : kUnboundSteps)
        if (row.tag == tag) return row.steps;
    return 0;
}

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
