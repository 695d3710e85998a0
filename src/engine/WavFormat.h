#pragma once
// The RIFF WAVE container: the header parser for files we read (PCM, 16 or
// 24 bit, mono or stereo, any rate) and the 44-byte header of the 16-bit
// stereo files we write.  All numbers are little-endian.

#include <cstdint>
#include <cstdio>

#include "engine/AudioDataLayout.h"
#include "engine/ChunkReader.h"

struct WavFormat {
    // Parses what follows the "RIFF" id.  A chunk inside the container is
    // found by walking the chunk headers, never by looking for its id in the
    // bytes, so an id inside another chunk's payload is not taken for one.
    static int32_t parse(ChunkReader& in, AudioDataLayout& layout);

    // The header of a 16-bit stereo file of `frames` frames.
    static bool writeHeader(FILE* out, uint32_t frames, int32_t sampleRate);

    static constexpr size_t kHeaderBytes = 44;
};
