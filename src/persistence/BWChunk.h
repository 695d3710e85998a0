#pragma once
// The serialiser every persistent thing goes through: a buffer of 32-bit
// little-endian words with one position that reading and writing advance.
//
// Writing runs the writer's code twice: first in the measuring pass, where a
// write only advances the position, then into a zeroed buffer of exactly the
// measured size (allocateMeasured).  The buffer never grows.
//
// Every read and write is bounded by the buffer.  A read past the end yields
// 0 (or an empty string), a write past the end stores nothing; both move the
// position to the end and set the sticky failed flag, so a caller can read a
// whole record and test once.
//
// One chunk belongs to one thread at a time (host/GUI thread, the program
// loader or a worker); nothing here is shared.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A rectangle as chunks store it, in the toolkit's field order.
struct ChunkRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class BWChunk {
public:
    static constexpr uint32_t kHeaderWords = 5;
    static constexpr uint32_t kFormatPlain = 26101977;
    static constexpr uint32_t kFormatPlainWithInfo = 26101978;
    static constexpr uint32_t kFormatCompressed = 26453980;
    static constexpr uint32_t kFormatCompressedWithInfo = 26453981;
    // What a new chunk holds until a header is parsed; no reader accepts it.
    static constexpr uint32_t kFormatUnset = 26453978;

    static constexpr uint32_t kSourceMemory = 0;
    static constexpr uint32_t kSourceStream = 1;

    // An empty chunk in the measuring pass.
    BWChunk();
    // Reads and writes someone else's bytes in place without owning them;
    // such a chunk never measures.
    BWChunk(void* bytes, uint32_t byteSize);
    virtual ~BWChunk();
    BWChunk(const BWChunk&) = delete;
    BWChunk& operator=(const BWChunk&) = delete;

    // The order of the virtual operations is part of the interface: keep it.
    virtual void writeFloat(float value);
    virtual void readFloat(float& out);
    virtual float readFloat();
    virtual void stepBack();
    virtual void writeRect(const int32_t rect[4]);
    virtual void readRect(int32_t rect[4]);
    virtual ChunkRect readRect(ChunkRect& rect);
    virtual void writeInt(int32_t value);
    virtual void readInt(int32_t& out);
    virtual int32_t readInt();
    virtual void write(float value);
    virtual void write(int32_t value);
    virtual void write(uint32_t value);
    virtual void read(float& out);
    virtual void read(int32_t& out);
    virtual void read(uint32_t& out);
    // Raw bytes advance n/4 words (rounded down); callers pass multiples of 4.
    virtual void writeBytes(const void* data, uint32_t n);
    virtual void readBytes(void* data, uint32_t n);
    // Length word, the bytes, zeros to the next word; null writes the word 0.
    virtual void writeString(const char* text);
    // Answers the words advanced.
    virtual int32_t writeRawBytes(const void* data, int32_t n);
    // Length 0 clears the text; otherwise the text up to its first zero byte.
    virtual void readString(std::string& out);
    // Null when the stored length is 0.
    virtual std::unique_ptr<char[]> readString();
    // Copies at most bufferSize - 1 bytes and terminates them, but always
    // consumes the whole stored string; answers the words after the length.
    virtual int32_t readString(char* buffer, uint32_t bufferSize);
    virtual void readRawBytes(void* data, int32_t n);
    // n bytes, advancing ceil(n/4) words; answers n mod 4.
    virtual uint32_t readPaddedBytes(void* data, uint32_t n);
    // Length-prefixed block in the string form; null writes the word 0.
    virtual void writeBlock(const void* data, uint32_t n);

    // count floats as count words, as that many writeFloat or readFloat calls
    // would, but in one writeBytes or readBytes: a float's bytes are its
    // little-endian word here.  Table pages move through these.  A read past
    // the end yields zeros and fails, as readFloat does.
    void writeFloats(const float* values, uint64_t count);
    void readFloats(float* values, uint64_t count);

    // Header protocol (BWChunkHeader.cpp).
    // Restarts reading at word 0 (clearing the failed flag) and reads the
    // five header words; true for the four accepted format words.  A wrong
    // format word or fewer than five words give "\t This is no valid %s
    // format!" unless quiet.  The position ends after the header.
    bool parseHeader(bool quiet);
    // Reads a whole file into an owned buffer and parses its header.  An
    // unreadable or empty file fails silently and keeps the old buffer.
    bool loadFromFile(const char* path, bool quiet);
    // Measuring pass: advances past the header.  Real pass: writes the
    // measured word count, program version, tempo, sample rate and format.
    void writeHeader(uint32_t formatWord);
    // Ends the measuring pass: a zeroed owned buffer of the measured size.
    // The position stays at the count for writeHeader to take.
    void allocateMeasured();
    // Empties the chunk for a fresh write: position 0, measuring.
    void resetForWrite();
    // Called with the position after the header and any preset description:
    // replaces the compressed body there by its inflated plain body, and the
    // format word (field and header word 4) by its plain counterpart.  Plain
    // chunks are left as they are.  A broken body gives "This is not a %s
    // file" unless quiet and leaves the words as they were; a file-stream
    // chunk fails silently.
    bool inflateCompressedBody(bool quiet);

    // Installs words as the chunk's own buffer (read from a file or made).
    void adoptWords(std::unique_ptr<uint32_t[]> words, uint32_t wordCount);

    bool hasFailed() const { return failed; }
    uint32_t getPosition() const { return position; }
    // Over a buffer, a position past its end stops at the end and fails.
    void setPosition(uint32_t word);
    uint32_t wordsLeft() const { return position < capacityWords ? capacityWords - position : 0; }
    uint32_t getCapacityWords() const { return capacityWords; }
    // The buffer as the host receives it; null before anything was allocated.
    void* getWords() { return bytes; }
    const void* getWords() const { return bytes; }

    uint32_t getFormatWord() const { return formatWord; }
    uint32_t getProgramVersion() const { return programVersion; }
    float getTempo() const { return tempo; }
    void setTempo(float value) { tempo = value; }
    float getSampleRate() const { return sampleRate; }
    void setSampleRate(float value) { sampleRate = value; }
    uint32_t getDataLength() const { return dataLength; }
    uint32_t getSourceKind() const { return sourceKind; }
    bool isMeasuring() const { return measuring; }
    bool isLoaded() const { return loaded; }
    bool isExternal() const { return externalBuffer; }

    // While set, objects that refer to files record them in the two lists.
    bool isRecordingFiles() const { return recordFiles; }
    void setRecordingFiles(bool on) { recordFiles = on; }
    std::vector<std::string>& missingFiles() { return missing; }
    std::vector<std::string>& usedFiles() { return used; }
    const std::string& getSourcePath() const { return sourcePath; }
    void setSourcePath(const std::string& path) { sourcePath = path; }

    static bool isAcceptedFormat(uint32_t word);
    static bool isCompressedFormat(uint32_t word);

protected:
    void markFailed() { failed = true; }
    void clearFailed() { failed = false; }
    // A file-stream chunk mirrors its file offset here so that wordsLeft works.
    void setStreamWindow(uint32_t positionWord, uint32_t capacity);
    void setSourceKind(uint32_t kind) { sourceKind = kind; }
    void setMeasuring(bool on) { measuring = on; }

    static uint32_t loadWord(const unsigned char* at);
    static void storeWord(unsigned char* at, uint32_t word);
    // Words a block of n bytes takes after its length word.
    static uint32_t paddedWords(uint32_t n) { return n / 4 + (n % 4 != 0 ? 1 : 0); }

private:
    void install(std::unique_ptr<uint32_t[]> words, uint32_t wordCount);
    unsigned char* claim(uint32_t words);
    void failAtEnd();
    void advanceMeasured(uint32_t words);
    void putWord(uint32_t word);
    uint32_t takeWord();
    void putBlock(const void* data, uint32_t n);
    bool takeBlock(uint32_t n, const unsigned char*& text);
    void copyIn(const void* data, uint32_t n, uint32_t advanceWords);
    bool copyOut(void* data, uint32_t n, uint32_t advanceWords);

    bool externalBuffer = false;
    bool recordFiles = false;
    std::vector<std::string> missing;
    std::vector<std::string> used;
    std::string sourcePath;
    uint32_t formatWord = kFormatUnset;
    uint32_t programVersion = 0;
    float tempo = 120.0f;
    float sampleRate = 44100.0f;
    std::unique_ptr<uint32_t[]> owned;
    unsigned char* bytes = nullptr;  // owned words, or someone else's bytes
    uint32_t capacityWords = 0;
    uint32_t sourceKind = kSourceMemory;
    uint32_t position = 0;
    uint32_t dataLength = 0;
    bool loaded = false;
    bool measuring = true;
    bool failed = false;
};
