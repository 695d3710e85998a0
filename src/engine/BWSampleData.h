#pragma once
// One sample: one or two channels of 16-bit values with their rate, loop
// points and the names of the audio file they came from.  The voices play
// it; a sample zone places it on the keyboard.
//
// Every channel array holds the frames from index 0, then kTailValues guard
// values that continue the sound past the last frame (from the loop start
// when the sample loops, else from its first frame), so that a voice may
// read index i + 1 for any playable i.
//
// Replacing the values goes through the sample's UseGate: a voice's read is
// a use of it (a voice keeps one open for as long as it plays the sample and
// lets go at its next tick when a writer waits), and the writer's change
// waits at most kVoiceWaitMilliseconds for the voices to let go, leaving the
// sample unchanged when one does not.  A render that has stopped never
// reaches its next tick: a writer then holds the engine and lets go for its
// voices first.
//
// Writers (chunk reads, imports, setData, clear) run one at a time on the
// host/GUI thread or the program loader; the voice operations are for the
// audio thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/UseGate.h"
#include "engine/AudioFile.h"
#include "persistence/BWChunkableClass.h"

class BWChunk;

class BWSampleData : public BWChunkableClass {
public:
    using DataChangedCallback = void (*)(BWSampleData* sample, void* context);

    // First word of a sample chunk (optional when reading).
    static constexpr uint32_t kMarker = 0xE6D0324A;
    static constexpr int32_t kTailValues = 5;
    static constexpr int kVoiceWaitMilliseconds = 1000;

    BWSampleData();
    // Waits (bounded) for a voice still inside a read before freeing the
    // values.  The owner deletes a sample only once isUsedByVoices is false.
    ~BWSampleData() override;
    BWSampleData(const BWSampleData&) = delete;
    BWSampleData& operator=(const BWSampleData&) = delete;

    // Reads a sample chunk.  1 on success; 0 when a referenced audio file
    // could not be imported (the sample is then empty and keeps the
    // reference as its file name) or when a voice did not let go (the sample
    // stays as it was); kChunkReadAbandon for a malformed chunk or values
    // that memory cannot hold, which leaves the sample as it was.  With skipOnly the words are
    // consumed and only the loaded mark changes.  Host/GUI thread or loader.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    // Writes the sample chunk: embedded values, a file reference, or an
    // empty sample (see setEmbedData, setSkipData).  Host/GUI thread or loader.
    void writeChunk(BWChunk* chunk) override;

    // Copies frames values of each channel (right null or equal to left for
    // mono) and makes them the sample's values at `rate` Hz.  Calls the
    // data-changed callback while voices are still held off.  False for bad
    // arguments, no memory, or voices that did not let go.  Host/GUI thread.
    virtual bool setData(const int16_t* left, const int16_t* right, int32_t frames, float rate);
    // Reads a WAV or AIFF file: 16-bit values as stored, 24-bit ones rounded
    // to 16 bits.  The loop end moves to the frame count.  False leaves the
    // previous values in place.  Host/GUI thread or loader.
    virtual bool importAudioFile(const char* path, AudioFile::ProgressCallback callback = nullptr,
                                 void* context = nullptr);
    // Writes the sample, both channels at its own rate, as "<sampleName>.wav"
    // into the folder; false when nothing or not all was written.  Host/GUI thread.
    virtual bool exportWave(const char* folder);
    // Drops the values; the names become "empty".  False when voices did not
    // let go.  Host/GUI thread or loader.
    virtual bool clear();

    // Sets the loop; a looping sample needs its start below the frame count.
    // Host/GUI thread.
    bool setLoop(uint32_t start, uint32_t end, bool on);
    // The writer embeds the values instead of naming the audio file.  A
    // chunk read sets it to the form the chunk had.
    void setEmbedData(bool on) { embedData = on; }
    // The writer writes an empty sample.
    void setSkipData(bool on) { skipData = on; }
    void setDataChangedCallback(DataChangedCallback callback, void* context);
    void setFileName(const std::string& name) { fileName = name; }
    void setSampleName(const std::string& name) { sampleName = name; }

    // Voice side, audio thread.  beginRead answers false while the values
    // are being replaced; after true the values may be read until endRead.
    bool beginRead();
    void endRead();
    // A voice marks the sample while it is bound to it, so that its owner
    // knows not to delete it.
    void attachVoice();
    void detachVoice();
    // Any thread.
    bool isUsedByVoices() const;
    bool isLoading() const { return voicesGate.isChanging(); }
    // Whether a writer of any sample waits for its voices or changes it.
    // While none does, a voice that holds its sample need not look at that
    // sample's gate: one look a tick serves every voice.  Any thread.
    static bool isAnyWriterWaiting() { return writersWaiting.load() != 0; }
    // Moves with every replacement of the values (and every other change a
    // writer finished); read while inside beginRead.
    uint32_t changeCount() const { return voicesGate.changeCount(); }

    // The values: frames plus kTailValues per channel; right is null for mono.
    const int16_t* getLeft() const { return left.get(); }
    const int16_t* getRight() const { return right.get(); }
    bool isStereo() const { return right != nullptr; }
    int32_t getFrames() const { return frames; }
    float getFramesFloat() const { return framesFloat; }
    float getSampleRate() const { return sampleRate; }
    uint32_t getLoopStart() const { return loopStart; }
    uint32_t getLoopEnd() const { return loopEnd; }
    bool isLoopOn() const { return loopOn; }
    int32_t getFirstRisingZeroCrossing() const { return firstRisingZeroCrossing; }
    bool isLoaded() const { return loaded; }
    bool isEmbedData() const { return embedData; }
    bool isSkipData() const { return skipData; }
    const std::string& getFileName() const { return fileName; }
    const std::string& getSampleName() const { return sampleName; }

private:
    struct Values;
    struct Loop;
    struct ChunkContent;
    // A writer's hold on the values against the voices (UseGate::tryFor),
    // counted in writersWaiting for as long as it waits or holds.
    struct VoicesHeldOff;

    static bool parseChunk(BWChunk& chunk, ChunkContent& content);
    int32_t applyChunk(BWChunk& chunk, ChunkContent& content);
    // Fails with memoryShort set when the values could not be allocated.
    static bool loadAudioFile(const char* path, AudioFile::ProgressCallback callback, void* context, Values& values,
                              float& rate, bool& memoryShort);
    bool install(Values& values, float rate, const Loop& loop, bool notify);
    bool installFile(const std::string& path, Values& values, float rate, uint32_t start, bool on);
    // Reports a change the voices refused; answers false.
    static bool voicesKeptTheSample();
    void findFirstRisingZeroCrossing();
    void writeValues(BWChunk& chunk, const int16_t* values) const;

    std::string fileName = "empty";
    std::string sampleName = "empty";
    DataChangedCallback onDataChanged = nullptr;
    void* callbackContext = nullptr;
    std::unique_ptr<int16_t[]> left;
    std::unique_ptr<int16_t[]> right;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    int32_t frames = 0;
    int32_t firstRisingZeroCrossing = 0;
    float framesFloat = 0.0f;
    float sampleRate = 44100.0f;
    UseGate voicesGate;
    std::atomic<int32_t> boundVoices{0};
    bool embedData = false;
    bool skipData = false;
    bool loopOn = false;
    bool loaded = false;

    static std::atomic<uint32_t> writersWaiting;
};
