// The chunk header, the two-pass write, whole-file loads and compressed
// bodies: the members of BWChunk that deal with a chunk as a whole.

#include <cstring>
#include <memory>
#include <new>

#include "platform/Framework.h"
#include "persistence/BWChunk.h"
#include "persistence/BWFileio.h"
#include "persistence/InflateToBuffer.h"

namespace {

// No preset, state or instrument file comes near these; anything larger is
// not ours and must not make us allocate.
constexpr uint32_t kMaxFileBytes = 1u << 30;
constexpr uint32_t kMaxInflatedBytes = 1u << 28;
// Deflate cannot expand a byte of input into more than 1032 bytes of output.
constexpr uint64_t kMaxInflateRatio = 1032;

void refuseFormat(bool quiet) {
    if (!quiet) AlertPrintf("\t This is no valid %s format!", getProductName());
}

void refuseBody(bool quiet) {
    if (!quiet) AlertPrintf("This is not a %s file", getProductName());
}

std::unique_ptr<uint32_t[]> zeroedWords(uint64_t count) {
    if (count == 0 || count > UINT32_MAX) return nullptr;
    return std::unique_ptr<uint32_t[]>(new (std::nothrow) uint32_t[count]());
}

// The whole file in zeroed words (a trailing partial word is zero-filled).
bool readWholeFile(const char* path, std::unique_ptr<uint32_t[]>& words, uint32_t& wordCount) {
    const uint32_t size = BWFileio::fileSize(path);  // 0 also for a missing or irregular file
    if (size == 0 || size > kMaxFileBytes) return false;
    wordCount = (size + 3) / 4;
    words = zeroedWords(wordCount);
    return words && BWFileio::readWhole(path, words.get(), size);
}

uint32_t plainCounterpart(uint32_t formatWord) {
    return formatWord == BWChunk::kFormatCompressedWithInfo ? BWChunk::kFormatPlainWithInfo
                                                            : BWChunk::kFormatPlain;
}

bool plausibleBodySize(uint32_t plainBytes, uint64_t packedBytes) {
    return plainBytes != 0 && plainBytes % 4 == 0 && plainBytes <= kMaxInflatedBytes &&
           plainBytes <= packedBytes * kMaxInflateRatio;
}

}  // namespace

bool BWChunk::parseHeader(bool quiet) {
    if (!bytes && sourceKind == kSourceMemory) return false;
    position = 0;
    failed = false;
    const uint32_t length = uint32_t(readInt());
    const uint32_t version = uint32_t(readInt());
    const float headerTempo = readFloat();
    const float headerRate = readFloat();
    const uint32_t format = uint32_t(readInt());
    if (failed) {  // shorter than a header: keep the fields as they were
        refuseFormat(quiet);
        return false;
    }
    dataLength = length;
    programVersion = version;
    tempo = headerTempo;
    sampleRate = headerRate;
    formatWord = format;
    if (!isAcceptedFormat(formatWord)) {
        refuseFormat(quiet);
        return false;
    }
    return true;
}

bool BWChunk::loadFromFile(const char* path, bool quiet) {
    std::unique_ptr<uint32_t[]> words;
    uint32_t wordCount = 0;
    if (!readWholeFile(path, words, wordCount)) return false;
    adoptWords(std::move(words), wordCount);
    if (!parseHeader(quiet)) return false;
    // A cut-off file: its readers would run out of words mid-record.
    if (dataLength > capacityWords) {
        refuseFormat(quiet);
        return false;
    }
    return true;
}

void BWChunk::writeHeader(uint32_t format) {
    programVersion = uint32_t(::getProgramVersion());
    formatWord = format;
    if (measuring) {
        advanceMeasured(kHeaderWords);
        return;
    }
    const uint32_t total = position;  // the measured count, left by allocateMeasured
    position = 0;
    dataLength = total;
    writeInt(int32_t(total));
    writeInt(int32_t(programVersion));
    writeFloat(tempo);
    writeFloat(sampleRate);
    writeInt(int32_t(format));
}

void BWChunk::allocateMeasured() {
    measuring = false;
    // A chunk written again at the same size (the state the host asks for
    // time and again) keeps its buffer.
    if (owned && !externalBuffer && bytes == reinterpret_cast<unsigned char*>(owned.get()) &&
        capacityWords == position) {
        std::memset(owned.get(), 0, size_t(position) * sizeof(uint32_t));
        return;
    }
    std::unique_ptr<uint32_t[]> words = zeroedWords(position);
    if (position > 0 && !words) failed = true;  // out of memory: the real pass must fail
    install(std::move(words), position);
}

void BWChunk::resetForWrite() {
    position = 0;
    measuring = true;
    loaded = false;
    failed = false;
}

bool BWChunk::inflateCompressedBody(bool quiet) {
    if (!isCompressedFormat(formatWord)) return true;
    if (sourceKind != kSourceMemory) return false;
    const uint32_t head = position;
    if (head < kHeaderWords) {
        refuseBody(quiet);
        return false;
    }
    const uint32_t plainBytes = uint32_t(readInt());
    const uint32_t bodyStart = position;
    if (failed || dataLength < bodyStart || dataLength > capacityWords) {
        refuseBody(quiet);
        return false;
    }
    const uint64_t packedBytes = uint64_t(dataLength - bodyStart) * 4;
    if (packedBytes > UINT32_MAX || !plausibleBodySize(plainBytes, packedBytes)) {
        refuseBody(quiet);
        return false;
    }
    const uint64_t totalWords = uint64_t(head) + plainBytes / 4;
    std::unique_ptr<uint32_t[]> words = zeroedWords(totalWords);
    unsigned char* out = reinterpret_cast<unsigned char*>(words.get());
    if (!words ||
        inflateToBuffer(bytes + size_t(bodyStart) * 4, uint32_t(packedBytes), out + size_t(head) * 4,
                        plainBytes) != int32_t(plainBytes)) {
        refuseBody(quiet);
        return false;
    }
    std::memcpy(out, bytes, size_t(head) * 4);
    formatWord = plainCounterpart(formatWord);
    storeWord(out + 4 * 4, formatWord);
    install(std::move(words), uint32_t(totalWords));
    loaded = true;
    measuring = false;
    position = head;
    dataLength = uint32_t(totalWords);
    return true;
}
