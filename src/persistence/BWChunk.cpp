#include "persistence/BWChunk.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "platform/LittleEndian.h"

BWChunk::BWChunk() = default;

// Someone else's bytes are already sized: there is nothing to measure, and a
// write that only measured would report success while storing nothing.
BWChunk::BWChunk(void* data, uint32_t byteSize)
    : externalBuffer(true),
      bytes(static_cast<unsigned char*>(data)),
      capacityWords(data ? byteSize / 4 : 0),
      measuring(false) {}

BWChunk::~BWChunk() = default;

uint32_t BWChunk::loadWord(const unsigned char* at) {
    return platform::littleWord(at);
}

void BWChunk::storeWord(unsigned char* at, uint32_t word) {
    at[0] = uint8_t(word);
    at[1] = uint8_t(word >> 8);
    at[2] = uint8_t(word >> 16);
    at[3] = uint8_t(word >> 24);
}

bool BWChunk::isAcceptedFormat(uint32_t word) {
    return word == kFormatPlain || word == kFormatPlainWithInfo || isCompressedFormat(word);
}

bool BWChunk::isCompressedFormat(uint32_t word) {
    return word == kFormatCompressed || word == kFormatCompressedWithInfo;
}

void BWChunk::install(std::unique_ptr<uint32_t[]> words, uint32_t wordCount) {
    owned = std::move(words);
    bytes = reinterpret_cast<unsigned char*>(owned.get());
    capacityWords = owned ? wordCount : 0;
    externalBuffer = false;
}

void BWChunk::adoptWords(std::unique_ptr<uint32_t[]> words, uint32_t wordCount) {
    install(std::move(words), wordCount);
    loaded = true;
    position = 0;
    failed = false;
}

// In the measuring pass the position is the count so far and may go
// anywhere.  Over a buffer, a position past the end is a step past the data,
// as a read past it would be: it stops at the end, so that no later step
// starts outside the buffer, and fails.
void BWChunk::setPosition(uint32_t word) {
    if (measuring || word <= capacityWords) {
        position = word;
        return;
    }
    failAtEnd();
}

void BWChunk::setStreamWindow(uint32_t positionWord, uint32_t capacity) {
    position = positionWord;
    capacityWords = capacity;
}

// Hands out the next words of the buffer, or fails and parks the position at
// the end so that every later read fails too.
unsigned char* BWChunk::claim(uint32_t words) {
    if (words > wordsLeft()) {
        failAtEnd();
        return nullptr;
    }
    unsigned char* at = bytes + size_t(position) * 4;
    position += words;
    return at;
}

void BWChunk::failAtEnd() {
    failed = true;
    if (position < capacityWords) position = capacityWords;
}

void BWChunk::advanceMeasured(uint32_t words) {
    if (words > UINT32_MAX - position) {
        failed = true;  // no buffer could hold it; the save must fail
        return;
    }
    position += words;
}

void BWChunk::putWord(uint32_t word) {
    if (measuring) {
        advanceMeasured(1);
        return;
    }
    if (unsigned char* at = claim(1)) storeWord(at, word);
}

uint32_t BWChunk::takeWord() {
    const unsigned char* at = claim(1);
    return at ? loadWord(at) : 0;
}

// Copies n bytes in and advances advanceWords (n/4 for raw bytes, ceil(n/4)
// for padded ones, whose tail is cleared in case the buffer was not fresh).
void BWChunk::copyIn(const void* data, uint32_t n, uint32_t advanceWords) {
    if (measuring) {
        advanceMeasured(advanceWords);
        return;
    }
    if (uint64_t(n) > uint64_t(wordsLeft()) * 4 || advanceWords > wordsLeft()) {
        failAtEnd();
        return;
    }
    // A chunk over no bytes has no address to step from.
    if (n == 0 && advanceWords == 0) return;
    unsigned char* at = bytes + size_t(position) * 4;
    if (n > 0 && data) std::memcpy(at, data, n);
    if (n > 0 && !data) std::memset(at, 0, n);
    const uint32_t span = advanceWords * 4;
    if (span > n) std::memset(at + n, 0, span - n);
    position += advanceWords;
}

bool BWChunk::copyOut(void* data, uint32_t n, uint32_t advanceWords) {
    if (uint64_t(n) > uint64_t(wordsLeft()) * 4) {
        failAtEnd();
        if (n > 0 && data) std::memset(data, 0, n);
        return false;
    }
    if (n > 0 && data) std::memcpy(data, bytes + size_t(position) * 4, n);
    position += advanceWords;
    return true;
}

void BWChunk::putBlock(const void* data, uint32_t n) {
    if (!data) n = 0;
    putWord(n);
    copyIn(data, n, paddedWords(n));
}

// A stored length larger than the words left is refused before anything is
// copied, so a corrupt length never reads outside the buffer.
bool BWChunk::takeBlock(uint32_t n, const unsigned char*& text) {
    text = claim(paddedWords(n));
    return text != nullptr;
}

void BWChunk::writeFloat(float value) { putWord(std::bit_cast<uint32_t>(value)); }

void BWChunk::readFloat(float& out) { out = readFloat(); }

float BWChunk::readFloat() { return std::bit_cast<float>(takeWord()); }

void BWChunk::stepBack() {
    if (position > 0) --position;
}

void BWChunk::writeRect(const int32_t rect[4]) {
    for (int i = 0; i < 4; ++i) writeInt(rect[i]);
}

void BWChunk::readRect(int32_t rect[4]) {
    for (int i = 0; i < 4; ++i) rect[i] = readInt();
}

ChunkRect BWChunk::readRect(ChunkRect& rect) {
    rect.left = readInt();
    rect.top = readInt();
    rect.right = readInt();
    rect.bottom = readInt();
    return rect;
}

void BWChunk::writeInt(int32_t value) { putWord(uint32_t(value)); }

void BWChunk::readInt(int32_t& out) { out = readInt(); }

int32_t BWChunk::readInt() { return int32_t(takeWord()); }

void BWChunk::write(float value) { writeFloat(value); }

void BWChunk::write(int32_t value) { writeInt(value); }

void BWChunk::write(uint32_t value) { writeInt(int32_t(value)); }

void BWChunk::read(float& out) { readFloat(out); }

void BWChunk::read(int32_t& out) { out = readInt(); }

void BWChunk::read(uint32_t& out) {
    int32_t value = 0;
    readInt(value);
    out = uint32_t(value);
}

void BWChunk::writeBytes(const void* data, uint32_t n) { copyIn(data, n, n / 4); }

void BWChunk::readBytes(void* data, uint32_t n) { copyOut(data, n, n / 4); }

static_assert(std::endian::native == std::endian::little, "float arrays are written as their bytes");

void BWChunk::writeFloats(const float* values, uint64_t count) {
    if (count > UINT32_MAX / sizeof(float)) {
        failAtEnd();
        return;
    }
    writeBytes(values, uint32_t(count * sizeof(float)));
}

void BWChunk::readFloats(float* values, uint64_t count) {
    if (count > UINT32_MAX / sizeof(float)) {
        failAtEnd();
        std::fill_n(values, count, 0.0f);
        return;
    }
    readBytes(values, uint32_t(count * sizeof(float)));
}

void BWChunk::writeString(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    if (length > UINT32_MAX) {
        failed = true;
        return;
    }
    putBlock(text, uint32_t(length));
}

int32_t BWChunk::writeRawBytes(const void* data, int32_t n) {
    if (n < 0) {
        failed = true;
        return 0;
    }
    const bool wasFailed = failed;
    copyIn(data, uint32_t(n), uint32_t(n) / 4);
    return failed && !wasFailed ? 0 : n / 4;
}

void BWChunk::readString(std::string& out) {
    out.clear();
    const uint32_t n = takeWord();
    const unsigned char* text = nullptr;
    if (n == 0 || !takeBlock(n, text)) return;
    const char* chars = reinterpret_cast<const char*>(text);
    out.assign(chars, strnlen(chars, n));
}

std::unique_ptr<char[]> BWChunk::readString() {
    const uint32_t n = takeWord();
    const unsigned char* text = nullptr;
    if (n == 0 || !takeBlock(n, text)) return nullptr;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[size_t(n) + 1]());
    if (!copy) {
        failed = true;
        return nullptr;
    }
    std::memcpy(copy.get(), text, n);
    return copy;
}

int32_t BWChunk::readString(char* buffer, uint32_t bufferSize) {
    if (buffer && bufferSize > 0) buffer[0] = 0;
    const uint32_t n = takeWord();
    const unsigned char* text = nullptr;
    if (n == 0 || !takeBlock(n, text)) return 0;
    if (buffer && bufferSize > 0) {
        const uint32_t kept = n < bufferSize ? n : bufferSize - 1;
        std::memcpy(buffer, text, kept);
        buffer[kept] = 0;
    }
    return int32_t(paddedWords(n));
}

void BWChunk::readRawBytes(void* data, int32_t n) {
    if (n < 0) {
        failed = true;
        return;
    }
    copyOut(data, uint32_t(n), uint32_t(n) / 4);
}

uint32_t BWChunk::readPaddedBytes(void* data, uint32_t n) {
    copyOut(data, n, paddedWords(n));
    return n % 4;
}

void BWChunk::writeBlock(const void* data, uint32_t n) { putBlock(data, n); }
