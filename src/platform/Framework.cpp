#include "platform/Framework.h"

#include <atomic>
#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/Dialogs.h"
#include "platform/ModalWait.h"
#include "platform/MsvcRand.h"

namespace {

// The identity every reader sees: the library's own until the first
// initFramework, then the one it stored.  It is set once per process: every
// instance runs initFramework while other instances' threads read the name
// (every settings access takes it), so an identity once published is never
// written again.
const ProductInfo& builtInIdentity() {
    static const ProductInfo info = defaultProductInfo();
    return info;
}

std::atomic<const ProductInfo*>& publishedIdentity() {
    static std::atomic<const ProductInfo*> published{&builtInIdentity()};
    return published;
}

const ProductInfo& identity() { return *publishedIdentity().load(std::memory_order_acquire); }

// Only an identity that differs from the library's own is stored, in an
// object of its own, before it is published.
void setIdentityOnce(const ProductInfo& info) {
    static std::once_flag once;
    std::call_once(once, [&info] {
        if (info == builtInIdentity()) return;
        static const ProductInfo stored = info;
        publishedIdentity().store(&stored, std::memory_order_release);
    });
    assert(info == identity() && "one identity per process");
}

std::atomic<bool> alertOpen{false};

constexpr size_t kFormatBuffer = 8192;

std::string formatText(const char* format, va_list args) {
    char buffer[kFormatBuffer];
    std::vsnprintf(buffer, sizeof buffer, format, args);  // cuts to fit
    return buffer;
}

platform::MessageAnswer show(platform::MessageKind kind, const std::string& text) {
    return platform::showMessage(kind, getProductName(), text);
}

}  // namespace

ProductInfo defaultProductInfo() { return {"Zorvane", 9, "1.0.0.00"}; }

void initFramework(const ProductInfo& info, int libraryVersion, bool toolkitMatches) {
    setIdentityOnce(info);
    if (libraryVersion != 1) AlertPrintf("compiled lib version does not match!");
    if (!toolkitMatches) AlertPrintf("vstgui mismatch compiled %d , init %d  ", 1, 0);
    patternRandomSeed() = platform::msvcRand();
}

const char* getProductName() { return identity().name.c_str(); }
int32_t getProgramVersion() { return identity().version; }
const char* getVersionString() { return identity().versionString.c_str(); }

void Alert(const char* text) { show(platform::MessageKind::Ok, text ? text : ""); }

void AlertPrintf(const char* format, ...) {
    // A box raised while another is open (from the message loop that runs
    // during the box) is dropped instead of stacking up.  A notice that is
    // only kept for later (platform/ModalWait.h) shows nothing now, so a box
    // up elsewhere does not drop it.
    const bool keptForLater = platform::modalWaitForbidden();
    if (!keptForLater && alertOpen.exchange(true)) return;
    va_list args;
    va_start(args, format);
    const std::string text = formatText(format, args);
    va_end(args);
    show(platform::MessageKind::Ok, text);
    if (!keptForLater) alertOpen.store(false);
}

bool ConfirmOkCancel(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatText(format, args);
    va_end(args);
    return show(platform::MessageKind::OkCancel, text) == platform::MessageAnswer::Ok;
}

bool ConfirmYesNo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatText(format, args);
    va_end(args);
    return show(platform::MessageKind::YesNo, text) == platform::MessageAnswer::Yes;
}

std::atomic<int32_t>& patternRandomSeed() {
    static std::atomic<int32_t> seed{645637};
    return seed;
}
