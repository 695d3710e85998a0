#include "host/WavWriter.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <immintrin.h>

#include "core/LargestMagnitude.h"

namespace {

// The chunks of a plain header ahead of the samples: "WAVE", "fmt " with
// its 18 bytes, "fact" with its 4 and the "data" chunk's own 8.
constexpr uint64_t kPlainHeaderRiffBytes = 4 + 26 + 12 + 8;
constexpr uint32_t kDs64Bytes = 28;
constexpr uint32_t kAllOnes = 0xFFFFFFFFu;

class HeaderBytes {
public:
    void put(uint64_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
    }
    void tag(const char* text) { bytes.insert(bytes.end(), text, text + 4); }
    std::vector<uint8_t> bytes;
};

}  // namespace

WavWriter::WavWriter(int channels_, uint32_t rate_, uint64_t frames_, uint64_t largestRiffSize)
    : channels(std::max(channels_, 1)),
      rate(rate_),
      frames(frames_),
      rf64(kPlainHeaderRiffBytes + frames_ * uint64_t(channels) * 4 > largestRiffSize) {}

std::vector<uint8_t> WavWriter::header() const {
    const uint64_t dataBytes = frames * uint64_t(channels) * 4;
    const uint64_t riffBytes = kPlainHeaderRiffBytes + (rf64 ? 8 + kDs64Bytes : 0) + dataBytes;
    HeaderBytes out;
    out.tag(rf64 ? "RF64" : "RIFF");
    out.put(rf64 ? kAllOnes : riffBytes, 4);
    out.tag("WAVE");
    if (rf64) {
        out.tag("ds64");
        out.put(kDs64Bytes, 4);
        out.put(riffBytes, 8);
        out.put(dataBytes, 8);
        out.put(frames, 8);
        out.put(0, 4);  // no table of other chunks' sizes
    }
    out.tag("fmt ");
    out.put(18, 4);
    out.put(3, 2);  // IEEE float
    out.put(uint32_t(channels), 2);
    out.put(rate, 4);
    out.put(uint64_t(rate) * uint32_t(channels) * 4, 4);
    out.put(uint32_t(channels) * 4, 2);
    out.put(32, 2);
    out.put(0, 2);  // no extension: readers of float files expect the field
    out.tag("fact");
    out.put(4, 4);
    out.put(rf64 ? kAllOnes : frames, 4);
    out.tag("data");
    out.put(rf64 ? kAllOnes : dataBytes, 4);
    return std::move(out.bytes);
}

bool WavWriter::open(const std::string& target, std::string& error) {
    path = target;
    toStandardOutput = target == "-";
    failed = false;
    framesWritten = 0;
    pendingFrames = 0;
    interleaved.resize(kLeadBytes / sizeof(float) + kPendingFrames * size_t(channels));
    largest = 0.0f;
    if (!toStandardOutput && !file.open(target)) return error = file.error(), false;
    // The header goes out with the first frames (see flush).
    const std::vector<uint8_t> bytes = header();
    if (bytes.size() > carried.size()) {
        file.discard();
        return error = "cannot write " + (toStandardOutput ? std::string("the standard output") : target), false;
    }
    std::copy(bytes.begin(), bytes.end(), carried.begin());
    carriedBytes = bytes.size();
    return true;
}

bool WavWriter::put(const void* bytes, size_t size) {
    if (failed) return false;
    failed = toStandardOutput ? std::fwrite(bytes, 1, size, stdout) != size : !file.write(bytes, size);
    return !failed;
}

bool WavWriter::write(const float* const* blocks, int32_t count) {
    // Not opened: there is nowhere to gather to.
    if (count < 0 || uint64_t(count) > frames - framesWritten || interleaved.empty()) failed = true;
    if (failed) return false;
    // Gathered into whole buffers, so that a render in short host blocks
    // pays the file's bookkeeping once a buffer, not once a block.
    for (int32_t done = 0; done < count;) {
        const int32_t take = std::min(count - done, int32_t(kPendingFrames - pendingFrames));
        float* out = gathered() + pendingFrames * size_t(channels);
        if (channels == 2)
            interleavePair(blocks[0] + done, blocks[1] + done, take, out);
        else
            for (int32_t i = 0; i < take; ++i)
                for (int c = 0; c < channels; ++c) out[size_t(i) * size_t(channels) + size_t(c)] = blocks[c][done + i];
        pendingFrames += size_t(take);
        done += take;
        if (pendingFrames == kPendingFrames && !flush(false)) return false;
    }
    framesWritten += uint64_t(count);
    return true;
}

float WavWriter::peak() const {
    return std::max(largest, largestMagnitude(gathered(), int32_t(pendingFrames * size_t(channels))));
}

// Every write but the last is as long as a full buffer and starts where the
// one before ended, the first at the file's start: the bytes carried over
// from the last write (at first the header) go out in front of the frames,
// and as many bytes of the frames' end stay back for the next write.  The
// kernel's page cache takes writes that start and end on its large pages
// for less (about 1.2 ms less system time for 60 s of stereo).
bool WavWriter::flush(bool last) {
    static_assert(std::endian::native == std::endian::little, "WAV samples are little-endian, as this machine's floats");
    const size_t samples = pendingFrames * size_t(channels);
    // The peak once a gathered buffer rather than once a host block: the
    // largest magnitude is the same whichever way the samples are grouped.
    largest = std::max(largest, largestMagnitude(gathered(), int32_t(samples)));
    pendingFrames = 0;
    auto* const frameBytes = reinterpret_cast<uint8_t*>(gathered());
    uint8_t* const from = frameBytes - carriedBytes;
    std::copy_n(carried.begin(), carriedBytes, from);
    const size_t size = carriedBytes + samples * sizeof(float);
    const size_t kept = last ? 0 : carriedBytes;
    std::copy_n(from + size - kept, kept, carried.begin());
    carriedBytes = kept;
    return size == kept || put(from, size - kept);
}

// Four frames a step: the two channels' lanes unpacked into left, right,
// left, right.
void WavWriter::interleavePair(const float* left, const float* right, int32_t count, float* out) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 l = _mm_loadu_ps(left + i);
        const __m128 r = _mm_loadu_ps(right + i);
        _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(l, r));
        _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(l, r));
    }
    for (; i < count; ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
}

bool WavWriter::finish(std::string& error) {
    const std::string where = toStandardOutput ? std::string("the standard output") : path;
    if (framesWritten != frames && !failed) {
        file.discard();
        return error = "cannot write " + where + ": " + std::to_string(framesWritten) + " of " + std::to_string(frames) + " frames came", false;
    }
    flush(true);
    const bool written = toStandardOutput ? !failed && std::fflush(stdout) == 0 : !failed && file.commit();
    if (!written) {
        // The writer says why: a full disk, or a target that changed into
        // something that is no file while the render ran.
        const std::string why = toStandardOutput ? std::string() : file.error();
        file.discard();
        return error = why.empty() ? "cannot write " + where : why, false;
    }
    return true;
}
