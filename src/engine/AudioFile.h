#pragma once
// Reads WAV and AIFF files (16 or 24 bit, mono or stereo) into float or
// 16-bit channel data, and writes 16-bit stereo WAV or AIFF files.
//
// Reading: open(path), then readFloat, readInt16 or readExactInt16; the
// object closes itself on the next open, on close() and when destroyed.
// Writing: openForWriting(path, format, rate), then create(...) or
// createInt16(...).  The data goes through a platform::AtomicFile, so a
// failed or interrupted write never leaves a half-written file behind.
//
// Any thread but the audio thread (it touches files); one thread at a time.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/AudioDataLayout.h"
#include "platform/AtomicFile.h"

class AudioFile {
public:
    using ProgressCallback = void (*)(float fraction, void* context);

    static constexpr int32_t kWav = 0;
    static constexpr int32_t kAiff = 1;
    static constexpr int32_t kNoFormat = 2;

    static constexpr int32_t kClosed = 0;
    static constexpr int32_t kReading = 1;
    static constexpr int32_t kWriting = 2;

    // The callback is called while reading with the fraction done so far,
    // when both it and the context are set.
    explicit AudioFile(ProgressCallback callback = nullptr, void* context = nullptr);
    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    // Opens a file for reading and parses its header; answers an
    // AudioFileResult.  On anything but kAudioOpened the object is closed.
    int32_t open(const char* path);

    // Reads every frame as floats in -1..1; a mono file fills both channels.
    // Both arrays must hold getFrames() values.  1 when all were read, else 0.
    int32_t readFloat(float* left, float* right);
    // The same values x 32767, truncated toward zero.  1 or 0.
    int32_t readInt16(int16_t* left, int16_t* right);
    // 16-bit values exactly as stored; 24-bit values rounded to the nearest
    // 16-bit value.  1 or 0.
    int32_t readExactInt16(int16_t* left, int16_t* right);

    // Starts writing `path` as kWav or kAiff at `rate` frames per second;
    // false when the format is neither, the rate is not positive, or the
    // temporary file cannot be created.
    bool openForWriting(const char* path, int32_t fileFormat, int32_t rate = 44100);
    // Writes header and frames (each value x 32767, truncated toward zero and
    // held to the 16-bit range), then puts the file in place and closes the
    // object.  1 when the target now holds the whole file; 0 on any failure,
    // and for no frames, leaving the target as it was; 3 when not writing.
    int32_t create(const float* left, const float* right, int32_t frameCount);
    // The same for 16-bit values, written exactly as they are.
    int32_t createInt16(const int16_t* left, const int16_t* right, int32_t frameCount);

    // Closes the stream (dropping an unfinished write) and resets the fields.
    void close();

    int32_t getFrames() const { return frames; }
    int32_t getSampleRate() const { return sampleRate; }
    int32_t getChannels() const { return channels; }
    int32_t getBits() const { return bits; }
    int32_t getFormat() const { return format; }
    int32_t getMode() const { return mode; }
    // 4 for stereo + 2 for 24 bit + 1 for AIFF.
    int32_t getSampleType() const { return sampleType; }

private:
    int32_t parseHeader();
    template <typename Store>
    int32_t readFrames(Store store);
    void reportProgress(int64_t total, int64_t remaining) const;
    template <typename Value>
    int32_t writeAll(const Value* left, const Value* right, int32_t frameCount);
    template <typename Value>
    bool writeFrames(const Value* left, const Value* right, int32_t frameCount);

    ProgressCallback progressCallback;
    void* progressContext;
    int32_t sampleType = 0;
    std::vector<uint8_t> buffer;
    int32_t frames = 0;
    int32_t pieceBytes = 1024;
    int32_t sampleRate = 44100;
    int32_t channels = 1;
    int32_t format = kNoFormat;
    int32_t mode = kClosed;
    int32_t bits = 16;
    FILE* stream = nullptr;  // while reading
    int64_t dataOffset = 0;
    platform::AtomicFile writer;  // while writing
};
