#pragma once
// The IFF AIFF container: the header parser for files we read (16 or 24 bit,
// mono or stereo, at 22050, 44100, 48000, 88200 or 96000 Hz) and the 54-byte
// header of the 16-bit stereo files we write.  All numbers are
// big-endian.

#include <array>
#include <cstdint>

#include "engine/AudioDataLayout.h"
#include "engine/ChunkReader.h"

struct AiffFormat {
    // Parses what follows the "FORM" id, walking the chunk headers; a form
    // other than "AIFF" (AIFC among them) fails.
    static int32_t parse(ChunkReader& in, AudioDataLayout& layout);

    static constexpr size_t kHeaderBytes = 54;
    using Header = std::array<uint8_t, kHeaderBytes>;

    // The header of a 16-bit stereo file of `frames` frames at `sampleRate`
    // (positive) frames per second.
    static Header header(uint32_t frames, int32_t sampleRate);
};
