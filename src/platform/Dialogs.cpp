#include "platform/Dialogs.h"

#include <array>
#include <atomic>
#include <cassert>
#include <cstdio>
#include <mutex>

#include "platform/ModalWait.h"
#include "platform/ReplaceableHandler.h"

namespace platform {
namespace {

ReplaceableHandler<MessageHandler> messageHandler;

// A multi-producer ring of static texts: producers claim a slot with one
// atomic increment and publish the pointer; the drainer takes slots in order.
constexpr size_t kRingSize = 64;
std::array<std::atomic<const char*>, kRingSize> ring{};
std::atomic<uint64_t> writeCount{0};
std::atomic<uint64_t> readCount{0};

}  // namespace

MessageAnswer safeAnswer(MessageKind kind) {
    switch (kind) {
        case MessageKind::OkCancel: return MessageAnswer::Cancel;
        case MessageKind::YesNo: return MessageAnswer::No;
        case MessageKind::Ok: break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer answerHeadless(const MessageRequest& request) {
    std::fprintf(stderr, "[%s] %s\n", request.title.c_str(), request.text.c_str());
    return safeAnswer(request.kind);
}

MessageAnswer showMessage(MessageKind kind, const std::string& title, const std::string& text) {
    MessageRequest request{kind, title, text};
    if (modalWaitForbidden()) {
        assert(kind == MessageKind::Ok && "a question asked where nobody may wait on the answer");
        keepNotice(request);
        return safeAnswer(kind);
    }
    const MessageHandler handler = messageHandler.current();
    const ModalWait waiting;
    return handler ? handler(request) : answerHeadless(request);
}

MessageHandler setMessageHandler(MessageHandler handler) { return messageHandler.replace(std::move(handler)); }

void reportNonBlocking(const char* staticText) {
    // Claim a slot only while the ring has room, so that every claimed slot
    // is published and the drain never waits on a gap.
    uint64_t slot = writeCount.load(std::memory_order_relaxed);
    do {
        if (slot - readCount.load(std::memory_order_acquire) >= kRingSize) return;  // full: drop
    } while (!writeCount.compare_exchange_weak(slot, slot + 1, std::memory_order_acq_rel));
    ring[slot % kRingSize].store(staticText, std::memory_order_release);
}

void drainNonBlockingReports(const std::function<void(const char*)>& sink) {
    static std::mutex drainMutex;
    std::lock_guard<std::mutex> lock(drainMutex);
    const uint64_t end = writeCount.load(std::memory_order_acquire);
    uint64_t next = readCount.load(std::memory_order_relaxed);
    for (; next < end; ++next) {
        // A claimed slot is published a moment after its claim; stop at the
        // first one not yet visible and take it at the next drain.
        const char* text = ring[next % kRingSize].exchange(nullptr, std::memory_order_acq_rel);
        if (!text) break;
        if (sink)
            sink(text);
        else
            std::fprintf(stderr, "%s\n", text);
        readCount.store(next + 1, std::memory_order_release);
    }
}

}  // namespace platform
