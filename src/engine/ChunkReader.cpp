#include "engine/ChunkReader.h"

#include <cstring>
#include <sys/types.h>

#include "platform/LittleEndian.h"

bool sameId(const char* bytes, const char* id) {
    return std::memcmp(bytes, id, 4) == 0;
}

bool ChunkReader::Chunk::is(const char* name) const {
    return sameId(id, name);
}

ChunkReader::ChunkReader(FILE* stream, ByteOrder order) : stream(stream), order(order) {
    const off_t here = ftello(stream);
    if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) return;
    const off_t end = ftello(stream);
    if (end >= 0 && fseeko(stream, here, SEEK_SET) == 0) size = end;
}

bool ChunkReader::seek(int64_t position) {
    return position >= 0 && position <= size && fseeko(stream, position, SEEK_SET) == 0;
}

bool ChunkReader::readBytes(void* out, size_t count) {
    const off_t here = ftello(stream);
    if (here < 0 || size < here || static_cast<uint64_t>(size - here) < count) return false;
    return std::fread(out, 1, count, stream) == count;
}

bool ChunkReader::readU16(uint16_t& value) {
    uint8_t b[2];
    if (!readBytes(b, 2)) return false;
    value = order == ByteOrder::Little ? platform::littleHalf(b) : uint16_t(b[0] << 8 | b[1]);
    return true;
}

bool ChunkReader::readU32(uint32_t& value) {
    uint8_t b[4];
    if (!readBytes(b, 4)) return false;
    if (order == ByteOrder::Little)
        value = platform::littleWord(b);
    else
        value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
    return true;
}

bool ChunkReader::chunkAt(int64_t position, int64_t end, Chunk& chunk) {
    if (end > size || end - position < 8) return false;
    if (!seek(position) || !readBytes(chunk.id, 4) || !readU32(chunk.size)) return false;
    chunk.payload = position + 8;
    return chunk.size <= end - chunk.payload;
}
