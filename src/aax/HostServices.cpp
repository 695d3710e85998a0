#include "aax/HostServices.h"

#include <cstdarg>
#include <cstdio>

#include "aax/AAX_VHostServices.h"

namespace {
AAX_VHostServices* gHostServices = nullptr;
}

void hostServicesSet(IACFUnknown* host) {
    if (host && !gHostServices) {
        gHostServices = new AAX_VHostServices(host);
    } else if (!host && gHostServices) {
        delete gHostServices;
        gHostServices = nullptr;
    }
}

AAX_VHostServices* hostServices() { return gHostServices; }

AAX_Result hostAssert(const char* file, int32_t line, const char* expression, int32_t type) {
    if (!gHostServices) return AAX_SUCCESS;
    return gHostServices->HandleAssertFailure(file, line, expression, type);
}

AAX_Result hostTrace(int32_t priority, const char* format, ...) {
    if (!gHostServices) return AAX_SUCCESS;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    if (written < 0) return AAX_ERROR_TRACE_FORMAT;
    return gHostServices->Trace(priority, text);
}
