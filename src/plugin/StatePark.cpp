// The MIDI export's park of the state (core/StateTurn.h), and the host calls
// that are answered from it while it lasts.  The holder of the turn parks
// and unparks on the GUI thread; host threads and the program loader meet
// the park in inTurnOrParked.

#include <cassert>

#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"

bool BWUniClient::parkState() {
    ZORVANE_ASSERT_GUI_THREAD();
    assert(turn.heldHere() && "the state is parked in the turn");
    BWChunk now;
    if (!saveStateToChunk(&now, 0, nullptr)) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(now.getWords());
    parkedState.begin({bytes, bytes + size_t(now.getDataLength()) * 4});
    turn.park();
    return true;
}

// The park ends before what waited is applied, so that each of those loads
// runs as any load does; the turn stays with this thread throughout, so no
// host call comes between the export and them.
void BWUniClient::unparkState() {
    ZORVANE_ASSERT_GUI_THREAD();
    assert(turn.heldHere() && "the park ends in the turn");
    turn.unpark();
    ParkedState::Pending pending = parkedState.end();
    if (pending.rate) setSampleRate(*pending.rate);
    if (pending.suspend) suspend();
    for (ParkedState::Load& load : pending.loads) {
        if (load.restore.empty()) {
            loadProgram(load.program);
            continue;
        }
        BWChunk chunk(load.restore.data(), uint32_t(load.restore.size()));
        applyState(chunk, kHostRestore);
    }
}

bool BWUniClient::inTurnOrParked(const std::function<bool()>& answerParked, const std::function<void()>& apply) {
    // The park may begin or end between the two looks; a few rounds settle it.
    constexpr int32_t kRounds = 3;
    for (int32_t round = 0; round < kRounds; ++round) {
        if (answerParked()) return true;
        bool parked = false;
        const std::unique_lock<StateTurn> taken = lockState(&parked);
        if (taken.owns_lock()) {
            apply();
            return true;
        }
        if (!parked) return false;
    }
    return false;
}
