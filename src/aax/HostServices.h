#pragma once
// The library's one host-services object and the assertion and trace calls
// that go through it.  Before ACFStartup and after ACFShutdown there is none,
// and assertions and traces are dropped (answer 0).  The exports set it from
// one host thread at a time; the calls take a reference under a short lock and
// hold it while they run (never on the audio thread).

#include <cstdint>

#include "aax/AAXResults.h"

class AAX_VHostServices;
class IACFUnknown;

inline constexpr int32_t kTracePriorityCheckedResult = 0x4000000;
inline constexpr int32_t kTracePriorityError = 0x8000000;

// Non-null host and none yet: creates it (may throw what its constructor
// throws, keeping none).  Null host and one exists: deletes it.  Otherwise
// nothing.
void hostServicesSet(IACFUnknown* host);
AAX_VHostServices* hostServices();

// Passes a failed check to the host; the program goes on.
AAX_Result hostAssert(const char* file, int32_t line, const char* expression, int32_t type = 0);

// Formats into 512 bytes and passes the text on; -20051 when formatting fails.
AAX_Result hostTrace(int32_t priority, const char* format, ...) __attribute__((format(printf, 2, 3)));

