#pragma once
// Where the editor sends an edit of a widget, by the widget's tag: to the
// host parameter (reported to the host for automation), to an internal
// parameter, or to a command.  Menus report the index of the picked entry;
// the route's scale turns it into the parameter's 0..1.  Any thread (a
// table, no state).

#include <cstdint>

#include "plugin/ParameterTags.h"

struct EditRoute {
    enum class Action : uint8_t {
        Nothing,            // a tag of the table that no widget edits (the learn menu's)
        Automated,          // setParameterAutomated(tag, value x scale)
        Parameter,          // setParameter(tag, value x scale)
        MouseAreaAutomated, // the area's readings first, then Automated
        MouseAreaParameter, // the area's readings first, then Parameter
        LocateInstruments,  // on the release (value 0)
        OpenHookContainer,  // on the release (value 0)
        ChordBankMenu,
        InstrumentMenu,     // layer in `index`
        PresetMenu,         // kind in `index`
        LearnMenu,          // the hidden learn menu
        MidiExport,         // on the press (value 1)
        Unscaled,           // a tag beyond the table: setParameter(tag, value)
    };
    Action action = Action::Nothing;
    float scale = 1.0f;
    int32_t index = 0;
};

// The tags of the editor's own widgets.
inline constexpr int32_t kHiddenLearnMenuTag = 1000000;
inline constexpr int32_t kMidiExportTag = 1000002;
inline constexpr int32_t kContextMenuTag = Tag::InterfaceSwitch11;

EditRoute routeOf(int32_t tag);
