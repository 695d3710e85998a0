#pragma once
// One-call inflate of a zlib stream into a buffer of known size, for the
// compressed bodies of presets and state chunks.  Any thread.

#include <cstdint>

// Answers the number of bytes produced when the stream ends inside dst, and
// -1 for an empty input, a broken stream or one that does not fit.
int32_t inflateToBuffer(const void* src, uint32_t srcBytes, void* dst, uint32_t dstBytes);
