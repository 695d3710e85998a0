#pragma once
// Removing a folder and everything in it from inside a signal handler: only
// async-signal-safe calls (open, getdents64, unlinkat, close) on buffers of
// the stack, nothing allocated.  Links are removed, never followed.  Any
// thread, any time.

// True when the folder is gone (or was never there).
bool removeTreeAsync(const char* folder);
