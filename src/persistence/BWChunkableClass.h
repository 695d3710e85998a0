#pragma once
// The base of every object that persists in a chunk: pattern models, sound
// layers, sample data, instruments.  The state reader drives objects only
// through these operations and looks at the type code after a read, so the
// order of the virtual operations below is part of the interface.

#include <cstdint>
#include <vector>

class BWChunk;

// What the state reader does after an object has read itself depends on it.
enum BWChunkTypeCode : int32_t {
    kTypeLayerHandler = 0,
    kTypeSampleData = 1,
    kTypeSampleZone = 2,
    kTypeInstrument = 3,
    kTypeTable = 4,
    kTypePagedTable = 5,
    kTypeFloatValue = 6,
    kTypeStepLine = 8,
};

// Results of readChunk.
enum BWChunkReadStatus : int32_t {
    kChunkReadFailed = 0,   // the reader may try to repair the object
    kChunkReadOk = 1,
    kChunkReadAbandon = 3,  // the whole load stops here
};

class BWChunkableClass {
public:
    explicit BWChunkableClass(int32_t typeCode = kTypeLayerHandler) : typeCode(typeCode) {}
    virtual ~BWChunkableClass() = default;

    // Reads the object's words.  With skipOnly the object consumes exactly the
    // words it would otherwise read and changes nothing.
    virtual int32_t readChunk(BWChunk* chunk, bool skipOnly) = 0;
    // Writes the object's words; runs once measuring and once for real and
    // must write the same number of words both times.
    virtual void writeChunk(BWChunk* chunk) = 0;
    virtual void resetToValue(float /*value*/) {}
    virtual void applyValueList(const std::vector<float>& /*values*/) {}
    virtual void readValueList(BWChunk* /*chunk*/, std::vector<float>& /*values*/) {}
    // Takes the base name of the file the object was just saved to or loaded from.
    virtual void setName(const char* /*name*/) {}
    virtual const char* getName() { return nullptr; }
    // Unused by the base; kept so that the hooks after it stay in place.
    virtual int32_t reservedQuery() { return 0; }
    // The state writer calls this in the measuring pass, before measuring.
    virtual void prepareForSaving() {}

    int32_t getTypeCode() const { return typeCode; }

protected:
    void setTypeCode(int32_t code) { typeCode = code; }

private:
    int32_t typeCode;
};
