#include "engine/WavFormat.h"

#include <cstring>
#include <limits>

namespace {

// The two words of the "fmt " chunk we accept: format tag 1 (PCM) with the
// channel count, and block alignment with bits per sample.
constexpr uint32_t kPcmMono = 0x00010001;
constexpr uint32_t kPcmStereo = 0x00020001;
constexpr uint32_t k16BitMono = 0x00100002;
constexpr uint32_t k16BitStereo = 0x00100004;
constexpr uint32_t k24BitMono = 0x00180003;
constexpr uint32_t k24BitStereo = 0x00180006;

int32_t parseFormatChunk(ChunkReader& in, const ChunkReader::Chunk& chunk, AudioDataLayout& layout) {
    uint32_t tagAndChannels = 0, rate = 0, byteRate = 0, alignAndBits = 0;
    if (chunk.size < 16 || !in.seek(chunk.payload) || !in.readU32(tagAndChannels) || !in.readU32(rate) ||
        !in.readU32(byteRate) || !in.readU32(alignAndBits))
        return kAudioFailed;
    if (tagAndChannels != kPcmMono && tagAndChannels != kPcmStereo) return kAudioNotAccepted;
    layout.channels = tagAndChannels == kPcmMono ? 1 : 2;
    // The block alignment must agree with the channel count given before it.
    if (layout.channels == 1 && alignAndBits != k16BitMono && alignAndBits != k24BitMono) return kAudioNotAccepted;
    if (layout.channels == 2 && alignAndBits != k16BitStereo && alignAndBits != k24BitStereo) return kAudioNotAccepted;
    layout.bits = static_cast<int32_t>(alignAndBits >> 16);
    // A rate of 0 or one that does not fit a signed word would reach the
    // voices' pitch arithmetic as nonsense.
    if (rate == 0 || rate > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return kAudioNotAccepted;
    layout.sampleRate = static_cast<int32_t>(rate);
    return kAudioOpened;
}

void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

int32_t WavFormat::parse(ChunkReader& in, AudioDataLayout& layout) {
    uint32_t riffSize = 0;
    char form[4];
    if (!in.readU32(riffSize) || !in.readBytes(form, 4) || !sameId(form, "WAVE")) return kAudioNotAccepted;
    const int64_t end = 8 + static_cast<int64_t>(riffSize);

    bool haveFormat = false;
    bool haveData = false;
    ChunkReader::Chunk chunk, data;
    for (int64_t at = 12; !(haveFormat && haveData) && in.chunkAt(at, end, chunk); at = chunk.next()) {
        if (!haveFormat && chunk.is("fmt ")) {
            const int32_t result = parseFormatChunk(in, chunk, layout);
            if (result != kAudioOpened) return result;
            haveFormat = true;
        } else if (!haveData && chunk.is("data")) {
            data = chunk;
            haveData = true;
        }
    }
    if (!haveFormat || !haveData) return kAudioFailed;

    // Any partial frame at the end is not a frame.
    layout.frames = static_cast<int32_t>(data.size / static_cast<uint32_t>(layout.channels * layout.bits / 8));
    layout.dataOffset = data.payload;
    return kAudioOpened;
}

WavFormat::Header WavFormat::header(uint32_t frames, int32_t sampleRate) {
    Header header{};
    uint8_t* h = header.data();
    const uint32_t dataBytes = frames * 4;
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, dataBytes + 36);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);  // PCM
    put16(h + 22, 2);  // channels
    put32(h + 24, static_cast<uint32_t>(sampleRate));
    put32(h + 28, static_cast<uint32_t>(sampleRate) * 4);
    put16(h + 32, 4);  // block alignment
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
    return header;
}
