#include "core/StateTurn.h"

#include <algorithm>
#include <vector>

#include "platform/ModalWait.h"
#include "platform/Threads.h"

namespace {

// How many turns (of any instance, counting re-entries) this thread holds.
thread_local int32_t turnsHeld = 0;
// The turns this thread holds, in the order it first took them.
thread_local std::vector<StateTurn*> heldTurns;

struct LentTurn {
    StateTurn* turn;
    int32_t depth;
};
// One entry per lend under way on this thread, the innermost last.
thread_local std::vector<std::vector<LentTurn>> lends;

// Every wait on a person lends what its thread holds.
[[maybe_unused]] const bool lenderInstalled = [] {
    platform::setModalLender({&StateTurn::lendHeldTurns, &StateTurn::takeBackLentTurns});
    return true;
}();

}  // namespace

void StateTurn::lock() {
    mutex.lock();
    entered();
}

bool StateTurn::try_lock() {
    if (!mutex.try_lock()) return false;
    entered();
    return true;
}

void StateTurn::unlock() {
    --turnsHeld;
    if (--depth == 0) {
        owner.store(std::thread::id(), std::memory_order_relaxed);
        heldTurns.erase(std::find(heldTurns.begin(), heldTurns.end(), this));
    }
    mutex.unlock();
}

void StateTurn::entered() {
    ++turnsHeld;
    if (depth++ == 0) {
        owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
        heldTurns.push_back(this);
    }
}

std::unique_lock<StateTurn> StateTurn::take(int32_t waitMs, bool* parkedElsewhere) {
    std::unique_lock<StateTurn> turn(*this, std::try_to_lock);
    bool gaveWay = false;
    for (int32_t waited = 0; !turn.owns_lock() && waited < waitMs; ++waited) {
        if ((gaveWay = parked.load())) break;
        platform::sleepOneMillisecond();
        turn.try_lock();
    }
    if (parkedElsewhere) *parkedElsewhere = !turn.owns_lock() && (gaveWay || parked.load());
    return turn;
}

bool StateTurn::heldByThisThread() { return turnsHeld > 0; }

void StateTurn::park() {
    assert(heldHere() && "only the holder parks the turn");
    parked.store(true);
}

void StateTurn::unpark() {
    assert(heldHere() && "only the holder ends its park");
    parked.store(false);
}

void StateTurn::lendHeldTurns() {
    std::vector<LentTurn> lent;
    const std::vector<StateTurn*> held = heldTurns;
    for (StateTurn* turn : held) {
        if (turn->parked.load()) continue;  // nobody waits for it
        const int32_t depth = turn->depth;
        for (int32_t i = 0; i < depth; ++i) turn->unlock();
        lent.push_back({turn, depth});
    }
    lends.push_back(std::move(lent));
    assert(std::all_of(heldTurns.begin(), heldTurns.end(), [](const StateTurn* t) { return t->parked.load(); }) &&
           "a thread waits on a person while it keeps a turn others wait for");
}

void StateTurn::takeBackLentTurns() {
    if (lends.empty()) return;
    const std::vector<LentTurn> lent = std::move(lends.back());
    lends.pop_back();
    for (const LentTurn& entry : lent) {
        for (int32_t i = 0; i < entry.depth; ++i) entry.turn->lock();
    }
}
