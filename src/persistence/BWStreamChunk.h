#pragma once
// The chunk word encoding straight over an open file, for instrument files,
// which are read word by word as the zones come.
//
// Reads are bounded by the file: a short read yields 0 (or an empty string)
// and sets the failed flag; a string longer than the rest of the file is
// refused.  The position has no effect on the file (stepBack does nothing);
// it mirrors the file offset so that wordsLeft tells what the file still holds.
//
// Writing goes through a platform::AtomicFile: the target is replaced only
// when every word was written, and the first word then holds the file's
// length in words.  One thread at a time.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "persistence/BWChunk.h"
#include "platform/AtomicFile.h"

// Holds the open file and closes it when it goes.
class BWStreamableFile {
public:
    explicit BWStreamableFile(std::FILE* file) : file(file) {}
    virtual ~BWStreamableFile();
    BWStreamableFile(const BWStreamableFile&) = delete;
    BWStreamableFile& operator=(const BWStreamableFile&) = delete;

    std::FILE* get() const { return file; }
    // Closes now; false when buffered bytes could not be written.
    bool close();

private:
    std::FILE* file;
};

class BWStreamChunk : public BWChunk {
public:
    BWStreamChunk();
    // Finishes a write still open (see finishWriting) and closes the file.
    ~BWStreamChunk() override;

    // Opens the file for reading; false when it cannot be opened or is no
    // regular file (see platform/ReadableFile.h).
    bool openForReading(const char* path);
    // Takes over a file already open for reading; it is closed with the chunk.
    void attachForReading(std::FILE* file);
    // Starts writing to a temporary file beside path.
    bool openForWriting(const char* path);
    // Puts the length word first, closes and renames the file over the
    // target; on any failed write the target stays as it was.  True when the
    // file is in place.
    bool finishWriting();
    // Closes the file (finishing a write).
    void close();

    using BWChunk::readFloat;
    using BWChunk::readInt;

    void writeFloat(float value) override;
    float readFloat() override;
    void stepBack() override;
    void writeInt(int32_t value) override;
    int32_t readInt() override;
    void writeBytes(const void* data, uint32_t n) override;
    void readBytes(void* data, uint32_t n) override;
    void writeString(const char* text) override;
    int32_t writeRawBytes(const void* data, int32_t n) override;
    // A stored length of 0 leaves the text as it was.
    void readString(std::string& out) override;
    std::unique_ptr<char[]> readString() override;
    int32_t readString(char* buffer, uint32_t bufferSize) override;
    void readRawBytes(void* data, int32_t n) override;
    uint32_t readPaddedBytes(void* data, uint32_t n) override;
    void writeBlock(const void* data, uint32_t n) override;

    // The next four bytes of the file as a little-endian word.
    virtual uint32_t readWord();

private:
    bool readFromFile(void* data, size_t n);
    void writeToFile(const void* data, size_t n);
    void putBlock(const void* data, uint32_t n);
    bool takeBlock(uint32_t n, std::string& text);
    uint64_t bytesLeft() const;
    void syncWindow();
    bool writeLengthWord();

    bool writeMode = false;
    std::unique_ptr<BWStreamableFile> file;  // while reading
    uint64_t fileBytes = 0;
    platform::AtomicFile writer;  // while writing
};
