#pragma once
// A chunk set as a host thread sets it: SetChunk alone, without the idle
// call that HostInstance::loadState makes after it (the host's idle belongs
// to its main thread).  The state chunk by default; the sound and sequence
// preset chunks too.

#include <cstdint>
#include <cstring>
#include <vector>

#include "aax/AAX_SPlugInChunk.h"
#include "aax/BWAAXWrapperParameters.h"
#include "host/HostInstance.h"

inline AAX_Result restoreOnHostThread(HostInstance& instance, const std::vector<uint8_t>& bytes,
                                      uint32_t id = BWAAXWrapperParameters::kChunkID) {
    std::vector<uint8_t> record(kChunkHeaderSize + bytes.size());
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*>(record.data());
    chunk->fSize = int32_t(bytes.size());
    chunk->fChunkID = id;
    std::memcpy(chunkData(chunk), bytes.data(), bytes.size());
    return instance.effect()->SetChunk(id, chunk);
}
