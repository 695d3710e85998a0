// The engine's parameter frame: what the inbox marked, taken at the top of
// the tick in index order, and the one switch by which every index derives
// its engine values (HostParameters.cpp, SequencerParameters.cpp,
// PatternEditParameters.cpp, InterfaceParameters.cpp).  Audio side only:
// nothing here allocates, locks or waits.

#include <algorithm>
#include <cmath>

#include "plugin/Engine.h"
#include "plugin/ParameterInbox.h"
#include "plugin/PatternEditLock.h"

// The sound's indices always; the interface's, which edit the pattern
// models, only while no save reads those (else at the next tick).
void Engine::takeParameters() {
    checkThread();
    const auto one = [this](int32_t index, float value, bool pressedSince) { takeOne(index, value, pressedSince); };
    if (!inbox.takeAnyMarked()) return;
    inbox.take(0, Tag::FirstPatternIndex, one);
    if (!inbox.pending(Tag::FirstPatternIndex, ParameterInbox::kSlots)) return;
    if (!patternEdits.tryEditing()) return inbox.keepMarked();
    inbox.take(Tag::FirstPatternIndex, ParameterInbox::kSlots, one);
    patternEdits.endEditing();
}

// A button of the interface that was pressed since the last tick acts as
// pressed before its value now is applied: a press and release between two
// ticks is a click, a release and press a second press.
void Engine::takeOne(int32_t index, float value, bool pressedSince) {
    if (pressedSince) {
        if (engine.raw[index] >= 0.5f) apply(index, 0.0f);
        apply(index, 1.0f);
    }
    apply(index, value);
}

void Engine::apply(int32_t index, float value) {
    if (static_cast<uint32_t>(index) > static_cast<uint32_t>(Tag::HighestIndex)) return;
    // Whoever sets it, every case below sees 0..1: every step, table row and
    // range bound derived from it then stays inside what exists.
    const float v = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
    if (index > Tag::LastHostIndex && index < Tag::FirstPatternIndex) return;
    voiceSettingsStale = true;  // the value may move a value the voices take
    engine.raw[index] = v;
    if (index <= Tag::LastHostIndex) {
        applyHostParameter(index, v);
    } else if (index <= Tag::LastPatternIndex) {
        applyPatternEdit(index, v);
    } else {
        applyInterfaceParameter(index, v);
    }
    // Or edit a pattern or select its page: what it changed moved the
    // models' counts, and is read again in this very tick.
    patternReads.noteApplied(patternEditCounts());
}

// A store of the index that waits to be taken keeps its value: the take
// applies it after this change.
void Engine::send(int32_t index, float value) {
    apply(index, value);
    if (index >= 0 && index <= Tag::HighestIndex && (index <= Tag::LastHostIndex || index >= Tag::FirstPatternIndex)) {
        inbox.publishUnlessStored(index, engine.raw[index]);
    }
}

// The value the engine holds already, derived again (after a rate or tempo
// change, or a page switch showing its pages): never published, so that a
// newer value the host stored meanwhile is not overwritten.
void Engine::reapply(int32_t index) { apply(index, takenValue(index)); }
