#pragma once
// The host's chunk record: a header of six 32-bit fields and a 32-byte name,
// followed by fSize bytes of data.  The host allocates the record with room
// for the size it was told.

#include <cstddef>
#include <cstdint>

struct AAX_SPlugInChunk {
    int32_t fSize;  // bytes of data after the header
    int32_t fVersion;
    uint32_t fManufacturerID;
    uint32_t fProductID;
    uint32_t fPlugInID;
    uint32_t fChunkID;
    uint8_t fName[32];
    char fData[1];
};

// Bytes before the data: a record for n data bytes takes kChunkHeaderSize + n.
inline constexpr size_t kChunkHeaderSize = 56;

static_assert(offsetof(AAX_SPlugInChunk, fChunkID) == 20);
static_assert(offsetof(AAX_SPlugInChunk, fName) == 24);
static_assert(offsetof(AAX_SPlugInChunk, fData) == kChunkHeaderSize);

// The data area; the record's array member only marks where it starts.
inline uint8_t* chunkData(AAX_SPlugInChunk* chunk) { return reinterpret_cast<uint8_t*>(chunk) + offsetof(AAX_SPlugInChunk, fData); }
inline const uint8_t* chunkData(const AAX_SPlugInChunk* chunk) { return reinterpret_cast<const uint8_t*>(chunk) + offsetof(AAX_SPlugInChunk, fData); }

// Four-character ids put the first character in the most significant byte
// (unsigned, as the host compares chunk ids; the core has its own signed one).
constexpr uint32_t fourCharID(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) | (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}
