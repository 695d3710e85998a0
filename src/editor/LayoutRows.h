#pragma once
// The interface as data: one row per widget, in the order the open builds
// them (which is the order they are added to the frame or to their layer
// list).  Positions are pixels of the unzoomed 960 x 697 interface.  The
// tables live in one file per area (MainPageLayout.cpp, SoundPageLayout.cpp,
// EffectsPageLayout.cpp, LanePageLayout.cpp, MenuLayout.cpp,
// PatternEditorLayout.cpp, PresetMenuLayout.cpp); InterfaceBuilder reads
// them.  Widgets are named by their tags (Tag::, Display::, Widget::) and
// images by Image::.

#include <cstdint>
#include <span>

#include "editor/DisplayTags.h"
#include "guitoolkit/InterfaceImages.h"
#include "plugin/ParameterTags.h"

namespace layout {

struct Box {
    int16_t x, y, w, h;
};

// Drawing margins: left, top, right, bottom; `set` false leaves the widget's.
struct Margins {
    int8_t left, top, right, bottom;
    bool set;
};
inline constexpr Margins none{0, 0, 0, 0, false};
constexpr Margins m(int8_t left, int8_t top, int8_t right, int8_t bottom) { return {left, top, right, bottom, true}; }
constexpr Margins m(int8_t all) { return {all, all, all, all, true}; }

inline constexpr float kNoDefault = -1.0f;  // a knob keeps the base default 0.5

// Layer lists: the widget is added to the frame at the end of the open,
// layer 1 above the rest and layer 31 above everything.
inline constexpr int8_t kNoLayer = -1;
inline constexpr int8_t kImageLayer = 1;
inline constexpr int8_t kValueLayer = 31;

// ---- images --------------------------------------------------------------------------

enum class ImageSource : uint8_t {
    none,
    keyMarker,        // x: the pattern key's place above the key strip
    lanePlayBar,      // x: the lanes' play position; alpha: the play bars' alpha
    chordPlayBar,     // x: the chord lane's play position; alpha as above
    pageImage,        // alpha: the page image's own alpha
};

struct ImageRow {
    int32_t tag;
    int16_t page;
    Box box;
    int16_t image;
    ImageSource source;
    int8_t layer;
};

// ---- knobs ---------------------------------------------------------------------------

enum KnobSetting : uint8_t {
    kAbsolute = 1,        // positionMode 1
    kHorizontal = 2,      // dragAxis kDragHorizontal
    kFullFrameScale = 4,
};

struct KnobRow {
    int32_t tag;
    int16_t page;
    Box box;
    int16_t image;
    int16_t frameCount;
    int16_t frameHeight;
    float dragScale;
    float defaultValue;  // kNoDefault: none
    Margins margins;
    uint8_t settings;
    bool learn;
    int8_t layer;
    int16_t displays[2];  // the value displays linked to it; 0 ends
};

// ---- displays ------------------------------------------------------------------------

enum class DisplayKind : uint8_t { valueText, picture, imageOnly, levelMeter, tempo };
enum class TextForm : uint8_t { none, time, percent, decibel, bipolarPercent, frequency, listName, number };

enum DisplayFlag : uint8_t {
    kRawIndex = 1,
    kMouseOff = 2,
    kTransparent = 4,
    kHiddenAtOpen = 8,
    kWhiteText = 16,  // the picture displays' text colour: white, else green
};

struct DisplayRow {
    int32_t tag;
    int16_t page;
    DisplayKind kind;
    Box box;
    int16_t image;
    int16_t frameCount;
    int16_t frameHeight;
    TextForm text;
    int8_t fieldWidth;
    int8_t precision;
    const char* suffix;
    uint8_t flags;
    int8_t layer;
};

// ---- buttons -------------------------------------------------------------------------

struct ButtonRow {
    int32_t tag;
    int16_t page;  // kNoPage: visible on every page
    Box box;
    int16_t image;
    uint8_t initial;
    int8_t mode;
    int8_t stateCount;
    bool bound;
    Margins margins;
    bool learn;
    int8_t frameFlags;
    bool listMode;
    // Placed in the locate panel (the first container), x and y relative
    // to it.
    bool inLocatePanel = false;
};
inline constexpr int16_t kNoPage = -1;

// ---- option menus ----------------------------------------------------------------------

// The in-panel menus of the sequencer, chord, channel and lane areas.
struct MenuRow {
    int32_t tag;
    int16_t page;
    Box box;
    Margins margins;
    int16_t listOffsetX, listOffsetY;
    int16_t closedPicture;
    int16_t closedFrameHeight;
    int8_t fontSize;
    int8_t textFont;  // -1: none
    float start;
    std::span<const char* const> entries;
};

// The hidden list menus, built with placeholder entries.
struct HiddenMenuRow {
    int32_t tag;
    Box box;
    int8_t entries;
};

// ---- pattern editors and the remaining controls ------------------------------------------

enum class LineModel : uint8_t { stepLine1, stepLine2, stepLine3, stepLine4, stepLine5 };
struct ButtonLineRow {
    int32_t tag;
    Box box;
    int16_t stepBitmap;
    LineModel model;
};

enum class TableModel : uint8_t { table1, table2, table3, lane1, lane2, lane3, lane4, lane5 };
struct TableRow {
    int32_t tag;
    Box box;
    int16_t background;  // 0: none
    int16_t barBitmap;   // 0: none
    int16_t stepBitmap;  // 0: none
    int16_t stepFrames;
    uint8_t bar[3];
    uint8_t highlight[3];
    uint8_t line;  // grey level
    TableModel model;
    int16_t page;
    bool learn;
};

struct MouseAreaRow {
    int32_t tag;
    Box box;
    int16_t page;
};

// ---- preset menus ------------------------------------------------------------------------

enum class PresetMenuKind : uint8_t { chordBanks, instruments, presets };
struct PresetMenuRow {
    int32_t tag;
    PresetMenuKind kind;
    int8_t index;  // layer 0..2 or preset kind 0..2
    Box box;
    uint32_t style;
    int16_t page;
    int16_t background;
    Margins margins;
};

// Which buttons step and open a menu.
struct CompanionRow {
    int32_t menu;
    int32_t next;
    int32_t previous;
    int32_t opener;
};

// ---- the tables ----------------------------------------------------------------------------

std::span<const ImageRow> mainPageImages();
std::span<const KnobRow> mainPageKnobs();
std::span<const DisplayRow> mainPageDisplays();
std::span<const ButtonRow> mainPageButtons();
std::span<const KnobRow> soundPageKnobs();
std::span<const DisplayRow> soundPageDisplays();
std::span<const ButtonRow> soundPageButtons();
std::span<const ImageRow> effectsPageImages();
std::span<const KnobRow> effectsPageKnobs();
std::span<const DisplayRow> effectsPageDisplays();
std::span<const ButtonRow> effectsPageButtons();
std::span<const ImageRow> lanePageImages();
std::span<const ButtonRow> lanePageButtons();

// The in-panel menus up to Factorypatterns, the learn menu's place, then
// ExportLength.
std::span<const MenuRow> visibleMenus();
std::span<const HiddenMenuRow> hiddenMenus();
// The buttons of the second half, each built after the menu or button its
// row names (builtAfter).
struct LateButton {
    int32_t builtAfter;
    ButtonRow row;
};
std::span<const LateButton> lateButtons();
std::span<const MouseAreaRow> mouseAreas();
std::span<const ButtonLineRow> buttonLines();
std::span<const TableRow> stepTables();
std::span<const PresetMenuRow> presetMenus();
std::span<const CompanionRow> companions();

// Tags of the widgets outside the tables.
inline constexpr int32_t kLearnMenuTag = Tag::InterfaceSwitch11;
inline constexpr int32_t kHiddenLearnMenuTag = 1000000;
inline constexpr int32_t kExportButtonTag = 1000002;
inline constexpr int32_t kLocateContainerTag = 305168176;
inline constexpr int32_t kHookContainerTag = 305180368;
inline constexpr int32_t kVersionLabelTag = Widget::VersionLabel;
inline constexpr int32_t kLibraryPathTag = Widget::LibraryPath;
inline constexpr int32_t kManualLinkTag = Widget::ManualLink;
inline constexpr int32_t kKeyStripTag = Widget::KeyStrip;  // poly-object views
inline constexpr int32_t kBarStripTag = Widget::BarStrip;
inline constexpr int32_t kZoneViewTag = Tag::Zone2;
// The tags whose stored values the end of the open sends again, in order.
std::span<const int32_t> resentTags();

}  // namespace layout
