#include "engine/AiffFormat.h"

#include <cstring>
#include <limits>

namespace {

// The sample rates we read, told apart by the first four bytes of their
// 80-bit extended value (sign and exponent, then the top of the mantissa);
// the rest of the value is not looked at, so a rate whose low mantissa bytes
// are not zero (as in the files we write) still counts.
struct KnownRate {
    uint8_t bytes[4];
    int32_t rate;
};
constexpr KnownRate kRates[] = {
    {{0x40, 0x0E, 0xAC, 0x44}, 44100},
    {{0x40, 0x0E, 0xBB, 0x80}, 48000},
    {{0x40, 0x0D, 0xAC, 0x44}, 22050},
    {{0x40, 0x0F, 0xAC, 0x44}, 88200},
    {{0x40, 0x0F, 0xBB, 0x80}, 96000},
};

// The extended value we write for 44100 Hz; its last two bytes are 9, not 0,
// which every reader still takes for 44100.
constexpr uint8_t kWrittenRate[10] = {0x40, 0x0E, 0xAC, 0x44, 0x00, 0x00, 0x00, 0x00, 0x09, 0x09};

// Any other rate as an exact 80-bit extended value: sign and a 15-bit
// exponent biased by 16383, then a 64-bit mantissa with its integer bit set.
void extendedFromRate(int32_t rate, uint8_t bytes[10]) {
    if (rate == 44100) {
        std::memcpy(bytes, kWrittenRate, sizeof kWrittenRate);
        return;
    }
    uint64_t mantissa = static_cast<uint32_t>(rate);
    int exponent = 63;
    while (!(mantissa & (uint64_t(1) << 63))) {
        mantissa <<= 1;
        --exponent;
    }
    const uint32_t biased = 16383 + static_cast<uint32_t>(exponent);
    bytes[0] = static_cast<uint8_t>(biased >> 8);
    bytes[1] = static_cast<uint8_t>(biased);
    for (int i = 0; i < 8; ++i) bytes[2 + i] = static_cast<uint8_t>(mantissa >> (56 - 8 * i));
}

int32_t rateFromExtended(const uint8_t* bytes) {
    for (const KnownRate& known : kRates)
        if (std::memcmp(bytes, known.bytes, 4) == 0) return known.rate;
    return 0;
}

int32_t parseCommonChunk(ChunkReader& in, const ChunkReader::Chunk& chunk, AudioDataLayout& layout) {
    uint16_t channels = 0, sampleSize = 0;
    uint32_t frames = 0;
    uint8_t rate[10];
    if (chunk.size < 18 || !in.seek(chunk.payload) || !in.readU16(channels) || !in.readU32(frames) ||
        !in.readU16(sampleSize) || !in.readBytes(rate, sizeof rate))
        return kAudioFailed;
    if (channels != 1 && channels != 2) return kAudioFailed;
    if (frames > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return kAudioFailed;
    if (sampleSize != 16 && sampleSize != 24) return kAudioNotAccepted;
    layout.sampleRate = rateFromExtended(rate);
    if (layout.sampleRate == 0) return kAudioNotAccepted;
    layout.channels = channels;
    layout.frames = static_cast<int32_t>(frames);
    layout.bits = sampleSize;
    return kAudioOpened;
}

// The sound data starts after the chunk's offset and block-size words and
// `offset` bytes of padding; the frames the common chunk counts must all lie
// inside the chunk.
int32_t locateSoundData(ChunkReader& in, const ChunkReader::Chunk& chunk, AudioDataLayout& layout) {
    uint32_t offset = 0, blockSize = 0;
    if (chunk.size < 8 || !in.seek(chunk.payload) || !in.readU32(offset) || !in.readU32(blockSize))
        return kAudioFailed;
    const uint64_t room = chunk.size - 8;
    if (offset > room) return kAudioFailed;
    const uint64_t needed = static_cast<uint64_t>(layout.frames) * layout.channels * (layout.bits / 8);
    if (needed > room - offset) return kAudioFailed;
    layout.dataOffset = chunk.payload + 8 + offset;
    return kAudioOpened;
}

void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

}  // namespace

int32_t AiffFormat::parse(ChunkReader& in, AudioDataLayout& layout) {
    uint32_t formSize = 0;
    char form[4];
    if (!in.readU32(formSize) || !in.readBytes(form, 4) || !sameId(form, "AIFF")) return kAudioFailed;
    const int64_t end = 8 + static_cast<int64_t>(formSize);

    // Chunks may come in any order: sox, for one, puts a comment chunk
    // before the common chunk.
    bool haveCommon = false;
    bool haveSound = false;
    ChunkReader::Chunk chunk, sound;
    for (int64_t at = 12; !(haveCommon && haveSound) && in.chunkAt(at, end, chunk); at = chunk.next()) {
        if (!haveCommon && chunk.is("COMM")) {
            const int32_t result = parseCommonChunk(in, chunk, layout);
            if (result != kAudioOpened) return result;
            haveCommon = true;
        } else if (!haveSound && chunk.is("SSND")) {
            sound = chunk;
            haveSound = true;
        }
    }
    if (!haveCommon || !haveSound) return kAudioFailed;
    return locateSoundData(in, sound, layout);
}

AiffFormat::Header AiffFormat::header(uint32_t frames, int32_t sampleRate) {
    Header header{};
    uint8_t* h = header.data();
    const uint32_t dataBytes = frames * 4;
    std::memcpy(h, "FORM", 4);
    put32(h + 4, dataBytes + 46);
    std::memcpy(h + 8, "AIFFCOMM", 8);
    put32(h + 16, 18);
    put16(h + 20, 2);  // channels
    put32(h + 22, frames);
    put16(h + 26, 16);  // bits
    extendedFromRate(sampleRate, h + 28);
    std::memcpy(h + 38, "SSND", 4);
    put32(h + 42, dataBytes + 8);
    put32(h + 46, 0);  // offset
    put32(h + 50, 0);  // block size
    return header;
}
