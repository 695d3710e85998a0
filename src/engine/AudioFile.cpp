#include "engine/AudioFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/AiffFormat.h"
#include "engine/ChunkReader.h"
#include "engine/WavFormat.h"
#include "platform/ReadableFile.h"

namespace {

constexpr size_t kBufferBytes = 4096;
constexpr int32_t kDefaultPieceBytes = 1024;
// A whole number of 24-bit frames, mono (3 bytes) and stereo (6 bytes).
constexpr int32_t k24BitPieceBytes = 972;
// The largest frame count whose byte sizes still fit the headers' 32-bit
// words (data plus the 46 bytes around it in an AIFF form).
constexpr int32_t kMaxWrittenFrames = static_cast<int32_t>((std::numeric_limits<uint32_t>::max() - 46) / 4);

float decodeSample(const uint8_t* p, bool wide, bool bigEndian) {
    if (!wide) {
        const uint16_t raw = bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
        return static_cast<int16_t>(raw) * (1.0f / 32768.0f);
    }
    int32_t value = bigEndian ? (p[0] << 16 | p[1] << 8 | p[2]) : (p[2] << 16 | p[1] << 8 | p[0]);
    if (value >= 0x800000) value -= 0x1000000;
    return static_cast<float>(value) * (1.0f / 8388608.0f);
}

// Values past full scale are held at the ends of the 16-bit range instead of
// wrapping around; silence stands in for a value that is not a number.
int16_t toInt16(float value) {
    if (std::isnan(value)) return 0;
    return static_cast<int16_t>(std::clamp(value * 32767.0f, -32768.0f, 32767.0f));
}

int16_t toInt16(int16_t value) {
    return value;
}

// Decoded values are exact multiples of 1/32768 for 16-bit data, so the
// scaling gives back the stored value; 24-bit data rounds.
int16_t toExactInt16(float value) {
    return static_cast<int16_t>(std::clamp(std::lround(value * 32768.0f), -32768L, 32767L));
}

void encodeSample(uint8_t* p, int16_t value, bool bigEndian) {
    const auto raw = static_cast<uint16_t>(value);
    p[bigEndian ? 1 : 0] = static_cast<uint8_t>(raw);
    p[bigEndian ? 0 : 1] = static_cast<uint8_t>(raw >> 8);
}

bool isUsablePath(const char* path) {
    return path && std::strlen(path) >= 2;
}

}  // namespace

AudioFile::AudioFile(ProgressCallback callback, void* context)
    : progressCallback(callback), progressContext(context), buffer(kBufferBytes) {}

AudioFile::~AudioFile() {
    close();
}

void AudioFile::close() {
    if (stream) std::fclose(stream);
    stream = nullptr;
    writer.discard();
    format = kNoFormat;
    mode = kClosed;
    bits = 16;
    sampleType = 0;
    frames = 0;
    pieceBytes = kDefaultPieceBytes;
    sampleRate = 44100;
    channels = 1;
    dataOffset = 0;
}

int32_t AudioFile::open(const char* path) {
    close();
    if (!isUsablePath(path)) return kAudioCannotOpen;
    stream = platform::ReadableFile(path).releaseAsStream();
    if (!stream) return kAudioCannotOpen;
    mode = kReading;
    const int32_t result = parseHeader();
    if (result != kAudioOpened) close();
    return result;
}

int32_t AudioFile::parseHeader() {
    char id[4];
    if (std::fread(id, 1, 4, stream) != 4) return kAudioNotAccepted;
    const bool wav = sameId(id, "RIFF");
    if (!wav && !sameId(id, "FORM")) return kAudioNotAccepted;

    ChunkReader in(stream, wav ? ChunkReader::ByteOrder::Little : ChunkReader::ByteOrder::Big);
    AudioDataLayout layout;
    const int32_t result = wav ? WavFormat::parse(in, layout) : AiffFormat::parse(in, layout);
    if (result != kAudioOpened) return result;

    format = wav ? kWav : kAiff;
    channels = layout.channels;
    bits = layout.bits;
    sampleRate = layout.sampleRate;
    frames = layout.frames;
    dataOffset = layout.dataOffset;
    sampleType = (channels == 2 ? 4 : 0) + (bits == 24 ? 2 : 0) + format;
    return kAudioOpened;
}

void AudioFile::reportProgress(int64_t total, int64_t remaining) const {
    if (!progressCallback || !progressContext) return;
    const float done = total > 0 ? static_cast<float>(total - remaining) / static_cast<float>(total) : 0.0f;
    progressCallback(done, progressContext);
}

// Reads the data in pieces of pieceBytes bytes (whole frames) and hands every
// frame to `store` as (index, left, right).
template <typename Store>
int32_t AudioFile::readFrames(Store store) {
    if (mode != kReading) return 0;
    const bool wide = (sampleType & 2) != 0;
    const bool bigEndian = (sampleType & 1) != 0;
    const int32_t sampleBytes = wide ? 3 : 2;
    const int32_t frameBytes = sampleBytes * channels;
    if (wide) pieceBytes = k24BitPieceBytes;
    if (fseeko(stream, dataOffset, SEEK_SET) != 0) return 0;

    const int64_t total = static_cast<int64_t>(frameBytes) * frames;
    int64_t remaining = total;
    int32_t frame = 0;
    for (;;) {
        reportProgress(total, remaining);
        const auto piece = static_cast<size_t>(std::min<int64_t>(remaining, pieceBytes));
        if (std::fread(buffer.data(), 1, piece, stream) != piece) return 0;
        for (size_t at = 0; at < piece; at += frameBytes, ++frame) {
            const float left = decodeSample(&buffer[at], wide, bigEndian);
            const float right = channels == 2 ? decodeSample(&buffer[at + sampleBytes], wide, bigEndian) : left;
            store(frame, left, right);
        }
        remaining -= static_cast<int64_t>(piece);
        if (remaining == 0) return 1;
    }
}

int32_t AudioFile::readFloat(float* left, float* right) {
    if (!left || !right) return 0;
    return readFrames([&](int32_t i, float l, float r) {
        left[i] = l;
        right[i] = r;
    });
}

int32_t AudioFile::readInt16(int16_t* left, int16_t* right) {
    if (!left || !right) return 0;
    return readFrames([&](int32_t i, float l, float r) {
        left[i] = static_cast<int16_t>(l * 32767.0f);
        right[i] = static_cast<int16_t>(r * 32767.0f);
    });
}

int32_t AudioFile::readExactInt16(int16_t* left, int16_t* right) {
    if (!left || !right) return 0;
    return readFrames([&](int32_t i, float l, float r) {
        left[i] = toExactInt16(l);
        right[i] = toExactInt16(r);
    });
}

bool AudioFile::openForWriting(const char* path, int32_t fileFormat, int32_t rate) {
    close();
    if (!isUsablePath(path) || (fileFormat != kWav && fileFormat != kAiff) || rate <= 0) return false;
    if (!writer.open(path)) return false;
    mode = kWriting;
    format = fileFormat;
    sampleRate = rate;
    return true;
}

int32_t AudioFile::create(const float* left, const float* right, int32_t frameCount) {
    return writeAll(left, right, frameCount);
}

int32_t AudioFile::createInt16(const int16_t* left, const int16_t* right, int32_t frameCount) {
    return writeAll(left, right, frameCount);
}

template <typename Value>
int32_t AudioFile::writeAll(const Value* left, const Value* right, int32_t frameCount) {
    if (mode != kWriting) return 3;
    const bool written = writeFrames(left, right, frameCount) && writer.commit();
    close();  // drops the temporary file unless it was put in place
    return written ? 1 : 0;
}

template <typename Value>
bool AudioFile::writeFrames(const Value* left, const Value* right, int32_t frameCount) {
    if (!left || !right || frameCount <= 0 || frameCount > kMaxWrittenFrames) return false;
    const auto count = static_cast<uint32_t>(frameCount);
    const bool aiff = format == kAiff;
    const bool headed = aiff ? writer.write(AiffFormat::header(count, sampleRate).data(), AiffFormat::kHeaderBytes)
                             : writer.write(WavFormat::header(count, sampleRate).data(), WavFormat::kHeaderBytes);
    if (!headed) return false;

    const int32_t framesPerPiece = pieceBytes / 4;
    for (int32_t first = 0; first < frameCount; first += framesPerPiece) {
        const int32_t n = std::min(framesPerPiece, frameCount - first);
        for (int32_t i = 0; i < n; ++i) {
            encodeSample(&buffer[4 * i], toInt16(left[first + i]), aiff);
            encodeSample(&buffer[4 * i + 2], toInt16(right[first + i]), aiff);
        }
        if (!writer.write(buffer.data(), static_cast<size_t>(4 * n))) return false;
    }
    return true;
}
