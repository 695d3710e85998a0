#include "aax/HostServices.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>

#include "aax/AAX_VHostServices.h"

namespace {
// Traces come from any host thread; a trace already under way keeps the
// object alive through its own reference when ACFShutdown drops the global.
// The lock is held only to copy or swap the pointer, never across a host
// call (and no trace comes from the audio thread).
std::mutex gLock;
std::shared_ptr<AAX_VHostServices> gHostServices;

std::shared_ptr<AAX_VHostServices> current() {
    std::lock_guard lock(gLock);
    return gHostServices;
}
}  // namespace

void hostServicesSet(IACFUnknown* host) {
    std::shared_ptr<AAX_VHostServices> dropped;
    if (host && !current()) {
        auto made = std::make_shared<AAX_VHostServices>(host);  // may throw; nothing kept then
        std::lock_guard lock(gLock);
        if (!gHostServices) gHostServices = std::move(made);
    } else if (!host) {
        std::lock_guard lock(gLock);
        dropped = std::move(gHostServices);  // released outside the lock
    }
}

AAX_VHostServices* hostServices() { return current().get(); }

AAX_Result hostAssert(const char* file, int32_t line, const char* expression, int32_t type) {
    const std::shared_ptr<AAX_VHostServices> services = current();
    if (!services) return AAX_SUCCESS;
    return services->HandleAssertFailure(file, line, expression, type);
}

AAX_Result hostTrace(int32_t priority, const char* format, ...) {
    const std::shared_ptr<AAX_VHostServices> services = current();
    if (!services) return AAX_SUCCESS;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    if (written < 0) return AAX_ERROR_TRACE_FORMAT;
    return services->Trace(priority, text);
}
