#pragma once
// A sample zone: one sample placed on a range of keys and a range of layers,
// with the key at which it sounds at its own pitch and a tuning offset.
//
// Key and layer bounds always lie in 0..127, whatever a file holds, because
// the layer handler indexes its 128 x 128 table with them.  Aligned like the
// engine's other per-voice records.
//
// Changed by the host/GUI thread or the loader while no voice can reach the
// zone; read by the audio thread when a note starts.

#include <cstdint>

#include "engine/BWSampleData.h"
#include "persistence/BWChunkableClass.h"

class BWChunk;

class alignas(32) BWSampleZone : public BWChunkableClass {
public:
    static constexpr int32_t kMaxKey = 127;

    BWSampleZone();

    // The zone's six int words and its tune, then the sample chunk.  Answers
    // the sample's result; kChunkReadAbandon for a malformed record, which
    // leaves the zone as it was.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;

    // Bounds outside 0..127 are held to it.
    void setKeyRange(int32_t low, int32_t high);
    void setLayerRange(int32_t low, int32_t high);
    void setRootKey(int32_t key) { rootKey = key; }
    // A tune that is not a number counts as 0.
    void setTune(float semitones);

    bool holds(int32_t key, int32_t layer) const { return holdsKey(key) && layer >= layerLow && layer <= layerHigh; }
    bool holdsKey(int32_t key) const { return key >= keyLow && key <= keyHigh; }

    BWSampleData& getSample() { return sample; }
    const BWSampleData& getSample() const { return sample; }
    int32_t getKeyLow() const { return keyLow; }
    int32_t getKeyHigh() const { return keyHigh; }
    int32_t getLayerLow() const { return layerLow; }
    int32_t getLayerHigh() const { return layerHigh; }
    int32_t getRootKey() const { return rootKey; }
    int32_t getReserved() const { return reserved; }
    float getTune() const { return tune; }

private:
    BWSampleData sample;
    int32_t keyLow = 0;
    int32_t keyHigh = 0;
    int32_t layerLow = 0;
    int32_t layerHigh = kMaxKey;
    int32_t rootKey = 0;
    int32_t reserved = 0;  // kept and written back; nothing uses it
    float tune = 0.0f;
};
