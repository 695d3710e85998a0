#pragma once
// What a header parser answers: a result code and, when the file is
// accepted, enough about its sample data for the reader to find and convert
// every frame.

#include <cstdint>

// Results of AudioFile::open; the header parsers answer 0, 1 or 2.
enum AudioFileResult : int32_t {
    kAudioFailed = 0,       // a read failed, a required chunk is missing, or the data is inconsistent
    kAudioOpened = 1,
    kAudioNotAccepted = 2,  // not RIFF or FORM, or a layout we do not read
    kAudioCannotOpen = 3,   // no usable path, or the file cannot be opened
};

struct AudioDataLayout {
    int32_t channels = 1;     // 1 or 2
    int32_t bits = 16;        // 16 or 24
    int32_t sampleRate = 44100;
    int32_t frames = 0;       // whole frames, all inside the file
    int64_t dataOffset = 0;   // file position of the first frame
};
