#pragma once
// AAX result codes: 0 is success, -20046 .. -20001 the named errors,
// -21000 .. -20600 plug-in defined.  Only the codes this layer produces or
// compares are named here; resultToString knows them all.

#include <cstdint>

using AAX_Result = int32_t;

enum : AAX_Result {
    AAX_SUCCESS = 0,
    AAX_ERROR_INVALID_PARAMETER_ID = -20001,
    AAX_ERROR_INVALID_STRING_CONVERSION = -20002,
    AAX_ERROR_NULL_OBJECT = -20004,
    AAX_ERROR_INVALID_CHUNK_INDEX = -20006,
    AAX_ERROR_INVALID_CHUNK_ID = -20007,
    AAX_ERROR_INCORRECT_CHUNK_SIZE = -20008,
    AAX_ERROR_UNIMPLEMENTED = -20009,
    AAX_ERROR_NOT_INITIALIZED = -20011,
    AAX_ERROR_MALFORMED_CHUNK = -20026,
    AAX_ERROR_SIGNED_INT_OVERFLOW = -20033,
    AAX_ERROR_PROPERTY_UNDEFINED = -20039,
    AAX_ERROR_UNKNOWN_EXCEPTION = -20042,
    AAX_ERROR_NULL_ARGUMENT = -20044,
    // A trace text that could not be formatted.
    AAX_ERROR_TRACE_FORMAT = -20051,
};

// The code's name: "AAX_SUCCESS", "AAX_ERROR_NULL_OBJECT", "plug-in defined
// error" for -21000 .. -20600, "<unknown error code>" otherwise.
const char* resultToString(AAX_Result code);
