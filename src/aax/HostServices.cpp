#include "aax/HostServices.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "aax/AAX_VHostServices.h"

namespace {
// Traces come from any host thread; a trace already under way keeps the
// object alive through its own reference when ACFShutdown drops the global.
std::atomic<std::shared_ptr<AAX_VHostServices>> gHostServices;
}

void hostServicesSet(IACFUnknown* host) {
    if (host && !gHostServices.load()) {
        gHostServices.store(std::make_shared<AAX_VHostServices>(host));
    } else if (!host && gHostServices.load()) {
        gHostServices.store(nullptr);
    }
}

AAX_VHostServices* hostServices() { return gHostServices.load().get(); }

AAX_Result hostAssert(const char* file, int32_t line, const char* expression, int32_t type) {
    const std::shared_ptr<AAX_VHostServices> services = gHostServices.load();
    if (!services) return AAX_SUCCESS;
    return services->HandleAssertFailure(file, line, expression, type);
}

AAX_Result hostTrace(int32_t priority, const char* format, ...) {
    const std::shared_ptr<AAX_VHostServices> services = gHostServices.load();
    if (!services) return AAX_SUCCESS;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    if (written < 0) return AAX_ERROR_TRACE_FORMAT;
    return services->Trace(priority, text);
}
