#pragma once
// The RIFF WAVE container: the header parser for files we read (PCM, 16 or
// 24 bit, mono or stereo, any rate) and the 44-byte header of the 16-bit
// stereo files we write.  All numbers are little-endian.

#include <array>
#include <cstdint>

#include "engine/AudioDataLayout.h"
#include "engine/ChunkReader.h"

struct WavFormat {
    // Parses what follows the "RIFF" id.  A chunk inside the container is
    // found by walking the chunk headers, never by looking for its id in the
    // bytes, so an id inside another chunk's payload is not taken for one.
    static int32_t parse(ChunkReader& in, AudioDataLayout& layout);

    static constexpr size_t kHeaderBytes = 44;
    using Header = std::array<uint8_t, kHeaderBytes>;

    // The header of a 16-bit stereo file of `frames` frames.
    static Header header(uint32_t frames, int32_t sampleRate);
};
