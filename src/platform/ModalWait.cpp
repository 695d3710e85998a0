#include "platform/ModalWait.h"

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {
namespace {

using LendFunction = void (*)();
std::atomic<LendFunction> lendHeld{nullptr};
std::atomic<LendFunction> takeBackHeld{nullptr};

thread_local int32_t forbiddenDepth = 0;
thread_local std::vector<MessageRequest> keptNotices;

}  // namespace

ModalLender setModalLender(ModalLender lender) {
    return {lendHeld.exchange(lender.lend), takeBackHeld.exchange(lender.takeBack)};
}

ModalWait::ModalWait() {
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

void keepNotice(const MessageRequest& request) { keptNotices.push_back(request); }

}  // namespace platform
