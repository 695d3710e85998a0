#pragma once
// A 32-bit float WAV file written while it is rendered.  The length is known
// before the first sample, so the header goes first and the blocks follow as
// they are made, gathered 16384 frames at a time: memory stays the
// same however long the file.
//
// A file whose sizes pass the 32-bit fields of a RIFF header (data beyond
// 4 GiB: an hour of stereo at 384 kHz is 11 GB) is written as RF64, the
// same chunks with the sizes in a "ds64" chunk after "WAVE" and the 32-bit
// fields set to all ones; libsndfile and sox read it.  Shorter files are
// plain WAV, as every reader expects.
//
// To a path through platform::AtomicFile, so the target keeps its old
// content until finish() puts the whole file in place; or, for the path
// "-", to the standard output, which is written as it stands (a pipe or a
// file the shell opened).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"

class WavWriter {
public:
    // The largest RIFF size a plain WAV header can hold.
    static constexpr uint64_t kLargestRiffSize = 0xFFFFFFFFu;

    // A file of `frames` frames of `channels` channels; RF64 when its RIFF
    // size would pass `largestRiffSize` (lowered only by tests).
    WavWriter(int channels, uint32_t rate, uint64_t frames, uint64_t largestRiffSize = kLargestRiffSize);

    // The header for the frames promised.
    std::vector<uint8_t> header() const;
    bool isRF64() const { return rf64; }

    // Starts the file at `path` ("-" for the standard output) with its
    // header; false with `error` set when it cannot be written.
    bool open(const std::string& path, std::string& error);
    // Appends one block: `frames` samples of each channel.  False once any
    // write failed or more frames come than were promised.
    bool write(const float* const* blocks, int32_t frames);
    // The largest magnitude of the samples written so far (NaN passed over).
    float peak() const;
    // Puts the file in place.  False with `error` set when a write failed or
    // fewer frames came than were promised; a file target then keeps its
    // old content.
    bool finish(std::string& error);

private:
    // Frames gathered before they go to the file together: a stereo buffer
    // is larger than the atomic file's own, which then writes it straight
    // through instead of copying it once more.
    static constexpr size_t kPendingFrames = 16384;
    // Room ahead of the gathered frames for the bytes carried over from the
    // last write, the header included: see flush.
    static constexpr size_t kLeadBytes = 128;

    bool put(const void* bytes, size_t size);
    // Hands the gathered frames to the file; all of them when last.
    bool flush(bool last);
    float* gathered() { return interleaved.data() + kLeadBytes / sizeof(float); }
    const float* gathered() const { return interleaved.data() + kLeadBytes / sizeof(float); }
    void interleavePair(const float* left, const float* right, int32_t count, float* out);

    int channels;
    uint32_t rate;
    uint64_t frames;
    bool rf64;
    uint64_t framesWritten = 0;
    bool toStandardOutput = false;
    bool failed = false;
    std::string path;
    platform::AtomicFile file;
    // kLeadBytes of room, then kPendingFrames frames, pendingFrames of them
    // gathered.
    std::vector<float> interleaved;
    size_t pendingFrames = 0;
    std::array<uint8_t, kLeadBytes> carried{};
    size_t carriedBytes = 0;
    float largest = 0.0f;
};
