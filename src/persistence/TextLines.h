#pragma once
// Multi-line texts whose breaks are a newline character or the two
// characters "\" and "n" (as hints and labels store them), a bounded string
// copy and the millisecond clock.  Any thread but the audio thread.

#include <cstdint>

// 1 plus the number of breaks.
uint32_t countTextLines(const char* text);
// Copies line n (from 0, without its break) into out, terminated; false when
// the text has no line n.  out must hold the line.
bool getTextLine(uint32_t n, char* out, const char* text);
// Copies src; a source of size characters or more is cut to size - 1.
void copyStringBounded(char* dst, const char* src, uint32_t size);
// Milliseconds since 1 January 1970 (UTC).
uint64_t currentTimeMs();
