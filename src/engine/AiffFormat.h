#pragma once
// The IFF AIFF container: the header parser for files we read (16 or 24 bit,
// mono or stereo, at 22050, 44100, 48000, 88200 or 96000 Hz) and the 54-byte
// header of the 16-bit stereo 44100 Hz files we write.  All numbers are
// big-endian.

#include <cstdint>
#include <cstdio>

#include "engine/AudioDataLayout.h"
#include "engine/ChunkReader.h"

struct AiffFormat {
    // Parses what follows the "FORM" id, walking the chunk headers; a form
    // other than "AIFF" (AIFC among them) fails.
    static int32_t parse(ChunkReader& in, AudioDataLayout& layout);

    // The header of a 16-bit stereo file of `frames` frames at 44100 Hz.
    static bool writeHeader(FILE* out, uint32_t frames);

    static constexpr size_t kHeaderBytes = 54;
};
