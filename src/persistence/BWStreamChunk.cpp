#include "persistence/BWStreamChunk.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "platform/ReadableFile.h"

BWStreamableFile::~BWStreamableFile() { close(); }

bool BWStreamableFile::close() {
    if (!file) return true;
    const bool ok = std::fclose(file) == 0;
    file = nullptr;
    return ok;
}

BWStreamChunk::BWStreamChunk() {
    setSourceKind(kSourceStream);
    setMeasuring(false);
}

BWStreamChunk::~BWStreamChunk() { close(); }

bool BWStreamChunk::openForReading(const char* path) {
    close();
    std::FILE* opened = path ? platform::ReadableFile(path).releaseAsStream() : nullptr;
    if (!opened) return false;
    attachForReading(opened);
    return true;
}

void BWStreamChunk::attachForReading(std::FILE* opened) {
    close();
    file = std::make_unique<BWStreamableFile>(opened);
    fileBytes = 0;
    if (std::fseek(opened, 0, SEEK_END) == 0) {
        const long size = std::ftell(opened);
        if (size > 0) fileBytes = uint64_t(size);
    }
    std::fseek(opened, 0, SEEK_SET);
    clearFailed();
    syncWindow();
}

bool BWStreamChunk::openForWriting(const char* path) {
    close();
    if (!path || !writer.open(path)) return false;
    writeMode = true;
    clearFailed();
    return true;
}

// A file shorter than a word still gets its whole first word.
bool BWStreamChunk::writeLengthWord() {
    unsigned char word[4];
    storeWord(word, uint32_t(writer.size() / 4));
    static const unsigned char zeros[4] = {};
    if (writer.size() < 4) writer.write(zeros, size_t(4 - writer.size()));
    return writer.writeAt(0, word, 4);
}

bool BWStreamChunk::finishWriting() {
    if (!writeMode) return false;
    writeMode = false;
    if (!hasFailed() && writeLengthWord()) return writer.commit();
    writer.discard();
    return false;
}

void BWStreamChunk::close() {
    if (writeMode) finishWriting();
    file.reset();
}

uint64_t BWStreamChunk::bytesLeft() const {
    if (!file) return 0;
    const long offset = std::ftell(file->get());
    return offset >= 0 && uint64_t(offset) < fileBytes ? fileBytes - uint64_t(offset) : 0;
}

void BWStreamChunk::syncWindow() {
    const long offset = file ? std::ftell(file->get()) : 0;
    const uint64_t word = offset > 0 ? uint64_t(offset) / 4 : 0;
    setStreamWindow(uint32_t(std::min<uint64_t>(word, UINT32_MAX)),
                    uint32_t(std::min<uint64_t>(fileBytes / 4, UINT32_MAX)));
}

bool BWStreamChunk::readFromFile(void* data, size_t n) {
    if (n == 0) return true;
    size_t got = 0;
    if (file && !writeMode && data) got = std::fread(data, 1, n, file->get());
    if (got != n) {
        if (data) std::memset(data, 0, n);  // a short read yields nothing, not a partial word
        markFailed();
    }
    syncWindow();
    return got == n;
}

void BWStreamChunk::writeToFile(const void* data, size_t n) {
    if (!writeMode || (n > 0 && !data) || !writer.write(data, n)) markFailed();
}

uint32_t BWStreamChunk::readWord() {
    unsigned char word[4];
    readFromFile(word, 4);
    return loadWord(word);
}

void BWStreamChunk::writeInt(int32_t value) {
    unsigned char word[4];
    storeWord(word, uint32_t(value));
    writeToFile(word, 4);
}

int32_t BWStreamChunk::readInt() { return int32_t(readWord()); }

void BWStreamChunk::writeFloat(float value) { writeInt(std::bit_cast<int32_t>(value)); }

float BWStreamChunk::readFloat() { return std::bit_cast<float>(readWord()); }

void BWStreamChunk::stepBack() {}

void BWStreamChunk::writeBytes(const void* data, uint32_t n) { writeToFile(data, n); }

void BWStreamChunk::readBytes(void* data, uint32_t n) { readFromFile(data, n); }

int32_t BWStreamChunk::writeRawBytes(const void* data, int32_t n) {
    if (n < 0) {
        markFailed();
        return 0;
    }
    writeToFile(data, size_t(n));
    return n / 4;
}

void BWStreamChunk::readRawBytes(void* data, int32_t n) {
    if (n < 0) {
        markFailed();
        return;
    }
    readFromFile(data, size_t(n));
}

uint32_t BWStreamChunk::readPaddedBytes(void* data, uint32_t n) {
    if (readFromFile(data, n)) {
        unsigned char pad[4];
        readFromFile(pad, paddedWords(n) * 4 - n);
    }
    return n % 4;
}

void BWStreamChunk::putBlock(const void* data, uint32_t n) {
    if (!data) n = 0;
    writeInt(int32_t(n));
    writeToFile(data, n);
    static const unsigned char zeros[4] = {};
    writeToFile(zeros, paddedWords(n) * 4 - n);
}

void BWStreamChunk::writeString(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    if (length > UINT32_MAX) {
        markFailed();
        return;
    }
    putBlock(text, uint32_t(length));
}

void BWStreamChunk::writeBlock(const void* data, uint32_t n) { putBlock(data, n); }

// The stored length is checked against what the file still holds before
// anything is allocated, so a corrupt length cannot make us reserve gigabytes.
bool BWStreamChunk::takeBlock(uint32_t n, std::string& text) {
    const uint64_t span = uint64_t(paddedWords(n)) * 4;
    std::unique_ptr<char[]> stored;
    if (span <= bytesLeft()) stored.reset(new (std::nothrow) char[span]);
    if (!stored) {  // beyond the file, or more than memory holds
        if (file) std::fseek(file->get(), 0, SEEK_END);
        syncWindow();
        markFailed();
        return false;
    }
    if (!readFromFile(stored.get(), span)) return false;
    try {
        text.assign(stored.get(), strnlen(stored.get(), n));
    } catch (const std::bad_alloc&) {
        markFailed();
        return false;
    }
    return true;
}

void BWStreamChunk::readString(std::string& out) {
    const uint32_t n = readWord();
    std::string text;
    if (n != 0 && takeBlock(n, text)) out = text;
}

std::unique_ptr<char[]> BWStreamChunk::readString() {
    const uint32_t n = readWord();
    std::string text;
    if (n == 0 || !takeBlock(n, text)) return nullptr;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[size_t(n) + 1]());
    if (!copy) {
        markFailed();
        return nullptr;
    }
    std::memcpy(copy.get(), text.data(), text.size());
    return copy;
}

int32_t BWStreamChunk::readString(char* buffer, uint32_t bufferSize) {
    if (buffer && bufferSize > 0) buffer[0] = 0;
    const uint32_t n = readWord();
    std::string text;
    if (n == 0 || !takeBlock(n, text)) return 0;
    if (buffer && bufferSize > 0) {
        const size_t kept = std::min<size_t>(text.size(), bufferSize - 1);
        std::memcpy(buffer, text.data(), kept);
        buffer[kept] = 0;
    }
    return int32_t(paddedWords(n));
}
