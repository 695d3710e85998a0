#pragma once
// What the undo manager needs of the instance whose history it keeps: the
// whole-state writer and the state reader.  The plug-in object implements it.

#include <cstdint>

class BWChunk;
class PresetInfo;

class BWUndoClient {
public:
    virtual ~BWUndoClient() = default;
    // Writes the whole state of one preset kind with its header into an
    // empty chunk, by the two-pass protocol.
    virtual bool saveStateToChunk(BWChunk* chunk, int32_t kind, PresetInfo* info) = 0;
    // Applies such a chunk; true when the state was applied.
    virtual bool loadPresetFileSimple(BWChunk* chunk, int32_t kind) = 0;
};
