// The one dispatcher between the interface and the plug-in object: every
// widget edit arrives here and becomes a host parameter (reported for
// automation), an internal parameter or a command, by the widget's tag.

#include "editor/BWUniClientEditor.h"
#include "editor/EditRoute.h"
#include "guitoolkit/BWFrame.h"
#include "plugin/BWUniClient.h"
#include "widgets/BWMouseArea.h"

using VSTGUI::BWFrame;
using VSTGUI::CControl;

void BWUniClientEditor::valueChanged(CControl* control) {
    if (!control || !client) return;
    if (isContextMenu(control)) return contextMenuChoice(control);
    route(control);
    control->setDirty(true);
}

void BWUniClientEditor::route(CControl* control) {
    using Action = EditRoute::Action;
    const int32_t tag = control->getTag();
    const float value = control->getValue();
    const EditRoute r = routeOf(tag);
    const float scaled = value * r.scale;
    switch (r.action) {
        case Action::Nothing: return;
        case Action::Automated: return client->setParameterAutomated(tag, scaled);
        case Action::Parameter: return client->setParameter(tag, scaled);
        case Action::MouseAreaAutomated:
            takeMouseAreaReadings(control);
            return client->setParameterAutomated(tag, scaled);
        case Action::MouseAreaParameter:
            takeMouseAreaReadings(control);
            return client->setParameter(tag, scaled);
        case Action::LocateInstruments:
            if (value == 0.0f) locateInstruments();
            return;
        case Action::OpenHookContainer:
            if (value == 0.0f) openHookMenu();
            return;
        case Action::ChordBankMenu: return chordBankMenu(control);
        case Action::InstrumentMenu: return instrumentMenu(control, r.index);
        case Action::PresetMenu: return presetMenu(control, r.index);
        case Action::LearnMenu: return hiddenLearnMenuChoice(control);
        case Action::MidiExport:
            if (value == 1.0f) exportMidi();
            return;
        case Action::Unscaled: return client->setParameter(tag, value);
    }
}

void BWUniClientEditor::takeMouseAreaReadings(CControl* control) {
    if (auto* area = dynamic_cast<VSTGUI::BWMouseArea*>(control)) client->takeMouseAreaReadings(control->getTag(), area->x, area->y);
}

MidiExportReport BWUniClientEditor::exportMidi() {
    BWFrame* open = getBWFrame();
    if (open) open->setCursor(1);
    MidiExportReport report = runMidiExport(*client, exportRestartTag);
    // The drag leaves the cursor to whoever had it: set back now and at
    // the next three idles.
    if (open) {
        for (int32_t i = 0; i < 4; ++i) open->setCursor(0);
    }
    pendingCursorResets = 3;
    return report;
}
