#pragma once
// Bounded reads from an open audio file, and the walk over the chunks of a
// RIFF or IFF container.  Every read is checked against the bytes the file
// really holds, so a header that claims more than is there is caught before
// anything is read past it.  Used by the header parsers on the thread that
// opens the file.

#include <cstdint>
#include <cstdio>

class ChunkReader {
public:
    enum class ByteOrder { Little, Big };

    // A chunk header found by the walk: its id, its payload size and where the
    // payload starts.  The payload is known to lie inside the container.
    struct Chunk {
        char id[4] = {};
        uint32_t size = 0;
        int64_t payload = 0;

        bool is(const char* name) const;
        // Where the next chunk header starts: chunks are padded to even sizes.
        int64_t next() const { return payload + size + (size & 1); }
    };

    // The stream is not owned; its size is measured once here.
    ChunkReader(FILE* stream, ByteOrder order);

    bool seek(int64_t position);
    bool readBytes(void* out, size_t count);
    bool readU16(uint16_t& value);
    bool readU32(uint32_t& value);

    // Reads the chunk header at `position` of a container that ends at `end`.
    // False when the container claims to reach past the end of the file, when
    // no whole header fits before `end`, or when the payload would pass it:
    // either way the walk is over and whatever has not been found is missing.
    bool chunkAt(int64_t position, int64_t end, Chunk& chunk);

private:
    FILE* stream;
    ByteOrder order;
    int64_t size = -1;  // -1 when the stream cannot be measured: every read fails
};

// True when four bytes spell the given four-character id.
bool sameId(const char* bytes, const char* id);
