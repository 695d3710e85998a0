#include "platform/ModalWait.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/GuiThread.h"

namespace platform {
namespace {

using LendFunction = void (*)();
std::atomic<LendFunction> lendHeld{nullptr};
std::atomic<LendFunction> takeBackHeld{nullptr};

thread_local int32_t forbiddenDepth = 0;
thread_local std::vector<MessageRequest> keptNotices;
thread_local int32_t hostCallDepth = 0;
std::atomic<int32_t> hostCalls{0};

}  // namespace

ModalLender setModalLender(ModalLender lender) {
    return {lendHeld.exchange(lender.lend), takeBackHeld.exchange(lender.takeBack)};
}

ModalWait::ModalWait() {
    // A host call waits for whatever waits on a person in it, and a box
    // that another thread raises while one is under way is a box the host
    // cannot see the end of: the GUI thread, between the host's calls, is
    // where the person is asked.
    assert(!servingHostCall() && "a host call waits on a person");
    assert((isGuiThread() || hostCallsUnderWay() == 0) &&
           "a box raised off the GUI thread while a host call is under way");
    if (const LendFunction lend = lendHeld.load()) lend();
}

ModalWait::~ModalWait() {
    if (const LendFunction takeBack = takeBackHeld.load()) takeBack();
}

void beginNoModalWait() { ++forbiddenDepth; }

void endNoModalWait() {
    if (forbiddenDepth == 0 || --forbiddenDepth > 0) return;
    std::vector<MessageRequest> notices = std::exchange(keptNotices, {});
    for (const MessageRequest& notice : notices) showMessage(notice.kind, notice.title, notice.text);
}

bool modalWaitForbidden() { return forbiddenDepth > 0; }

HostCall::HostCall() : firstNotice(keptNotices.size()) {
    beginNoModalWait();
    ++hostCallDepth;
    hostCalls.fetch_add(1);
}

// The mark stays until the span has ended, so that a notice left untaken
// meets the assertion in ModalWait.
HostCall::~HostCall() {
    endNoModalWait();
    hostCalls.fetch_sub(1);
    --hostCallDepth;
}

std::vector<MessageRequest> HostCall::takeNotices() {
    if (firstNotice >= keptNotices.size()) return {};
    const auto first = keptNotices.begin() + std::ptrdiff_t(firstNotice);
    std::vector<MessageRequest> taken(std::make_move_iterator(first), std::make_move_iterator(keptNotices.end()));
    keptNotices.erase(first, keptNotices.end());
    return taken;
}

bool servingHostCall() { return hostCallDepth > 0; }

int32_t hostCallsUnderWay() { return hostCalls.load(); }

void keepNotice(const MessageRequest& request) { keptNotices.push_back(request); }

}  // namespace platform
