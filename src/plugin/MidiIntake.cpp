// MIDI intake: the host's events into the engine's queue, program changes to
// the program loader, and the GUI's removal of MIDI-learn assignments with
// the engine held.

#include <algorithm>
#include <cassert>

#include "core/BWSystemInfo.h"
#include "core/VstTypes.h"
#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"
#include "plugin/ProgramLoader.h"

int32_t BWUniClient::processEvents(VstEvents* list) {
    const bool entered = processCalls.enterBlock();
    if (entered && !offlineExport.load()) {
        engine.receiveEvents(list, ignoreProgramChange == 0.0f);
    } else {
        passProgramChanges(list);
    }
    if (entered) processCalls.leaveBlock();
    return 1;
}

// While the MIDI export drives the engine the host's events do not reach it;
// its program changes still go to the loader, which keeps them for the
// export's end (StatePark.cpp).  Audio thread: no lock, no allocation.
void BWUniClient::passProgramChanges(const VstEvents* list) {
    if (!list || ignoreProgramChange != 0.0f) return;
    for (int32_t i = 0; i < list->numEvents; ++i) {
        const VstEvent* event = list->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const MidiTranslation translated = translateMidiEvent(*reinterpret_cast<const VstMidiEvent*>(event), false);
        if (translated.action == MidiTranslation::Action::ProgramChange) loader.request(translated.record.data1);
    }
}

void Engine::receiveEvents(const VstEvents* list, bool programChanges) {
    assert(hold.noOtherRenderer() && "MIDI arrives while another thread renders");
    queueRequestedAllNotesOff();
    if (!list || list->numEvents < 1) return;
    const bool learnEditing = learn.editing.load();
    for (int32_t i = 0; i < list->numEvents; ++i) {
        const VstEvent* event = list->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const MidiTranslation translated =
            translateMidiEvent(*reinterpret_cast<const VstMidiEvent*>(event), learnEditing);
        switch (translated.action) {
            case MidiTranslation::Action::Queue:
                queueEvent(translated.record);
                break;
            case MidiTranslation::Action::ProgramChange:
                if (programChanges) loader.request(translated.record.data1);
                break;
            case MidiTranslation::Action::Drop: break;
        }
    }
}

// The host counts an event's offset from the start of its block; the queue
// counts from the last tick, which lies tickSamples before the block start
// because ticks run on across blocks.  So an event acts at the first tick at
// or after it, whatever the host's block size.  While the render stands
// still (a load, a hold) the last tick stays where it was, so the offsets of
// later blocks would fall among those of earlier ones: a note-off could
// come before its own note-on.  Those events go after everything waiting.
void Engine::queueEvent(const MidiEventRecord& record) {
    assert(hold.noOtherRenderer() && "MIDI arrives while another thread renders");
    MidiEventRecord fromLastTick = record;
    fromLastTick.deltaFrames = std::max(record.deltaFrames, 0) + context.tickSamples;
    if (renderStoodStill) {
        queue.queueEventAfterPending(fromLastTick);
    } else {
        queue.queueEvent(fromLastTick);
    }
}

// The all-notes-off a load asked for, into the queue: the first thing of the
// next processEvents or rendered block, whichever comes first, so that it
// acts with or without host MIDI.
void Engine::queueRequestedAllNotesOff() {
    if (!allNotesOffPending.exchange(false)) return;
    MidiEventRecord allOff;
    allOff.code = kEventAllNotesOff;
    allOff.data2 = 100;
    queueEvent(allOff);
}

bool BWUniClient::editLockedTry(int32_t tag, int32_t subIndex, bool waitOnly) {
    assert(hold.notRenderingHere());
    ZORVANE_ASSERT_GUI_THREAD();
    // A load replaces the learn map too: one of them at a time.
    const std::unique_lock<StateTurn> alone = lockState();
    if (!alone.owns_lock()) return false;
    EngineHoldScope scope(hold, EngineHold::kEditTries);
    if (!scope.held()) return false;
    if (waitOnly) return true;
    {
        LearnEditScope editing(learn);
        learn.removeTag(tag, subIndex);
    }
    learn.changeCount.fetch_add(1);
    return true;
}
