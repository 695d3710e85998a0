#pragma once
// The buttons whose edits go through the process-wide pattern clipboards:
// the copy and paste buttons of the tables and the step lines, and the
// pattern-wide copy and paste.  The clipboards are shared with the other
// instances of the process behind locks, and a copy allocates, so these
// edits never run on an audio thread: the thread that presses runs the edit
// itself (BWUniClient::setParameter), and a press that the render meets (a
// learned controller) it posts here for the front's idle.  The render still
// takes every press for the button's record and the views' refresh.
//
// Threads: isButton and acts on any thread; post on any thread, the audio
// thread included (one lock-free or); takeAll on the GUI thread.

#include <atomic>
#include <bit>
#include <cstdint>
#include <iterator>

#include "plugin/ParameterTags.h"

class ClipboardRequests {
public:
    static bool isButton(int32_t index) { return slotOf(index) >= 0; }
    // Whether a store of `now` over `before` makes the button act: a range
    // button acts whenever it is let go (exactly 0), as every range edit; a
    // pattern-wide one when a press (0.5 or more) is let go, as the other
    // pattern-wide buttons.
    static bool acts(int32_t index, float before, float now) {
        if (!isButton(index)) return false;
        if (index == Tag::PatternCopy || index == Tag::PatternPaste) return before >= 0.5f && now < 0.5f;
        return now == 0.0f;
    }

    void post(int32_t index) {
        const int32_t slot = slotOf(index);
        if (slot >= 0) posted.fetch_or(uint32_t{1} << slot);
    }
    // Calls run(index) once for each button posted since the last take, in
    // index order.
    template <typename Run>
    void takeAll(Run&& run) {
        for (uint32_t bits = posted.exchange(0); bits != 0; bits &= bits - 1) run(kButtons[std::countr_zero(bits)]);
    }

private:
    // In index order.
    static constexpr int32_t kButtons[] = {
        Tag::EventTableCopy, Tag::EventTablePaste, Tag::Lane1Copy,      Tag::Lane1Paste,     Tag::Lane2Copy,
        Tag::Lane2Paste,     Tag::Lane3Copy,       Tag::Lane3Paste,     Tag::Lane4Copy,      Tag::Lane4Paste,
        Tag::Lane5Copy,      Tag::Lane5Paste,      Tag::PatternCopy,    Tag::PatternPaste,   Tag::GateTableCopy,
        Tag::GateTablePaste, Tag::StepLinesCopy,   Tag::StepLinesPaste, Tag::ChordTableCopy, Tag::ChordTablePaste,
    };
    static_assert(std::size(kButtons) <= 32);

    static int32_t slotOf(int32_t index) {
        for (int32_t slot = 0; slot < static_cast<int32_t>(std::size(kButtons)); ++slot)
            if (kButtons[slot] == index) return slot;
        return -1;
    }

    std::atomic<uint32_t> posted{0};
};
