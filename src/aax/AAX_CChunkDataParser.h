#pragma once
// Named, typed values in the data area of a host chunk record, and back.
//
// Data area: the marker bytes 01 01 01 01, then one entry after another, each
// starting at a multiple of 4:
//   type tag   2 bytes  "f_" float, "l_" int32, "d_" double, "s_" int16, "r_" string
//   name       the name's bytes and a zero byte
//   padding    zero bytes up to the next multiple of 4
//   value      float, int32: 4 bytes big-endian; double: 8 bytes big-endian;
//              int16: 2 bytes big-endian and 2 zero bytes; string: its bytes,
//              a zero byte and zero bytes up to the next multiple of 4
// The record's size field holds the data area's byte count.
//
// Reading is bounded by that size: a value, string or name that runs past the
// data area, or a name without its zero byte within 255 bytes, refuses the
// whole chunk.  Lookups rotate from the entry found last, so reading values
// back in their written order costs one comparison each.  Not locked.

#include <cstdint>
#include <vector>

#include "aax/AAXResults.h"
#include "aax/AAX_CString.h"
#include "aax/AAX_SPlugInChunk.h"

class AAX_CChunkDataParser {
public:
    enum ValueType : int32_t { kUnknown = 0, kFloat = 1, kInt32 = 2, kDouble = 3, kInt16 = 4, kString = 5 };

    struct DataValue {
        int32_t type = kUnknown;
        AAX_CString name;
        uint64_t number = 0;  // a double's bits, or an int32, float's bits or int16 in the low bits
        AAX_CString text;     // strings
    };

    AAX_CChunkDataParser() = default;
    virtual ~AAX_CChunkDataParser() = default;

    void Clear();
    void AddDouble(const char* name, double value);
    void AddInt32(const char* name, int32_t value);
    void AddString(const char* name, const AAX_CString& value);
    bool FindDouble(const char* name, double* out);
    bool FindInt32(const char* name, int32_t* out);
    bool FindString(const char* name, AAX_CString* out);

    int32_t GetChunkDataSize() const;
    // Writes the data area and the size field into a record that the host
    // made GetChunkDataSize bytes large; -333 (size field untouched) when the
    // entries do not fit.
    int32_t GetChunkData(AAX_SPlugInChunk* chunk) const;
    // Replaces the entries by the chunk's.  AAX_ERROR_MALFORMED_CHUNK, with no
    // entries, for data that is not a complete well-formed area; an area of
    // just the marker is fine and empty.
    AAX_Result LoadChunk(const AAX_SPlugInChunk* chunk);

    int32_t GetChunkVersion() const { return chunkVersion; }
    const std::vector<DataValue>& Values() const { return dataValues; }

private:
    const DataValue* find(const char* name, int32_t type);
    AAX_Result parse(const uint8_t* data, int32_t size);

    int32_t lastFoundIndex = -1;
    int32_t chunkVersion = -1;
    std::vector<DataValue> dataValues;
};
