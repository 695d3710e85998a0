#include "persistence/InflateToBuffer.h"

#include <zlib.h>

int32_t inflateToBuffer(const void* src, uint32_t srcBytes, void* dst, uint32_t dstBytes) {
    if (srcBytes == 0 || !src || (!dst && dstBytes > 0)) return -1;
    z_stream stream{};
    stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(src));
    stream.avail_in = srcBytes;
    stream.next_out = static_cast<Bytef*>(dst);
    stream.avail_out = dstBytes;
    if (inflateInit(&stream) != Z_OK) return -1;
    const int result = inflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END || produced > uLong(INT32_MAX)) return -1;
    return int32_t(produced);
}
