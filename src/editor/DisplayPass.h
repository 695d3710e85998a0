#pragma once
// The editor's idle computes what the display widgets show from the sources
// the engine leaves in the display block: the elapsed time, scaled copies
// of a value and two counters, and the x positions of two groups of eight
// moving markers.  Reads and writes every float whole (relaxed atomics).
// GUI thread.

struct DisplayBlock;

// elapsedMs is clamped to 0..1000 and stored.
void runDisplayPass(DisplayBlock& block, float elapsedMs);
