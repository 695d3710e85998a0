#pragma once
// The two-pass write protocol and the object chunk that undo snapshots,
// object files and instrument files are made of.  Host/GUI thread or worker;
// never the audio thread (the real pass allocates).

#include <cstdint>
#include <functional>

class BWChunk;
class BWChunkableClass;

// Runs writeAll once measuring and once into a zeroed buffer of exactly the
// measured size.  writeAll must begin with BWChunk::writeHeader, which
// rewinds the real pass.  False when the real pass did not write exactly the
// measured words.
bool writeInTwoPasses(BWChunk* chunk, const std::function<void(BWChunk*)>& writeAll);

// Header (plain format) followed directly by the object's own words.
bool writeObjectChunk(BWChunkableClass* object, BWChunk* chunk);

// The words the object writes, measured in a scratch chunk.
uint32_t measureObjectWords(BWChunkableClass* object);
