#pragma once
// The interface images by name: resource ids 1000 to 1121, the one place
// where an image id is written as a number.  The image foundry draws each
// (tools/image-foundry/Catalogue.cpp) and the editor's layout tables and
// builder name them; both include this header, so an image that moves
// moves for both.  Constant data; any thread.

#include <cstdint>

namespace Image {

enum : int16_t {
    Background = 1000,  // the panel behind everything
    HookPanel = 1001,  // the name button's container
    NameButton = 1002,  // the name in the top bar: off, hover, on, hover on
    AccentLineCell = 1003,  // the step lines' cells, one frame a value
    ArpModeButton = 1004,
    RestartMenuPicture = 1005,
    ArpLineCell = 1006,
    DelayKindButton = 1007,
    RandomButton = 1008,
    SelectorDownArrow = 1009,
    TieExtraButton = 1010,
    PowerButton = 1011,
    Light = 1012,
    StepLeftArrow = 1013,
    StepRightArrow = 1014,
    SelectorUpArrow = 1015,
    FillButton = 1016,
    LanePageImage = 1017,  // the lane page's picture (page 30)
    ChordMenuPicture = 1018,
    OctaveLight = 1019,
    ChordSelectButton = 1020,
    DelayTimeKnob = 1021,
    ClockDivideSelector = 1022,
    ClockSourceButton = 1023,
    BarsMenuPicture = 1024,
    CopyButton = 1025,
    PatternCopyButton = 1026,
    ChordBankMenuBox = 1027,
    ChordDivideMenuPicture = 1028,
    SixteenthDelayPanel = 1029,  // the sixteenth-note delay's plate
    ChordNumbers = 1030,  // the chord number, one frame a chord
    ValueBox = 1031,  // the plate of every value text
    LeftMeter = 1032,
    RightMeter = 1033,
    SixteenthFeedKnob = 1034,
    DelayWidthKnob = 1035,
    MidiExportButton = 1036,
    EffectsPanel = 1037,  // the effects page's plate
    ChordTableStep = 1038,
    SwingSlider = 1039,
    TransposeKnob = 1040,
    InvertButton = 1041,
    Font9Glyphs = 1042,  // the picture fonts, one per font number
    Font10Glyphs = 1043,
    Font5Glyphs = 1044,
    Font4Glyphs = 1045,
    Font3Glyphs = 1046,
    FeelMenuPicture = 1047,
    GateTableStep = 1048,
    GlideSlider = 1049,
    GlideLineCell = 1050,
    NextArrow = 1051,
    PreviousArrow = 1052,
    MenuOpener = 1053,
    ClearButton = 1054,
    Osc1MenuOpener = 1055,
    Osc2MenuOpener = 1056,
    Osc3MenuOpener = 1057,
    EventTableGrid = 1058,  // the event table's grid
    SpriteStripBackground = 1059,  // under the note sprites
    EventTableBars = 1060,  // the event table's bars (white shows through)
    RandomRangeKnob = 1061,
    LargeKnob = 1062,
    SmallKnob = 1063,
    LocatePanel = 1064,  // the locate panel
    ManualLink = 1065,  // the manual link
    ManualChordStrip = 1066,
    TinyDownArrow = 1067,
    TinyUpArrow = 1068,
    Font2Glyphs = 1069,
    Font1Glyphs = 1070,
    Font0Glyphs = 1071,
    PresetMenuBox = 1072,
    Osc1MenuBox = 1073,
    Osc2MenuBox = 1074,
    Osc3MenuBox = 1075,
    ChannelMenuPicture = 1076,
    LearnRow = 1077,  // the learn menu's row, at rest and under the pointer
    LearnRowHover = 1078,
    RightArrow = 1079,
    LeftArrow = 1080,
    BeatLight = 1081,
    FilterTargetMenuPicture = 1082,
    LayerTargetMenuPicture = 1083,
    EffectTargetMenuPicture = 1084,
    LaneTableStep = 1085,
    OctaveLineCell = 1086,
    LevelFader = 1087,
    PasteButton = 1088,
    LocateButton = 1089,
    KeyMarker = 1090,  // the marker over the key strip
    PatternKeyNumbers = 1091,  // the pattern key's number
    OctaveButton = 1092,
    RangeLight = 1093,
    Font8Glyphs = 1094,
    Font7Glyphs = 1095,
    Font6Glyphs = 1096,
    RunButton = 1097,
    NoteSprites = 1098,  // note, accent, tie and glide sprites
    PlayBar = 1099,  // the play bar over the lanes
    KeyMenuPicture = 1100,
    ShiftSelector = 1101,
    LaneLeftArrow = 1102,
    LaneRightArrow = 1103,
    PageSelector = 1104,
    RateGauge = 1105,  // the chorus and phaser rate gauge
    CompressorDepthSelector = 1106,
    CompressorSpeedSelector = 1107,
    TrigEachSelector = 1108,
    TrigModeSelector = 1109,
    Layer1Button = 1110,
    Layer2Button = 1111,
    Layer3Button = 1112,
    PolyMonoButton = 1113,
    MixFader = 1114,
    OctaveSelector = 1115,
    ReductionMeter = 1116,  // the compressor's reduction
    TieLineCell = 1117,
    KeyLowSlider = 1118,
    KeyHighSlider = 1119,
    ZoneBar = 1120,  // the zone bar's parts
    LanePicture = 1121,  // the modulation lane's name
};

inline constexpr int32_t First = Background;
inline constexpr int32_t Last = LanePicture;
inline constexpr int32_t Count = Last - First + 1;
static_assert(Count == 122);

}  // namespace Image
