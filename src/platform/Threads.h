#pragma once
// The thread and wait helpers that the plug-in's worker code asks for.

// Starts a detached worker thread that runs function(argument) with the
// default stack.  False when the system could not start it; the function
// then never runs.  The caller keeps the argument alive for the thread's
// whole run.  Host/GUI thread.
bool StartThread(void (*function)(void*), void* argument);

namespace platform {

// Gives the processor away for one millisecond: the unit of the plug-in's
// polling waits for the audio thread.  Never on the audio thread.
void sleepOneMillisecond();

}  // namespace platform
